#include "ui/widgets/combo_edit_container_element.h"

#include <QAbstractItemView>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

#include "ui/notification.h"
#include "ui/skin_loader.h"
#include "ui/widget_text.h"
#include "ui/window_base.h"

namespace dz::ui {

ComboEditContainerElement::ComboEditContainerElement(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    content_ = BuildSkin(QString::fromLatin1(kSkin), this);
    if (content_) layout->addWidget(content_);
}

QWidget* ComboEditContainerElement::Child(const char* name) const {
    return content_ ? content_->findChild<QWidget*>(QString::fromLatin1(name)) : nullptr;
}

void ComboEditContainerElement::SetTexts(const QString& text1, const QString& text2,
                                         const QString& delay) {
    SetShownText(Child("text1"), text1);
    SetShownText(Child("text2"), text2);
    SetShownText(Child("delay_edit"), delay);
}

QString ComboEditContainerElement::Text1() const {
    return ShownText(Child("text1"));
}
QString ComboEditContainerElement::Text2() const {
    return ShownText(Child("text2"));
}
QString ComboEditContainerElement::Delay() const {
    return ShownText(Child("delay_edit"));
}

void ComboEditContainerElement::SetSelected(bool selected) {
    selected_ = selected;
    update();
}

void ComboEditContainerElement::paintEvent(QPaintEvent*) {
    if (!selected_) return;
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Highlight).lighter(150));
}

void ComboEditContainerElement::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && isEnabled()) {
        ++activations_;
        RaiseNotify(this, QString::fromLatin1(notify::kReturn));
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void ComboEditContainerElement::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !isEnabled()) return QWidget::mousePressEvent(event);
    pressed_ = true;
    if (event->modifiers() & Qt::ControlModifier) {
        SetSelected(!selected_);
    } else {
        // A plain click selects this row only.
        if (QWidget* p = parentWidget()) {
            for (auto* other :
                 p->findChildren<ComboEditContainerElement*>(Qt::FindDirectChildrenOnly)) {
                if (other != this) other->SetSelected(false);
            }
        }
        SetSelected(true);
    }
    event->accept();
}

void ComboEditContainerElement::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !pressed_) return QWidget::mouseReleaseEvent(event);
    pressed_ = false;
    RaiseNotify(this, QString::fromLatin1(notify::kItemClick));
    event->accept();
}

void ComboEditContainerElement::contextMenuEvent(QContextMenuEvent* event) {
    bool enabled = property("menu").toBool();
    for (QWidget* p = parentWidget(); p && !enabled; p = p->parentWidget()) {
        if (qobject_cast<QAbstractItemView*>(p)) enabled = p->property("menu").toBool();
    }
    if (!enabled) return QWidget::contextMenuEvent(event);
    RaiseNotify(this, QString::fromLatin1(notify::kMenu), event->globalPos().x(),
                event->globalPos().y());
    event->accept();
}

}  // namespace dz::ui
