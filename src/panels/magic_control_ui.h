#pragma once
// CMagicControlUI: the headset's voice changer panel ("MagicControlItem"): the switch and the
// four voice effects, which are enabled only while the switch is on. It keeps no settings
// (VoiceChangerPanel); the routing takes the user's actions to the headset object.
//
// Skin: "XML\CustomControlXML\MagicControl.xml", root class "MagicControl".

#include <QWidget>

#include "device/device_page.h"

namespace dz::panels {

class CMagicControlUI : public QWidget, public VoiceChangerPanel {
    Q_OBJECT
  public:
    static constexpr char kClassName[] = "MagicControl";
    explicit CMagicControlUI(QWidget* parent = nullptr);

    void AttachDevice(int device_type) override { device_type_ = device_type; }
    void SetMagicSwitch(bool on) override;
    void EnableMagicOptions(bool enabled) override;
    [[nodiscard]] int IsMagicSwitchOn() const override;
    void SelectMagicOption(int n) override;

    [[nodiscard]] int ShownOption() const { return option_; }

  private:
    [[nodiscard]] QWidget* Find(const QString& name) const;

    int device_type_ = 0;
    int option_ = 0;
};

void RegisterMagicControl();

}  // namespace dz::panels
