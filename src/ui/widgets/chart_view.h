#pragma once
// Chart of named values, drawn as a pie or as bars ("histpgram"), with an optional shadow
// image under the bars, a pillar image for each bar, and the values' texts.

#include <QString>
#include <QWidget>
#include <vector>

namespace dz::ui {

class ChartView : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString view READ View WRITE SetView)
    Q_PROPERTY(QString shadowimage MEMBER shadowImage_)
    Q_PROPERTY(int shadowimageheight MEMBER shadowHeight_)
    Q_PROPERTY(QString pillarimage MEMBER pillarImage_)
    Q_PROPERTY(int pillarimagewidth MEMBER pillarWidth_)
    Q_PROPERTY(QString showhtml READ ShowHtmlText WRITE SetShowHtmlText)
    Q_PROPERTY(QString showtext READ ShowTextText WRITE SetShowTextText)
    // The skin's font index (shadows QWidget::font).
    Q_PROPERTY(int font READ FontIndex WRITE SetFontIndex)

  public:
    enum class Kind { kPie, kHistogram };
    struct Item {
        QString name;
        double value = 0;
    };

    explicit ChartView(QWidget* parent = nullptr);

    void AddItem(const QString& name, double value);
    void RemoveAll();
    [[nodiscard]] const std::vector<Item>& Items() const { return items_; }

    [[nodiscard]] Kind ViewKind() const { return kind_; }
    [[nodiscard]] QString View() const;
    void SetView(const QString& view);
    [[nodiscard]] bool ShowHtml() const { return showHtml_; }
    [[nodiscard]] bool ShowText() const { return showText_; }
    [[nodiscard]] int FontIndex() const { return fontIndex_; }
    void SetFontIndex(int index) { fontIndex_ = index; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    [[nodiscard]] QString ShowHtmlText() const { return showHtml_ ? "true" : "false"; }
    void SetShowHtmlText(const QString& v) { showHtml_ = v == QLatin1String("true"); }
    [[nodiscard]] QString ShowTextText() const { return showText_ ? "true" : "false"; }
    void SetShowTextText(const QString& v) { showText_ = v == QLatin1String("true"); }
    void PaintPie(QPainter& p);
    void PaintBars(QPainter& p);

    std::vector<Item> items_;
    Kind kind_ = Kind::kPie;
    QString shadowImage_;
    int shadowHeight_ = 0;
    QString pillarImage_;
    int pillarWidth_ = 0;
    bool showHtml_ = false;
    bool showText_ = false;
    int fontIndex_ = -1;
};

}  // namespace dz::ui
