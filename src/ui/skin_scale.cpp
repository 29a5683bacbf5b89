#include "ui/skin_scale.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLayout>
#include <QRegularExpression>
#include <QSpacerItem>
#include <QVariant>
#include <cmath>
#include <vector>

#include "ui/dpi.h"

namespace dz::ui {
namespace {

constexpr char kMeasures[] = "dz_skin_measures";
constexpr char kScaledDpi[] = "dz_scaled_dpi";

struct WidgetMeasures {
    bool placed = false;  // positioned by its coordinates, not by a layout
    QRect geometry;
    QSize min;
    QSize max;
    // Font size, in points or pixels: the skin's own, or the application's for the control
    // (a style sheet keeps fonts from reaching children, so each control carries its size).
    bool ownFont = false;
    qreal fontPoints = -1;
    int fontPixels = -1;
    QSize icon;  // buttons, combos and item views
};

struct SpacerMeasures {
    const QSpacerItem* item;
    QSize hint;
    QSizePolicy policy;
};

struct LayoutMeasures {
    QMargins margins;
    int spacing = -1;  // box layouts; grids and forms keep both directions
    int hSpacing = -1;
    int vSpacing = -1;
    std::vector<SpacerMeasures> spacers;
};

}  // namespace
}  // namespace dz::ui

Q_DECLARE_METATYPE(dz::ui::WidgetMeasures)
Q_DECLARE_METATYPE(dz::ui::LayoutMeasures)

namespace dz::ui {
namespace {

int Px(int px, double k) {
    return static_cast<int>(std::lround(px * k));
}

QSize MinSize(QSize s, double k) {
    return {s.width() > 0 ? Px(s.width(), k) : s.width(),
            s.height() > 0 ? Px(s.height(), k) : s.height()};
}

QSize MaxSize(QSize s, double k) {
    return {s.width() < QWIDGETSIZE_MAX ? Px(s.width(), k) : s.width(),
            s.height() < QWIDGETSIZE_MAX ? Px(s.height(), k) : s.height()};
}

// Whether the layout or one of the layouts nested in it places w.
bool Places(const QLayout* l, const QWidget* w) {
    for (int i = 0; i < l->count(); ++i) {
        QLayoutItem* item = l->itemAt(i);
        if (item->widget() == w) return true;
        if (const QLayout* sub = item->layout(); sub != nullptr && Places(sub, w)) return true;
    }
    return false;
}

bool InParentLayout(const QWidget* w) {
    const QWidget* parent = w->parentWidget();
    return parent != nullptr && parent->layout() != nullptr && Places(parent->layout(), w);
}

QSize IconSizeOf(const QWidget* w) {
    if (auto* b = qobject_cast<const QAbstractButton*>(w)) return b->iconSize();
    if (auto* c = qobject_cast<const QComboBox*>(w)) return c->iconSize();
    if (auto* v = qobject_cast<const QAbstractItemView*>(w)) return v->iconSize();
    return {};
}

void SetIconSize(QWidget* w, QSize s) {
    if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        b->setIconSize(s);
    } else if (auto* c = qobject_cast<QComboBox*>(w)) {
        c->setIconSize(s);
    } else if (auto* v = qobject_cast<QAbstractItemView*>(w)) {
        v->setIconSize(s);
    }
}

// Controls of the skin; a control's child windows (menus, dialogs) are not its content.
template <class F>
void ForEachControl(QWidget* w, const F& f) {
    f(w);
    for (QObject* o : w->children()) {
        auto* child = qobject_cast<QWidget*>(o);
        if (child != nullptr && !child->isWindow()) ForEachControl(child, f);
    }
}

template <class F>
void ForEachLayout(QLayout* l, const F& f) {
    f(l);
    for (QObject* o : l->children()) {
        if (auto* sub = qobject_cast<QLayout*>(o)) ForEachLayout(sub, f);
    }
}

template <class F>
void ForEachLayoutOf(QWidget* w, const F& f) {
    for (QObject* o : w->children()) {
        if (auto* l = qobject_cast<QLayout*>(o)) ForEachLayout(l, f);
    }
}

void RecordLayout(QLayout* l) {
    if (l->property(kMeasures).isValid()) return;
    LayoutMeasures m;
    m.margins = l->contentsMargins();
    if (auto* g = qobject_cast<QGridLayout*>(l)) {
        m.hSpacing = g->horizontalSpacing();
        m.vSpacing = g->verticalSpacing();
    } else if (auto* fl = qobject_cast<QFormLayout*>(l)) {
        m.hSpacing = fl->horizontalSpacing();
        m.vSpacing = fl->verticalSpacing();
    } else {
        m.spacing = l->spacing();
    }
    for (int i = 0; i < l->count(); ++i) {
        if (const QSpacerItem* s = l->itemAt(i)->spacerItem())
            m.spacers.push_back({s, s->sizeHint(), s->sizePolicy()});
    }
    l->setProperty(kMeasures, QVariant::fromValue(m));
}

void ScaleLayout(QLayout* l, int dpi, double k) {
    const QVariant v = l->property(kMeasures);
    if (!v.isValid() || l->property(kScaledDpi).toInt() == dpi) return;
    const auto m = v.value<LayoutMeasures>();
    l->setContentsMargins(Px(m.margins.left(), k), Px(m.margins.top(), k), Px(m.margins.right(), k),
                          Px(m.margins.bottom(), k));
    if (auto* g = qobject_cast<QGridLayout*>(l)) {
        if (m.hSpacing >= 0) g->setHorizontalSpacing(Px(m.hSpacing, k));
        if (m.vSpacing >= 0) g->setVerticalSpacing(Px(m.vSpacing, k));
    } else if (auto* fl = qobject_cast<QFormLayout*>(l)) {
        if (m.hSpacing >= 0) fl->setHorizontalSpacing(Px(m.hSpacing, k));
        if (m.vSpacing >= 0) fl->setVerticalSpacing(Px(m.vSpacing, k));
    } else if (m.spacing >= 0) {
        l->setSpacing(Px(m.spacing, k));
    }
    // Only spacers still in the layout: code may have taken some out since the build.
    for (int i = 0; i < l->count(); ++i) {
        QSpacerItem* s = l->itemAt(i)->spacerItem();
        if (s == nullptr) continue;
        for (const SpacerMeasures& sm : m.spacers) {
            if (sm.item != s) continue;
            s->changeSize(Px(sm.hint.width(), k), Px(sm.hint.height(), k),
                          sm.policy.horizontalPolicy(), sm.policy.verticalPolicy());
            break;
        }
    }
    l->invalidate();
    l->setProperty(kScaledDpi, dpi);
}

void RecordWidget(QWidget* w, bool top) {
    if (w->property(kMeasures).isValid()) return;
    WidgetMeasures m;
    m.placed = !top && !InParentLayout(w);
    m.geometry = w->geometry();
    m.min = w->minimumSize();
    m.max = w->maximumSize();
    m.ownFont = w->testAttribute(Qt::WA_SetFont);
    const QFont f = m.ownFont ? w->font() : QApplication::font(w);
    if (f.pixelSize() > 0) {
        m.fontPixels = f.pixelSize();
    } else {
        m.fontPoints = f.pointSizeF();
    }
    m.icon = IconSizeOf(w);
    w->setProperty(kMeasures, QVariant::fromValue(m));
}

void ScaleWidget(QWidget* w, int dpi, double k) {
    const QVariant v = w->property(kMeasures);
    if (!v.isValid() || ScaledDpi(w) == dpi) return;
    const auto m = v.value<WidgetMeasures>();
    // Maximum lifted first, so the new minimum never meets the old maximum.
    w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    w->setMinimumSize(MinSize(m.min, k));
    w->setMaximumSize(MaxSize(m.max, k));
    if (m.placed) {
        const QRect g = m.geometry;
        w->setGeometry(Px(g.x(), k), Px(g.y(), k), Px(g.width(), k), Px(g.height(), k));
    }
    if (!m.ownFont && dpi == kDefaultDpi) {
        if (w->testAttribute(Qt::WA_SetFont)) w->setFont(QFont());  // the application's again
    } else if (m.fontPixels > 0 || m.fontPoints > 0) {
        QFont f = w->font();  // keeps which attributes the skin set itself
        if (m.fontPixels > 0) {
            f.setPixelSize(std::max(1, Px(m.fontPixels, k)));
        } else {
            f.setPointSizeF(m.fontPoints * k);
        }
        w->setFont(f);
    }
    // A combo's list opens in a window of its own, which a style sheet keeps from taking the
    // combo's font.
    if (auto* c = qobject_cast<QComboBox*>(w); c != nullptr && c->view() != nullptr)
        c->view()->setFont(w->testAttribute(Qt::WA_SetFont) ? w->font() : QFont());
    if (m.icon.isValid()) SetIconSize(w, QSize(Px(m.icon.width(), k), Px(m.icon.height(), k)));
    w->setProperty(kScaledDpi, dpi);
}

}  // namespace

void RecordSkinMeasures(QWidget* subtree) {
    if (subtree == nullptr) return;
    ForEachControl(subtree, [subtree](QWidget* w) {
        RecordWidget(w, w == subtree);
        ForEachLayoutOf(w, RecordLayout);
    });
}

void ScaleSkin(QWidget* subtree, int dpi) {
    if (subtree == nullptr) return;
    const double k = ScaleOf(dpi);
    ForEachControl(subtree, [dpi, k](QWidget* w) {
        ScaleWidget(w, dpi, k);
        ForEachLayoutOf(w, [dpi, k](QLayout* l) { ScaleLayout(l, dpi, k); });
    });
}

int ScaledDpi(const QWidget* control) {
    const QVariant v = control != nullptr ? control->property(kScaledDpi) : QVariant();
    return v.isValid() ? v.toInt() : kDefaultDpi;
}

QString ScaleStyleSheet(const QString& sheet, int dpi) {
    if (dpi == kDefaultDpi) return sheet;
    // A number directly before "px", not part of a name such as "#key12px"; file names in
    // url(...) are passed over whole.
    static const QRegularExpression length(
        QStringLiteral(R"((url\([^)]*\))|(?<![\w.])(-?\d+(?:\.\d+)?)px\b)"));
    const double k = ScaleOf(dpi);
    QString out;
    out.reserve(sheet.size() + sheet.size() / 8);
    qsizetype from = 0;
    for (auto it = length.globalMatch(sheet); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.capturedLength(1) > 0) continue;
        out += QStringView(sheet).mid(from, m.capturedStart() - from);
        const double v = m.captured(2).toDouble();
        long scaled = std::lround(v * k);
        if (v > 0 && scaled < 1) scaled = 1;
        if (v < 0 && scaled > -1) scaled = -1;
        out += QString::number(scaled) + QStringLiteral("px");
        from = m.capturedEnd();
    }
    out += QStringView(sheet).mid(from);
    return out;
}

}  // namespace dz::ui
