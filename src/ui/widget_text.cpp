#include "ui/widget_text.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTextEdit>

namespace dz::ui {

QString ShownText(const QWidget* w) {
    if (w == nullptr) return {};
    if (auto* l = qobject_cast<const QLabel*>(w)) return l->text();
    if (auto* b = qobject_cast<const QAbstractButton*>(w)) return b->text();
    if (auto* e = qobject_cast<const QLineEdit*>(w)) return e->text();
    if (auto* t = qobject_cast<const QTextEdit*>(w)) return t->toPlainText();
    if (auto* p = qobject_cast<const QPlainTextEdit*>(w)) return p->toPlainText();
    if (auto* g = qobject_cast<const QGroupBox*>(w)) return g->title();
    if (auto* c = qobject_cast<const QComboBox*>(w)) return c->currentText();
    if (w->isWindow()) return w->windowTitle();
    return w->property("text").toString();
}

void SetShownText(QWidget* w, const QString& text) {
    if (w == nullptr) return;
    const QSignalBlocker block(w);
    if (auto* l = qobject_cast<QLabel*>(w)) {
        l->setText(text);
    } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        b->setText(text);
    } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
        e->setText(text);
    } else if (auto* t = qobject_cast<QTextEdit*>(w)) {
        t->setPlainText(text);
    } else if (auto* p = qobject_cast<QPlainTextEdit*>(w)) {
        p->setPlainText(text);
    } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
        g->setTitle(text);
    } else if (auto* c = qobject_cast<QComboBox*>(w)) {
        if (c->isEditable()) c->setEditText(text);
    } else if (w->isWindow()) {
        w->setWindowTitle(text);
    } else {
        w->setProperty("text", text);
        w->update();
    }
}

}  // namespace dz::ui
