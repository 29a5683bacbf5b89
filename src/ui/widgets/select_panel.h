#pragma once
// "SelectPanel": a container in which pressing and dragging draws a selection band. On
// release every "DeviceKeyButton" inside gets its selected-by-band flag set to whether it
// meets the band, and the panel raises "click_select_end".

#include <QPoint>
#include <QRect>
#include <QWidget>

namespace dz::ui {

class SelectPanel : public QWidget {
    Q_OBJECT

  public:
    explicit SelectPanel(QWidget* parent = nullptr);

    [[nodiscard]] QRect Band() const { return band_; }
    [[nodiscard]] bool IsPressed() const { return pressed_; }
    [[nodiscard]] bool IsDragging() const { return dragging_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void UpdateBand();

    QPoint start_;
    QPoint current_;
    QRect band_;
    bool pressed_ = false;
    bool dragging_ = false;
};

}  // namespace dz::ui
