#pragma once
// "DeviceKeyButton": a key of a device picture. Over the base button it draws the light
// image while the light overlay is on and the key-set image while that overlay is not
// hidden. A double click while enabled raises "dbclick". A band selection marks it.

#include <QImage>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <array>
#include <vector>

namespace dz::ui {

class LightLayer;

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

    // The part of the key its light covers, in the key's coordinates.
    [[nodiscard]] QRect LightRect() const;
    // A layer over the keys that draws their lights (null: the key draws its own).
    void SetLightLayer(LightLayer* layer);
    // Draws the key as it looks, with `painter` at the key's origin on a device of pixel
    // ratio `ratio`; `inside_light`: only the light area is shown (a LightLayer's mask).
    void PaintKey(QPainter& painter, bool inside_light, qreal ratio);

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    // The button as the style draws it, kept while nothing it depends on changes: the light
    // preview repaints the key many times a second and only its light changes then.
    [[nodiscard]] const QPixmap& Base(qreal ratio);
    // The label in the dark or the light colour, over a transparent key-sized image.
    [[nodiscard]] const QImage& Label(bool dark, qreal ratio);
    // The light's shape as rectangles that do not overlap.
    [[nodiscard]] const std::vector<QRect>& LightBands();

    QPointer<LightLayer> layer_;
    QPixmap base_;  // null: to be drawn again
    QString baseText_;
    bool baseDown_ = false;
    bool baseChecked_ = false;
    std::vector<QRect> bands_;
    mutable QRect lightRect_;
    std::array<QImage, 2> labels_;  // light, dark
    QString lightImage_;
    QString keySetImage_;
    bool lightOverlay_ = false;
    bool keySetHidden_ = true;
    bool selectedByBand_ = false;
    QRgb lightColor_ = 0;
};

}  // namespace dz::ui
