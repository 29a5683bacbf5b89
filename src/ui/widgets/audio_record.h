#pragma once
// "AudioRecord": the level display. The background colour is filled, then each level is a
// 1-pixel black bar every 2 pixels from the left while it fits, rising from the bottom to
// height x level / 8192.

#include <QColor>
#include <QLabel>
#include <array>
#include <span>

namespace dz::ui {

class AudioRecord : public QLabel {
    Q_OBJECT
    Q_PROPERTY(QColor bkcolor READ BkColor WRITE SetBkColor)

  public:
    static constexpr int kLevels = 256;
    static constexpr int kFullScale = 8192;
    static constexpr int kMaxBars = 500;

    explicit AudioRecord(QWidget* parent = nullptr);

    // Takes up to 256 values; the rest keep theirs.
    void SetLevels(std::span<const int> levels);
    [[nodiscard]] const std::array<int, kLevels>& Levels() const { return levels_; }
    [[nodiscard]] QColor BkColor() const { return bk_; }
    void SetBkColor(const QColor& c);
    // Height in pixels of bar i for a control of height h.
    [[nodiscard]] int BarHeight(int i, int h) const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::array<int, kLevels> levels_{};
    QColor bk_ = Qt::white;
};

}  // namespace dz::ui
