#pragma once
// CColorSelectWnd: the modal colour dialog ("PalletDialog.xml"). The user picks one colour
// from the palette, from twenty preset swatches, from twenty swatches of colours collected
// earlier, or by typing red, green and blue; the dialog keeps the collected colours and the
// last preset in "color_option_info.config" of the user's folder.
//
// Callers use ChooseColour (below): the mouse page's DPI swatches through the device
// layer's RequestColour, the lighting panel directly.

#include <QPointer>
#include <QRgb>
#include <array>
#include <filesystem>

#include "device/colour_request.h"
#include "panels/colour_options_file.h"
#include "ui/window_base.h"

namespace dz::panels {

class CColorSelectWnd : public ui::WindowBase {
    Q_OBJECT
  public:
    static constexpr const char* kWindowClassName = "ColorSelectWnd";
    static constexpr const char* kWindowName = "PalletDialog";
    static constexpr int kWidth = 800;
    static constexpr int kHeight = 572;
    // ShowModal's answers.
    static constexpr int kClosed = 0;
    static constexpr int kChosen = 1;
    static constexpr int kNoPalette = 2;

    // A pop-up tool window owned by `owner` (the main window).
    explicit CColorSelectWnd(QWidget* owner);
    ~CColorSelectWnd() override;

    // The files it reads and writes; by default the user's file and the DefaultData copy.
    void SetOptionFiles(std::filesystem::path user, std::filesystem::path defaults);

    // 48, 72, 96, 120, 144, 168 or 192; anything else is 96 after "SET_WND DPI SET ERROR".
    void SetDpi(int dpi);
    // The colour the dialog starts from: the shown colour, the palette and the three edits.
    void SetColor(QRgb colour);
    // Offers the seven-colour choice or hides it (and unticks it).
    void ShowSevenColorChoice(bool show);
    // Whether the seven-colour choice starts ticked.
    void SetSevenColorFlag(bool on) { seven_colour_ = on; }
    // kChosen, kClosed or kNoPalette.
    int ShowModal();
    [[nodiscard]] QRgb GetColor() const { return colour_; }
    [[nodiscard]] bool GetSevenColor() const { return seven_colour_; }

    [[nodiscard]] int PresetIndex() const { return preset_index_; }
    [[nodiscard]] int CollectedIndex() const { return collected_index_; }

    // The dialog open now, or null.
    [[nodiscard]] static CColorSelectWnd* OpenDialog();

  protected:
    void InitWindow() override;
    void Notify(const ui::Notification& msg) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    [[nodiscard]] QWidget* Control(const QString& name) const;
    void OnWindowInit();
    void OnClick(const ui::Notification& msg);
    void OnSelectChanged(const ui::Notification& msg);
    void OnPreset(int n);
    void OnCollected(int n);
    void OnEditsDone();

    void SetSevenColor(bool on);
    [[nodiscard]] QRgb GetShownColor() const;
    void StoreInSelectedSlot();
    void SavePresetColors();
    void SaveCollectedColors();
    void ShowComponents(QRgb colour);
    void ShowZoomButtons();

    std::filesystem::path user_file_;
    std::filesystem::path default_file_;

    QRgb colour_ = 0xFFFFFFFF;
    int preset_index_ = 4;
    int collected_index_ = 0;
    bool seven_colour_ = false;
    bool zoomed_ = false;

    QWidget* palette_ = nullptr;
    QWidget* show_btn_ = nullptr;
    std::array<QWidget*, 3> edits_{};
    std::array<QWidget*, kColourSwatches> presets_{};
    std::array<QWidget*, kColourSwatches> collected_{};
    QWidget* seven_ = nullptr;
    QWidget* seven_layout_ = nullptr;
    QWidget* close_btn_ = nullptr;
    QWidget* max_btn_ = nullptr;
    QWidget* restore_btn_ = nullptr;
    QWidget* min_btn_ = nullptr;
    QWidget* menu_btn_ = nullptr;
    QWidget* later_btn_ = nullptr;
    // The swatch whose selection this click already handled.
    QPointer<QWidget> just_selected_;

    static QPointer<CColorSelectWnd> open_;
};

// Opens the dialog over the window of `from` (modal, 800 × 572 at the window's DPI,
// centred on it), as every caller does: with `request`'s colour and seven-colour choice.
// One at a time: while a colour dialog is open, further requests answer -1 at once.
[[nodiscard]] ColourAnswer ChooseColour(QWidget* from, const ColourRequest& request);

// Installs ChooseColour as the colour dialog of the device pages (RequestColour).
void RegisterColourDialog();

}  // namespace dz::panels
