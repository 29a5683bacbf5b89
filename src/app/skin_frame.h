#pragma once
// The skin window and the skin-change notification. CSkinFrame opens under the main
// window's "skinbtn" (its right edge on the button's, its top on the button's bottom) and
// closes when it loses the focus. Its image and colour buttons, the reset and the user's own
// image (a file dialog) broadcast a SkinChangedParam to every receiver (the main window), and
// the choice is kept in main.ini so that it comes back at the next start.

#include <QPointer>
#include <QRgb>
#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

#include "app/skin_choice.h"
#include "ui/window_base.h"

namespace dz::app {

struct SkinChangedParam {
    bool colour_mode = false;  // true: the colour; false: the image
    QRgb colour = 0;           // ARGB
    QString image;             // a skin image name or a file path
};

class SkinChangeReceiver {
  public:
    virtual ~SkinChangeReceiver() = default;
    virtual void OnSkinChanged(const SkinChangedParam& param) = 0;
};

// The process's one list of receivers.
class SkinChangeSubject {
  public:
    static SkinChangeSubject& Instance();
    void AddReceiver(SkinChangeReceiver* receiver);
    void RemoveReceiver(SkinChangeReceiver* receiver);
    // Hands a copy of the payload to every receiver in turn.
    void Broadcast(const SkinChangedParam& param);

  private:
    std::vector<SkinChangeReceiver*> receivers_;
};

[[nodiscard]] SkinChangedParam ToParam(const SkinChoice& choice);

class CSkinFrame : public ui::WindowBase {
    Q_OBJECT
  public:
    // Asks for the user's own image; an empty answer is a cancel.
    using ImageChooser = std::function<QString(QWidget* parent)>;

    CSkinFrame(QWidget* main_window, QWidget* skin_button);

    // Right edge on the button's right edge, top on its bottom.
    void PlaceUnder(QWidget* button);
    // The file dialog of "skin_Custom" ("(*.png)", then "(*.*)").
    [[nodiscard]] static QString ChooseImageFile(QWidget* parent);
    void SetImageChooser(ImageChooser chooser) { chooser_ = std::move(chooser); }

  protected:
    void InitWindow() override;
    void Notify(const ui::Notification& msg) override;
    bool event(QEvent* event) override;

  private:
    void Choose(const SkinChangedParam& param, bool store, bool reset);

    QPointer<QWidget> main_;
    QPointer<QWidget> button_;
    ImageChooser chooser_ = &CSkinFrame::ChooseImageFile;
    bool choosing_ = false;  // the file dialog has the focus, not someone else
};

}  // namespace dz::app
