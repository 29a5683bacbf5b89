#pragma once
// CVoice6533ControlUI: the headset's sound panel ("Voice6533ControlItem"): the equaliser
// presets 1 to 12 and the custom equaliser (13), the custom equaliser list with its name
// edit and its save and delete buttons, the ten band sliders with the equaliser's response
// drawn over them, the microphone switch and level, monitoring's switch and level, and one
// line saying what this system cannot apply. It keeps no settings: the headset object
// fills it and reads it (HeadsetSoundPanel); the user's actions reach the object through
// the window's routing.
//
// Skin: "XML\CustomControlXML\Voice6533Control.xml", root class "Voice6533Control". Controls
// are looked up by name on first use; one the skin lacks is skipped.

#include <QPointer>
#include <QWidget>
#include <array>
#include <string>

#include "device/device_page.h"

namespace dz::panels {

class CVoice6533ControlUI : public QWidget, public HeadsetSoundPanel {
    Q_OBJECT
  public:
    static constexpr char kClassName[] = "Voice6533Control";
    explicit CVoice6533ControlUI(QWidget* parent = nullptr);

    void AttachDevice(int device_type) override { device_type_ = device_type; }
    void SelectEqOption(int n) override;
    void ShowCustomEqControls(bool enabled) override;
    void SetBandValue(int band, int value) override;
    [[nodiscard]] int GetBandValue(int band) const override;
    void SetMicInSwitch(bool on) override;
    void SetMonitorSwitch(bool on) override;
    void SetMicInValue(int value) override;
    void SetMonitorValue(int value) override;
    [[nodiscard]] int GetMicInValue() const override;
    [[nodiscard]] int GetMonitorValue() const override;
    void SetCustomEqName(const std::string& text) override;
    [[nodiscard]] std::string GetCustomEqName() const override;
    void AddCustomEqName(const std::string& name) override;
    [[nodiscard]] int GetCustomEqIndex() const override;
    [[nodiscard]] int GetCustomEqCount() const override;
    void SelectCustomEq(int index) override;
    void RemoveCustomEqAt(int index) override;
    void RemoveAllCustomEqs() override;
    [[nodiscard]] std::string GetCustomEqNameAt(int index) const override;
    void ShowAvailability(const std::string& line) override;
    void ShowMessage(const std::string& text, bool text_is_id) override;

    [[nodiscard]] int ShownEqOption() const { return eq_option_; }
    [[nodiscard]] int DeviceType() const { return device_type_; }
    // The gains the response curve draws.
    [[nodiscard]] std::array<int, 10> CurveGains() const;
    // The last message shown (tests and people reading the debug output).
    [[nodiscard]] const std::string& LastMessage() const { return last_message_; }

    // The message box the panel shows its messages in (the application's); without one
    // a message goes to the debug output only.
    using MessageBox = void (*)(QWidget* owner, const QString& text, bool text_is_id);
    static void SetMessageBox(MessageBox box);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    [[nodiscard]] QWidget* Find(const char* name) const;
    [[nodiscard]] QWidget* Find(const QString& name) const;
    void BindCurve() const;
    void PaintCurve(QWidget* on) const;

    int device_type_ = 0;
    int eq_option_ = 0;
    std::string last_message_;
    mutable QPointer<QWidget> curve_;
};

void RegisterVoice6533Control();

}  // namespace dz::panels
