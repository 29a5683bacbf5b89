#include "ui/notifier.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QResizeEvent>
#include <QScrollBar>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>

#include "ui/notification.h"

namespace dz::ui {
namespace {

constexpr char kHooked[] = "dz_hooked";
constexpr char kLastIndex[] = "dz_lastindex";

bool IsWatchable(const QWidget* w) {
    const QString n = w->objectName();
    return !n.isEmpty() && !n.startsWith(QLatin1String("qt_"));
}

int CurrentIndexOf(const QWidget* w) {
    if (auto* c = qobject_cast<const QComboBox*>(w)) return c->currentIndex();
    if (auto* l = qobject_cast<const QListWidget*>(w)) return l->currentRow();
    return -1;
}

}  // namespace

SilentChange::SilentChange(QWidget* control) : control_(control) {
    if (control != nullptr) wasBlocked_ = control->blockSignals(true);
}

SilentChange::~SilentChange() {
    if (control_ == nullptr) return;
    control_->blockSignals(wasBlocked_);
    if (control_->property(kLastIndex).isValid())
        control_->setProperty(kLastIndex, CurrentIndexOf(control_));
}

Notifier::Notifier(Sink sink, QObject* parent) : QObject(parent), sink_(std::move(sink)) {}

void Notifier::Emit(QWidget* sender, const QString& type, qintptr wParam, qintptr lParam) {
    if (!sink_) return;
    Notification n;
    n.type = type;
    n.sender = sender;
    n.name = sender ? sender->objectName() : QString();
    n.wParam = wParam;
    n.lParam = lParam;
    sink_(n);
}

void Notifier::Attach(QWidget* subtree) {
    if (!subtree) return;
    QList<QWidget*> all = subtree->findChildren<QWidget*>();
    all.prepend(subtree);
    for (QWidget* w : all) {
        if (IsWatchable(w) && !w->property(kHooked).toBool()) Hook(w);
    }
}

void Notifier::Hook(QWidget* w) {
    w->setProperty(kHooked, true);
    w->installEventFilter(this);

    if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        connect(b, &QAbstractButton::clicked, this, [this, b] { Emit(b, notify::kClick); });
        connect(b, &QAbstractButton::toggled, this, [this, b](bool on) {
            if (b->isCheckable()) Emit(b, notify::kSelectChanged, on ? 1 : 0);
        });
    } else if (auto* c = qobject_cast<QComboBox*>(w)) {
        c->setProperty(kLastIndex, c->currentIndex());
        connect(c, &QComboBox::currentIndexChanged, this, [this, c](int index) {
            const int old = c->property(kLastIndex).toInt();
            c->setProperty(kLastIndex, index);
            Emit(c, notify::kItemSelect, index, old);
        });
    } else if (auto* l = qobject_cast<QListWidget*>(w)) {
        l->setProperty(kLastIndex, l->currentRow());
        connect(l, &QListWidget::currentRowChanged, this, [this, l](int row) {
            const int old = l->property(kLastIndex).toInt();
            l->setProperty(kLastIndex, row);
            Emit(l, notify::kItemSelect, row, old);
        });
        connect(l, &QListWidget::itemClicked, this,
                [this, l](QListWidgetItem* item) { Emit(l, notify::kItemClick, l->row(item)); });
        connect(l, &QListWidget::itemActivated, this,
                [this, l](QListWidgetItem* item) { Emit(l, notify::kItemActivate, l->row(item)); });
    } else if (auto* s = qobject_cast<QAbstractSlider*>(w); s && !qobject_cast<QScrollBar*>(w)) {
        connect(s, &QAbstractSlider::valueChanged, this, [this, s](int v) {
            if (!s->isSliderDown()) Emit(s, notify::kValueChanged, v);
        });
        connect(s, &QAbstractSlider::sliderMoved, this,
                [this, s](int v) { Emit(s, notify::kMoveValueChanged, v); });
        connect(s, &QAbstractSlider::sliderReleased, this,
                [this, s] { Emit(s, notify::kValueChanged, s->value()); });
    } else if (auto* sp = qobject_cast<QSpinBox*>(w)) {
        connect(sp, &QSpinBox::valueChanged, this,
                [this, sp](int v) { Emit(sp, notify::kValueChanged, v); });
    } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
        connect(e, &QLineEdit::textChanged, this, [this, e] { Emit(e, notify::kTextChanged); });
        connect(e, &QLineEdit::returnPressed, this, [this, e] { Emit(e, notify::kReturn); });
    } else if (auto* te = qobject_cast<QTextEdit*>(w)) {
        connect(te, &QTextEdit::textChanged, this, [this, te] { Emit(te, notify::kTextChanged); });
    } else if (auto* pe = qobject_cast<QPlainTextEdit*>(w)) {
        connect(pe, &QPlainTextEdit::textChanged, this,
                [this, pe] { Emit(pe, notify::kTextChanged); });
    } else if (auto* tw = qobject_cast<QTabWidget*>(w)) {
        connect(tw, &QTabWidget::currentChanged, this,
                [this, tw](int i) { Emit(tw, notify::kTabSelect, i); });
    } else if (auto* tb = qobject_cast<QTabBar*>(w)) {
        connect(tb, &QTabBar::currentChanged, this,
                [this, tb](int i) { Emit(tb, notify::kTabSelect, i); });
    } else if (auto* sw = qobject_cast<QStackedWidget*>(w)) {
        connect(sw, &QStackedWidget::currentChanged, this,
                [this, sw](int i) { Emit(sw, notify::kTabSelect, i); });
    }
}

bool Notifier::eventFilter(QObject* watched, QEvent* event) {
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w) return false;
    switch (event->type()) {
        case QEvent::FocusIn:
            Emit(w, notify::kSetFocus);
            break;
        case QEvent::FocusOut:
            Emit(w, notify::kKillFocus);
            break;
        case QEvent::Enter:
            Emit(w, notify::kMouseEnter);
            break;
        case QEvent::Leave:
            Emit(w, notify::kMouseLeave);
            break;
        case QEvent::ContextMenu: {
            // Only controls that ask for it (skin property "menu"), and only the one clicked.
            if (!w->property("menu").toBool()) break;
            const auto* e = static_cast<QContextMenuEvent*>(event);
            Emit(w, notify::kMenu, e->globalPos().x(), e->globalPos().y());
            return true;
        }
        case QEvent::Resize:
            if (w == root_) {
                const auto* e = static_cast<QResizeEvent*>(event);
                Emit(w, notify::kWindowSize, e->size().width(), e->size().height());
            }
            break;
        default:
            break;
    }
    return false;
}

}  // namespace dz::ui
