#pragma once
// "CloudShareListItemUI": a list row with two texts. While hovered it draws a 1-pixel border
// in the list's hot border colour ("hotbordercolor" on the list or the row); activation
// (double click) raises "itemactivate", a right click "menu" when context menus are on
// ("menu" on the row or its list).

#include <QColor>
#include <QString>
#include <QWidget>

namespace dz::ui {

class CloudShareListItem : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString text1 READ Text1 WRITE SetText1)
    Q_PROPERTY(QString text2 READ Text2 WRITE SetText2)

  public:
    explicit CloudShareListItem(QWidget* parent = nullptr);

    [[nodiscard]] QString Text1() const { return text1_; }
    void SetText1(const QString& t);
    [[nodiscard]] QString Text2() const { return text2_; }
    void SetText2(const QString& t);
    [[nodiscard]] bool IsHovered() const { return hovered_; }
    [[nodiscard]] QColor HotBorderColor() const;
    [[nodiscard]] bool ContextMenuEnabled() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    [[nodiscard]] QWidget* List() const;

    QString text1_;
    QString text2_;
    bool hovered_ = false;
};

}  // namespace dz::ui
