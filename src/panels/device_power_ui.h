#pragma once
// The battery indicator of a wireless device's page: level bar and text, wireless logo,
// charge state image and, on a mousepad, the phone lying on its charging spot. The item is
// the root of its skin ("MpDevicePower"); sub-controls are looked up by name and cached.

#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstddef>
#include <cstdint>

#include "device/selector_device.h"

namespace dz::panels {

class CMpDevicePowerUI : public QWidget, public PowerDisplay {
    Q_OBJECT

  public:
    static constexpr char kClassName[] = "MpDevicePower";
    // Bytes of the power record this indicator reads; shorter input counts as zero-padded.
    static constexpr std::size_t kRecordBytes = 6;

    explicit CMpDevicePowerUI(QWidget* parent = nullptr);

    [[nodiscard]] QString GetClass() const { return QString::fromLatin1(kClassName); }

    // Kinds as in the device table: 2 mouse (shows the wireless logo), 3 mousepad (phone).
    void SetKind(int kind, int subKind);
    [[nodiscard]] int Kind() const { return kind_; }
    [[nodiscard]] int SubKind() const { return subKind_; }

    // Shows or hides "device_power_Layout".
    void ShowLayout(bool show) override;

    // Byte 0 battery percent, 1 charge state (0, 1 charging, 2), 3 reached through the
    // receiver, 5 phone type on a mousepad (1 iPhone, 2 Samsung, 3 other, else none).
    // Does nothing when a sub-control is missing.
    void SetPowerStatus(const std::uint8_t* bytes, std::size_t length) override;

  private:
    QWidget* Sub(QPointer<QWidget>& cache, const char* name) const;

    int kind_ = 0;
    int subKind_ = 0;
    mutable QPointer<QWidget> layout_;
    mutable QPointer<QWidget> value_;
    mutable QPointer<QWidget> logo_;
    mutable QPointer<QWidget> progress_;
    mutable QPointer<QWidget> status_;
    mutable QPointer<QWidget> phone_;
};

}  // namespace dz::panels
