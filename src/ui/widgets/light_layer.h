#pragma once
// The lights of a device picture's keys, drawn in one pass over the keys. A light preview
// changes every light many times a second; drawing each key as a widget of its own costs far
// more than the drawing itself (a painter and the window's clipping per key), so the layer
// lies over the keys' light areas only (its mask), opaque there, lets the mouse through to
// the keys, and draws the keys it covers in a single paint.

#include <QPointer>
#include <QWidget>
#include <vector>

namespace dz::ui {

class DeviceKeyButton;

class LightLayer : public QWidget {
    Q_OBJECT
  public:
    // Covers `container` (the keys' parent), above its children.
    explicit LightLayer(QWidget* container);

    // A key of the container whose light the layer draws from now on.
    void Track(DeviceKeyButton* key);
    // The key's light changed: its light area is drawn again.
    void LightChanged(DeviceKeyButton* key);

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The union of the visible keys' light areas, soon (after the layout moved them).
    void MaskLater();
    void UpdateMask();

    std::vector<QPointer<DeviceKeyButton>> keys_;
    bool mask_pending_ = false;
    QRect dirty_;  // around the light areas changed since the last update
    bool update_pending_ = false;
};

}  // namespace dz::ui
