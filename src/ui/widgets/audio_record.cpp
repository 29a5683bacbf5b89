#include "ui/widgets/audio_record.h"

#include <QPainter>
#include <algorithm>

namespace dz::ui {

AudioRecord::AudioRecord(QWidget* parent) : QLabel(parent) {
    for (int i = 0; i < kLevels; ++i) levels_[static_cast<size_t>(i)] = i;
}

void AudioRecord::SetLevels(std::span<const int> levels) {
    const size_t n = std::min(levels.size(), levels_.size());
    std::copy_n(levels.begin(), n, levels_.begin());
    update();
}

void AudioRecord::SetBkColor(const QColor& c) {
    bk_ = c;
    update();
}

int AudioRecord::BarHeight(int i, int h) const {
    if (i < 0 || i >= kLevels) return 0;
    const long long v = levels_[static_cast<size_t>(i)];
    // Levels outside 0..8192 would draw outside the control.
    return static_cast<int>(std::clamp<long long>(h * v / kFullScale, 0, h));
}

void AudioRecord::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), bk_);
    const int h = height();
    for (int i = 0; i < std::min(kLevels, kMaxBars); ++i) {
        const int x = 2 * i;
        if (x + 1 > width()) break;
        const int bar = BarHeight(i, h);
        if (bar > 0) p.fillRect(QRect(x, h - bar, 1, bar), Qt::black);
    }
}

}  // namespace dz::ui
