#pragma once
// "ShootPatternView": the path the pointer takes through one shooting pattern. Each
// bullet moves the pointer by its x and y after the shot; the view draws the running sum
// from the first shot, to scale in both directions, with a dot per bullet and the selected
// bullet ringed and numbered. A press near a dot tells the panel which bullet it is.

#include <QWidget>
#include <vector>

#include "models/mouse_shoot.h"

namespace dz::panels {

class ShootPatternView : public QWidget {
    Q_OBJECT
  public:
    static constexpr const char* kClassName = "ShootPatternView";

    explicit ShootPatternView(QWidget* parent = nullptr);

    void SetBullets(std::vector<ShootBullet> bullets);
    // -1: none is marked.
    void SetSelectedBullet(int b);
    [[nodiscard]] int SelectedBullet() const { return selected_; }
    [[nodiscard]] const std::vector<ShootBullet>& Bullets() const { return bullets_; }

    // Where the pointer stands after bullet b, in pattern units (x to the right, y down),
    // counted from the first shot at (0, 0): the sum of the moves of bullets 0 to b.
    [[nodiscard]] static std::vector<QPointF> PathOf(const std::vector<ShootBullet>& bullets);
    // The bullet drawn nearest to `pos` within the dots' reach, or -1.
    [[nodiscard]] int BulletAt(QPoint pos) const;

    [[nodiscard]] QSize sizeHint() const override;

  signals:
    void BulletPicked(int b);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    // Pattern units to widget pixels for the current size (one scale for both axes).
    struct Mapping {
        double scale = 1;
        QPointF origin;
        [[nodiscard]] QPointF Map(QPointF p) const { return origin + p * scale; }
    };
    [[nodiscard]] Mapping CurrentMapping() const;
    [[nodiscard]] double Px(double px) const;

    std::vector<ShootBullet> bullets_;
    int selected_ = -1;
};

}  // namespace dz::panels
