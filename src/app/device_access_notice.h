#pragma once
// Tells the user, once per run, that a supported device is present but this user may not
// open it, with the commands that install the udev rule. The scanner reports on its own
// thread and goes on; the box is shown on the window's thread.

#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <string>

namespace dz::app {

class DeviceAccessNotice : public QObject {
    Q_OBJECT
  public:
    // `show_box` shows a literal message in a box with the confirm button only.
    using ShowBox = std::function<void(const QString& message)>;
    DeviceAccessNotice(ShowBox show_box, QObject* parent);

    // Any thread. The first report queues the box; later ones change nothing.
    void Report(const std::string& path);

    // The "message_text_27" text of the current language with the commands in it.
    [[nodiscard]] static QString MessageText();

  private:
    ShowBox show_box_;
    std::atomic<bool> reported_{false};
};

}  // namespace dz::app
