#include "panels/shoot_pattern_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "ui/dpi.h"
#include "ui/window_base.h"

namespace dz::panels {
namespace {

// The theme's colours.
const QColor kBackground(0x0f, 0x10, 0x13);
const QColor kFrame(0x2b, 0x2f, 0x36);
const QColor kAxis(0x26, 0x2a, 0x31);
const QColor kPath(0x9a, 0xa0, 0xaa);
const QColor kDot(0xd8, 0xda, 0xdf);
const QColor kAccent(0xff, 0x5b, 0x2e);

constexpr double kMargin = 10;  // px at 96 DPI
constexpr double kDotRadius = 2.5;
constexpr double kSmallestDotRadius = 1.2;
constexpr double kPickRadius = 8;
constexpr double kMinimumSpan = 20;  // pattern units: a pattern that hardly moves stays small

}  // namespace

ShootPatternView::ShootPatternView(QWidget* parent) : QWidget(parent) {
    setMouseTracking(false);
    setCursor(Qt::PointingHandCursor);
}

void ShootPatternView::SetBullets(std::vector<ShootBullet> bullets) {
    bullets_ = std::move(bullets);
    update();
}

void ShootPatternView::SetSelectedBullet(int b) {
    selected_ = b >= 0 && b < static_cast<int>(bullets_.size()) ? b : -1;
    update();
}

std::vector<QPointF> ShootPatternView::PathOf(const std::vector<ShootBullet>& bullets) {
    std::vector<QPointF> path;
    QPointF at(0, 0);
    for (const ShootBullet& b : bullets) {
        at += QPointF(b.left ? -double(b.x) : double(b.x), b.up ? -double(b.y) : double(b.y));
        path.push_back(at);
    }
    return path;
}

double ShootPatternView::Px(double px) const {
    return px * ui::DpiOf(this) / ui::kDefaultDpi;
}

ShootPatternView::Mapping ShootPatternView::CurrentMapping() const {
    const std::vector<QPointF> path = PathOf(bullets_);
    double left = 0, right = 0, top = 0, bottom = 0;
    for (const QPointF& p : path) {
        left = std::min(left, p.x());
        right = std::max(right, p.x());
        top = std::min(top, p.y());
        bottom = std::max(bottom, p.y());
    }
    // Centred on the pattern, never narrower than kMinimumSpan in either direction.
    const double w = std::max(right - left, kMinimumSpan);
    const double h = std::max(bottom - top, kMinimumSpan);
    const double cx = (left + right) / 2, cy = (top + bottom) / 2;
    const double margin = Px(kMargin);
    const double avail_w = std::max(1.0, width() - 2 * margin);
    const double avail_h = std::max(1.0, height() - 2 * margin);
    Mapping m;
    m.scale = std::min(avail_w / w, avail_h / h);
    m.origin = QPointF(width() / 2.0 - cx * m.scale, height() / 2.0 - cy * m.scale);
    return m;
}

int ShootPatternView::BulletAt(QPoint pos) const {
    const Mapping m = CurrentMapping();
    const std::vector<QPointF> path = PathOf(bullets_);
    int best = -1;
    double best_distance = Px(kPickRadius);
    for (size_t i = 0; i < path.size(); ++i) {
        const QPointF d = m.Map(path[i]) - QPointF(pos);
        const double distance = std::hypot(d.x(), d.y());
        // Later bullets are drawn over earlier ones: on a tie the later one is picked.
        if (distance <= best_distance) {
            best_distance = distance;
            best = static_cast<int>(i);
        }
    }
    return best;
}

QSize ShootPatternView::sizeHint() const {
    return {240, 200};
}

void ShootPatternView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(QPen(kFrame, 1));
    p.setBrush(kBackground);
    p.drawRoundedRect(frame, Px(4), Px(4));

    const Mapping m = CurrentMapping();
    const QPointF start = m.Map(QPointF(0, 0));
    // The aim before the first shot: a cross over the whole view.
    p.setPen(QPen(kAxis, 1));
    p.drawLine(QPointF(frame.left() + 1, start.y()), QPointF(frame.right() - 1, start.y()));
    p.drawLine(QPointF(start.x(), frame.top() + 1), QPointF(start.x(), frame.bottom() - 1));

    const std::vector<QPointF> path = PathOf(bullets_);
    if (!path.empty()) {
        QPainterPath line(start);
        for (const QPointF& at : path) line.lineTo(m.Map(at));
        p.setPen(QPen(kPath, Px(1.5), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(line);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(kDot);
    // Dots of bullets close together shrink, so that the path between them stays visible.
    double steps = 0;
    QPointF before = start;
    for (const QPointF& at : path) {
        const QPointF d = m.Map(at) - before;
        steps += std::hypot(d.x(), d.y());
        before = m.Map(at);
    }
    const double mean_step = path.empty() ? 0 : steps / static_cast<double>(path.size());
    const double r = std::clamp(mean_step * 0.35, Px(kSmallestDotRadius), Px(kDotRadius));
    for (const QPointF& at : path) p.drawEllipse(m.Map(at), r, r);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kPath, Px(1.2)));
    p.drawEllipse(start, r + Px(1), r + Px(1));

    if (selected_ >= 0 && selected_ < static_cast<int>(path.size())) {
        const QPointF at = m.Map(path[static_cast<size_t>(selected_)]);
        p.setPen(QPen(kAccent, Px(2)));
        p.setBrush(kAccent);
        p.drawEllipse(at, r + Px(1), r + Px(1));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(at, r + Px(4), r + Px(4));
        // The bullet's number beside its dot, inside the view.
        QFont f = font();
        f.setPixelSize(static_cast<int>(std::lround(Px(11))));
        f.setBold(true);
        p.setFont(f);
        const QString label = QString::number(selected_ + 1);
        const QFontMetricsF fm(f);
        QPointF text_at = at + QPointF(r + Px(6), -r - Px(4));
        if (text_at.x() + fm.horizontalAdvance(label) > frame.right() - Px(2))
            text_at.setX(at.x() - r - Px(6) - fm.horizontalAdvance(label));
        if (text_at.y() - fm.ascent() < frame.top() + Px(2))
            text_at.setY(at.y() + r + Px(4) + fm.ascent());
        p.drawText(text_at, label);
    }
}

void ShootPatternView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const int b = BulletAt(event->position().toPoint());
    if (b >= 0) emit BulletPicked(b);
}

}  // namespace dz::panels
