#pragma once
// "DeviceKeyButton": a key of a device picture. Over the base button it draws the light
// image while the light overlay is on and the key-set image while that overlay is not
// hidden. A double click while enabled raises "dbclick". A band selection marks it.

#include <QPushButton>

namespace dz::ui {

class DeviceKeyButton : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(QString lightimage READ LightImage WRITE SetLightImage)
    Q_PROPERTY(QString keysetimage READ KeySetImage WRITE SetKeySetImage)

  public:
    explicit DeviceKeyButton(QWidget* parent = nullptr);

    [[nodiscard]] QString LightImage() const { return lightImage_; }
    void SetLightImage(const QString& image);
    [[nodiscard]] QString KeySetImage() const { return keySetImage_; }
    void SetKeySetImage(const QString& image);

    void SetLightOverlay(bool on);
    [[nodiscard]] bool LightOverlay() const { return lightOverlay_; }
    void SetKeySetOverlayHidden(bool hidden);
    [[nodiscard]] bool KeySetOverlayHidden() const { return keySetHidden_; }
    void SetSelectedByBand(bool selected);
    // The colour of the light under the key (ARGB), drawn over the button; alpha 0 draws
    // nothing. The light preview sets it up to 200 times a second, so it only repaints.
    void SetLightColor(QRgb argb);
    [[nodiscard]] QRgb LightColor() const { return lightColor_; }
    [[nodiscard]] bool SelectedByBand() const { return selectedByBand_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    QString lightImage_;
    QString keySetImage_;
    bool lightOverlay_ = false;
    bool keySetHidden_ = true;
    bool selectedByBand_ = false;
    QRgb lightColor_ = 0;
};

}  // namespace dz::ui
