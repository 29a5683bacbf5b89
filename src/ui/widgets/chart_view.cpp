#include "ui/widgets/chart_view.h"

#include <QPainter>
#include <algorithm>

#include "ui/dpi.h"
#include "ui/image_string.h"
#include "ui/window_base.h"

namespace dz::ui {

ChartView::ChartView(QWidget* parent) : QWidget(parent) {}

void ChartView::AddItem(const QString& name, double value) {
    items_.push_back({name, std::max(0.0, value)});
    update();
}

void ChartView::RemoveAll() {
    items_.clear();
    update();
}

QString ChartView::View() const {
    return kind_ == Kind::kPie ? QStringLiteral("pie") : QStringLiteral("histpgram");
}

void ChartView::SetView(const QString& view) {
    kind_ = view == QLatin1String("histpgram") ? Kind::kHistogram : Kind::kPie;
    update();
}

void ChartView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (kind_ == Kind::kPie) {
        PaintPie(p);
    } else {
        PaintBars(p);
    }
}

void ChartView::PaintPie(QPainter& p) {
    double total = 0;
    for (const auto& it : items_) total += it.value;
    if (total <= 0) return;
    const int side = std::min(width(), height());
    const QRect r((width() - side) / 2, (height() - side) / 2, side, side);
    int start = 90 * 16;
    for (size_t i = 0; i < items_.size(); ++i) {
        const int span = -qRound(items_[i].value / total * 360 * 16);
        p.setBrush(QColor::fromHsv(static_cast<int>(i * 47 % 360), 180, 230));
        p.setPen(Qt::NoPen);
        p.drawPie(r, start, span);
        start += span;
    }
}

void ChartView::PaintBars(QPainter& p) {
    if (items_.empty()) return;
    double top = 0;
    for (const auto& it : items_) top = std::max(top, it.value);
    if (top <= 0) top = 1;
    const int textH = showText_ ? fontMetrics().height() : 0;
    const int base = height() - textH;
    // The skin's measures are 96-DPI pixels, like the rest of the skin.
    const int dpi = DpiOf(this);
    const int shadowH = ScalePx(shadowHeight_, dpi), pillarW = ScalePx(pillarWidth_, dpi);
    if (!shadowImage_.isEmpty() && shadowH > 0) {
        DrawImageString(p, QRect(0, base - shadowH, width(), shadowH), shadowImage_);
    }
    const int slot = width() / static_cast<int>(items_.size());
    const int barW = pillarW > 0 ? std::min(pillarW, slot) : std::max(1, slot / 2);
    for (size_t i = 0; i < items_.size(); ++i) {
        const int h = static_cast<int>(items_[i].value / top * (base - textH));
        const QRect bar(static_cast<int>(i) * slot + (slot - barW) / 2, base - h, barW, h);
        if (!pillarImage_.isEmpty()) {
            DrawImageString(p, bar, pillarImage_);
        } else {
            p.fillRect(bar, QColor(0x30, 0x90, 0xE0));
        }
        if (showText_) {
            p.setPen(palette().color(QPalette::WindowText));
            p.drawText(QRect(static_cast<int>(i) * slot, base, slot, textH), Qt::AlignCenter,
                       items_[i].name);
        }
    }
}

}  // namespace dz::ui
