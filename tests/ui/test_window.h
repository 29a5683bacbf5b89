#pragma once
// A window over a test skin that records every notification and message it gets.

#include <QString>
#include <functional>
#include <vector>

#include "ui/window_base.h"

namespace dz::ui::test {

struct SeenMessage {
    unsigned msg;
    qintptr wParam;
    qintptr lParam;
};

class TestWindow : public WindowBase {
  public:
    explicit TestWindow(const QString& skin, const QString& tag = QStringLiteral("TEST_WND"))
        : WindowBase(skin, tag) {}

    void Notify(const Notification& n) override { seen.push_back(n); }

    // The notifications of one type, in order.
    [[nodiscard]] std::vector<Notification> Of(const QString& type) const {
        std::vector<Notification> out;
        for (const auto& n : seen) {
            if (n.type == type) out.push_back(n);
        }
        return out;
    }
    [[nodiscard]] int Count(const QString& type, const QString& name) const {
        int c = 0;
        for (const auto& n : seen) c += (n.type == type && n.name == name) ? 1 : 0;
        return c;
    }

    std::vector<Notification> seen;
    std::vector<SeenMessage> messages;
    std::vector<int> windowTimers;
    int initCalls = 0;
    bool rootAtInit = false;
    std::function<QWidget*(const QString&, QWidget*)> creator;
    std::function<qintptr(unsigned, qintptr, qintptr)> onMessage;

  protected:
    void InitWindow() override {
        ++initCalls;
        rootAtInit = Root() != nullptr;
    }
    qintptr HandleMessage(unsigned msg, qintptr w, qintptr l, bool& handled) override {
        messages.push_back({msg, w, l});
        handled = true;
        return onMessage ? onMessage(msg, w, l) : static_cast<qintptr>(msg) + w + l;
    }
    QWidget* CreateControl(const QString& className, QWidget* parent) override {
        return creator ? creator(className, parent) : nullptr;
    }
    void OnTimer(int id) override { windowTimers.push_back(id); }
};

}  // namespace dz::ui::test
