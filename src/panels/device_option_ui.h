#pragma once
// One device's item in the selector bar: the kind's icon (an option that switches the page
// area to the device's page), a synchro mark and a name. Its control timers also pace the
// device object's periodic work: first synchronisation, the light-frame stream, re-reads,
// power polling and, through a receiver, the link watch.
//
// The item is the root of its skin ("DeviceOption"): the loader builds the sub-controls
// into it after construction, so they are looked up by name on first use and cached.

#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstdint>

#include "device/selector_device.h"
#include "ui/control_timers.h"

class QAbstractButton;

namespace dz::panels {

class CDeviceOptionUI : public QWidget, public ui::TimerReceiver, public SelectorEntry {
    Q_OBJECT

  public:
    static constexpr char kClassName[] = "DeviceOption";

    // Timer ids; every handler kills its own timer first and restarts it when it repeats.
    static constexpr int kTimerLightFrame = dz::kTimerLightFrame;
    static constexpr int kTimerStartUp = 1001;
    static constexpr int kTimerResync = 1002;
    static constexpr int kTimerSpare1 = 1003;
    static constexpr int kTimerSpare2 = 1004;
    static constexpr int kTimerPower = 1005;
    static constexpr int kTimerLinkWatch = 1007;
    // The link-loss counter counts 0..kLinkLossWrap-1 and then starts again at 0.
    static constexpr int kLinkLossWrap = 20;

    explicit CDeviceOptionUI(QWidget* parent = nullptr);
    ~CDeviceOptionUI() override;

    [[nodiscard]] QString GetClass() const { return QString::fromLatin1(kClassName); }

    void SetDevice(SelectorDevice* device) { device_ = device; }
    [[nodiscard]] SelectorDevice* GetDevice() const { return device_; }
    // Repainted on the light-frame timer while this item is selected and the device previews.
    void SetRepaintControl(QWidget* control) { repaint_ = control; }
    [[nodiscard]] QWidget* RepaintControl() const { return repaint_; }

    // Chooses the icon set of the kind (1 keyboard, 2 mouse, 3 mousepad with sub-kind 0 hard
    // or 1 soft, 4 and 7 headset, 5 hub, anything else unknown).
    void SetKind(int kind, int subKind);
    [[nodiscard]] int Kind() const { return kind_; }
    [[nodiscard]] int SubKind() const { return subKind_; }
    // The four image paths of the current set.
    [[nodiscard]] QString NormalImagePath() const { return normalImage_; }
    [[nodiscard]] QString SelectedImagePath() const { return selectedImage_; }
    [[nodiscard]] QString SynchroNormalImagePath() const { return synchroNormalImage_; }
    [[nodiscard]] QString SynchroSelectedImagePath() const { return synchroSelectedImage_; }

    void SetName(const QString& text);

    // Selecting "device_select" switches the tab layout of that name to the index.
    void BindPage(const QString& tabLayoutName, int index);
    // Empty and -1 when "device_select" is missing or unbound.
    [[nodiscard]] QString BoundTabLayoutName() const;
    [[nodiscard]] int BoundTabIndex() const;

    // The tab layout holding this device's power indicator and its page there. An empty
    // name is ignored; a negative index keeps the previous one.
    void SetPowerIndicator(const QString& name, int index);
    [[nodiscard]] QString PowerIndicatorName() const { return powerName_; }
    [[nodiscard]] int PowerIndicatorIndex() const { return powerIndex_; }

    // The option group of "device_select": selecting one item deselects the others.
    void SetGroup(const QString& name);

    void SetSynchroVisible(bool visible);
    void SetSynchroSelected(bool selected);
    [[nodiscard]] bool IsSynchroSelected() const;

    // Selects or deselects "device_select", with notification.
    void Select(bool selected);
    [[nodiscard]] bool IsSelected() const;

    // Visibility and the present flag (the device is reachable now) together.
    void SetVisible(bool visible);
    [[nodiscard]] bool IsPresent() const { return present_; }

    // Starts the device's start-up timer (1001 at 500 ms).
    void Start();

    [[nodiscard]] int LinkLossCount() const { return linkLoss_; }

    // Timer ticks of this item; false for ids it does not own.
    bool OnControlTimer(int id) override;
    // SelectorEntry: the device object starts one of the item's timers.
    void StartTimer(int id, int ms) override { Restart(id, ms); }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    QWidget* Sub(QPointer<QWidget>& cache, const char* name) const;
    QAbstractButton* SelectButton() const;
    QAbstractButton* SynchroButton() const;
    QWidget* NameLabel() const;
    // Connects "device_select" once it exists and shows the current icons on it.
    void Bind();
    void ApplyIcons();
    void OnSelectToggled(bool checked);
    void OnSelectClicked();

    void SendLinkChanged(bool linked);
    void Restart(int id, int ms);
    void Kill(int id);

    void OnLightFrame();
    void OnStartUp();
    void OnPower();
    void OnLinkWatch();
    // Asks the device whether it is linked; `answered` runs with the answer on the UI
    // thread unless a newer question was asked or the device left its receiver meanwhile.
    void AskLink(void (CDeviceOptionUI::*answered)(bool linked));
    void OnStartUpLinkAnswer(bool linked);
    void OnLinkWatchAnswer(bool linked);
    // After the start-up (and its link check): first synchronisation, frames, power, watch.
    void StartWork();

    SelectorDevice* device_ = nullptr;
    QPointer<QWidget> repaint_;
    mutable QPointer<QWidget> select_;
    mutable QPointer<QWidget> synchro_;
    mutable QPointer<QWidget> name_;
    QPointer<QWidget> connected_;  // the "device_select" whose signals are connected

    int kind_ = 0;
    int subKind_ = 0;
    QString normalImage_;
    QString selectedImage_;
    QString synchroNormalImage_;
    QString synchroSelectedImage_;

    QString powerName_;
    int powerIndex_ = -1;
    bool present_ = true;
    int linkLoss_ = 0;
    uint64_t linkQuestion_ = 0;
};

}  // namespace dz::panels
