#pragma once
// Collects the debug lines written while it lives.

#include <string>
#include <vector>

#include "platform/log/debug_log.h"

namespace dz::ui::test {

class LogCapture {
  public:
    LogCapture() {
        previous_ = log::SetSink([this](std::string_view line) { lines.emplace_back(line); });
    }
    ~LogCapture() { log::SetSink(previous_); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    [[nodiscard]] bool Contains(const std::string& part) const {
        for (const auto& l : lines) {
            if (l.find(part) != std::string::npos) return true;
        }
        return false;
    }

    std::vector<std::string> lines;

  private:
    log::Sink previous_;
};

}  // namespace dz::ui::test
