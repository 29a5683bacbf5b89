#pragma once
// "CircleProgress": a progress ring. A full pie in the background colour, a pie from the
// bottom sweeping clockwise in proportion to the value in the foreground colour, and an
// opaque white disc inset 10 pixels that leaves the ring.

#include <QColor>
#include <QProgressBar>

namespace dz::ui {

class CircleProgress : public QProgressBar {
    Q_OBJECT
    Q_PROPERTY(QColor bkcolor READ BkColor WRITE SetBkColor)
    Q_PROPERTY(QColor forecolor READ ForeColor WRITE SetForeColor)

  public:
    explicit CircleProgress(QWidget* parent = nullptr);

    [[nodiscard]] QColor BkColor() const { return bk_; }
    void SetBkColor(const QColor& c);
    [[nodiscard]] QColor ForeColor() const { return fore_; }
    void SetForeColor(const QColor& c);
    // Degrees of the foreground pie for the current value, 0 to 360.
    [[nodiscard]] double SweepDegrees() const;

    static constexpr int kRingInset = 10;  // at 96 DPI; scaled with the window

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QColor bk_ = QColor(0x40, 0x40, 0x40);
    QColor fore_ = QColor(0x00, 0xA0, 0xFF);
};

}  // namespace dz::ui
