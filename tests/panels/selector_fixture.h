#pragma once
// A window over the toolkit's test skin that records the notifications and private
// messages it gets, with a host control that selector skins are built into.

#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

#include "ui/notification.h"
#include "ui/window_base.h"

namespace dz::panels::test {

struct SentMessage {
    unsigned msg;
    qintptr wParam;
    qintptr lParam;
};

class RecordingWindow : public ui::WindowBase {
  public:
    RecordingWindow() : ui::WindowBase(QStringLiteral("XML_TEST_WINDOW"), QStringLiteral("TEST")) {
        Create();
    }

    QWidget* Host() const { return FindControl(QStringLiteral("subtree_host")); }

    // Builds a skin into the host and answers its root as T (null when it is not one).
    template <class T>
    T* Build(const QString& skin) {
        return qobject_cast<T*>(BuildSubtree(skin, Host()));
    }

    void Notify(const ui::Notification& n) override { seen.push_back(n); }
    [[nodiscard]] int Count(const QString& type, const QWidget* sender) const {
        int c = 0;
        for (const auto& n : seen) c += (n.type == type && n.sender == sender) ? 1 : 0;
        return c;
    }

    std::vector<ui::Notification> seen;
    std::vector<SentMessage> messages;
    std::function<void(const SentMessage&)> onMessage;

  protected:
    qintptr HandleMessage(unsigned msg, qintptr wParam, qintptr lParam, bool& handled) override {
        messages.push_back({msg, wParam, lParam});
        if (onMessage) onMessage(messages.back());
        handled = true;
        return 0;
    }
};

}  // namespace dz::panels::test
