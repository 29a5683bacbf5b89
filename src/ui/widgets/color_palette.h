#pragma once
// "ColorPalette": a hue (across) by brightness (down) field; a click or drag picks a colour
// and raises "colorchanged" (wParam = the ARGB value).

#include <QColor>
#include <QWidget>

namespace dz::ui {

class ColorPalette : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QColor selectcolor READ SelectColor WRITE SetSelectColor)

  public:
    explicit ColorPalette(QWidget* parent = nullptr);

    [[nodiscard]] QColor SelectColor() const { return color_; }
    void SetSelectColor(const QColor& color) { SetSelectColor(color, false); }
    void SetSelectColor(const QColor& color, bool notify);
    // The colour shown at a point of the field.
    [[nodiscard]] QColor ColorAt(QPoint pos) const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    void Pick(QPoint pos);
    QColor color_ = Qt::white;
};

}  // namespace dz::ui
