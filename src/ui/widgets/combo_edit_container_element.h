#pragma once
// "ComboEditContainerElement": a macro-event row built from the skin
// "XML\CustomControlXML\ComboEditElementItem.xml" with the children "text1", "text2" and
// "delay_edit". Return while enabled activates it and raises "return"; a click selects it
// (toggles with Control held); the release raises "itemclick"; a right click raises "menu"
// when context menus are on ("menu" on the row or its list). The stock row images of the
// skin ("normalimage", "hotimage", "selectedimage") are accepted and ignored.

#include <QString>
#include <QWidget>

namespace dz::ui {

class ComboEditContainerElement : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString normalimage READ Ignored WRITE Ignore)
    Q_PROPERTY(QString hotimage READ Ignored WRITE Ignore)
    Q_PROPERTY(QString selectedimage READ Ignored WRITE Ignore)

  public:
    static constexpr char kSkin[] = "XML\\CustomControlXML\\ComboEditElementItem.xml";

    explicit ComboEditContainerElement(QWidget* parent = nullptr);

    // The three texts, shown in "text1", "text2" and "delay_edit".
    void SetTexts(const QString& text1, const QString& text2, const QString& delay);
    [[nodiscard]] QString Text1() const;
    [[nodiscard]] QString Text2() const;
    [[nodiscard]] QString Delay() const;
    [[nodiscard]] QWidget* Child(const char* name) const;

    [[nodiscard]] bool IsSelected() const { return selected_; }
    void SetSelected(bool selected);
    [[nodiscard]] int ActivateCount() const { return activations_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    [[nodiscard]] QString Ignored() const { return {}; }
    void Ignore(const QString&) {}

    QWidget* content_ = nullptr;
    bool selected_ = false;
    bool pressed_ = false;
    int activations_ = 0;
};

}  // namespace dz::ui
