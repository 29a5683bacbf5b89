#include "ui/control_ops.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QProgressBar>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QStyle>
#include <QTabWidget>
#include <climits>
#include <memory>
#include <vector>

#include "ui/image_string.h"
#include "ui/notifier.h"
#include "ui/number_validator.h"
#include "ui/resource_manager.h"
#include "ui/resource_map.h"
#include "ui/skin_icon.h"
#include "ui/widget_text.h"
#include "ui/widgets/color_palette.h"
#include "ui/window_base.h"

namespace dz::ui {
namespace {

constexpr char kBaseStyle[] = "dz_basestyle";

// Background colour and image as one style rule that applies to this control only.
void ApplyBackgroundStyle(QWidget* w) {
    if (!w->property(kBaseStyle).isValid()) w->setProperty(kBaseStyle, w->styleSheet());
    QString rule;
    const QColor c = w->property("bkcolor").value<QColor>();
    if (c.isValid() && c.alpha() != 0) {
        rule += QStringLiteral("background-color: rgba(%1,%2,%3,%4);")
                    .arg(c.red())
                    .arg(c.green())
                    .arg(c.blue())
                    .arg(c.alpha());
    }
    const ImageRef img = ParseImageString(w->property("bkimage").toString());
    if (!img.file.isEmpty()) {
        // A file the user chose may hold any character: quoted, it stays one url.
        QString path = ResourceMap::Instance().FilePath(img.file);
        path.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
            .replace(QLatin1Char('"'), QStringLiteral("\\\""));
        rule += QStringLiteral("border-image: url(\"%1\") 0 0 0 0 stretch stretch;").arg(path);
    }
    QString sheet = w->property(kBaseStyle).toString();
    if (!rule.isEmpty() && !w->objectName().isEmpty()) {
        sheet += QStringLiteral("\n#%1 { %2 }").arg(w->objectName(), rule);
    }
    w->setStyleSheet(sheet);
    w->update();
}

void RefreshValidator(QLineEdit* e) {
    if (!e->property("numberonly").toBool()) {
        delete e->validator();
        e->setValidator(nullptr);
        return;
    }
    const QVariant lo = e->property("minvalue"), hi = e->property("maxvalue");
    delete e->validator();
    e->setValidator(new NumberValidator(lo.isValid() ? lo.toLongLong() : 0,
                                        hi.isValid() ? hi.toLongLong() : INT_MAX, e));
}

// Blocks the signals of every option of w's group while a state is set from code.
std::vector<std::unique_ptr<QSignalBlocker>> BlockGroup(QAbstractButton* b) {
    std::vector<std::unique_ptr<QSignalBlocker>> blockers;
    blockers.push_back(std::make_unique<QSignalBlocker>(b));
    if (QButtonGroup* g = b->group()) {
        for (QAbstractButton* other : g->buttons()) {
            if (other != b) blockers.push_back(std::make_unique<QSignalBlocker>(other));
        }
    }
    return blockers;
}

// Rebuilds a button's icon from its state images.
void ApplyStateImages(QWidget* w) {
    auto* b = qobject_cast<QAbstractButton*>(w);
    if (!b) {
        w->update();
        return;
    }
    b->setIcon(SkinIcon(SkinIconFiles{ParseImageString(NormalImage(w)).file,
                                      ParseImageString(SelectedImage(w)).file,
                                      ParseImageString(DisabledImage(w)).file}));
    b->update();
}

}  // namespace

QString Name(const QWidget* w) {
    return w ? w->objectName() : QString();
}

QString Text(const QWidget* w) {
    return ShownText(w);
}

void SetText(QWidget* w, const QString& text) {
    ResourceManager::Instance().SetControlText(w, text);
}

bool IsVisible(const QWidget* w) {
    return w != nullptr && !w->isHidden();
}
void SetVisible(QWidget* w, bool visible) {
    if (w) w->setVisible(visible);
}
bool IsEnabled(const QWidget* w) {
    return w != nullptr && w->isEnabled();
}
void SetEnabled(QWidget* w, bool enabled) {
    if (w) w->setEnabled(enabled);
}

void SetBkColor(QWidget* w, QRgb argb) {
    if (!w) return;
    w->setProperty("bkcolor", QColor::fromRgba(argb));
    ApplyBackgroundStyle(w);
}
QRgb BkColor(const QWidget* w) {
    if (!w) return 0;
    const QColor c = w->property("bkcolor").value<QColor>();
    return c.isValid() ? c.rgba() : 0;
}
void SetBkImage(QWidget* w, const QString& image) {
    if (!w) return;
    w->setProperty("bkimage", image);
    ApplyBackgroundStyle(w);
}
QString BkImage(const QWidget* w) {
    return w ? w->property("bkimage").toString() : QString();
}

void SetForeImage(QWidget* w, const QString& image) {
    if (!w) return;
    w->setProperty("foreimage", image);
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        b->setIcon(SkinIcon(ParseImageString(image).file));
    w->update();
}
QString ForeImage(const QWidget* w) {
    return w ? w->property("foreimage").toString() : QString();
}

void SetThumbImages(QWidget* w, const QString& normal, const QString& hot,
                    const QString& pushed) {
    if (!w) return;
    if (w->property("thumbimage").toString() == normal &&
        w->property("thumbhotimage").toString() == hot &&
        w->property("thumbpushedimage").toString() == pushed)
        return;
    w->setProperty("thumbimage", normal);
    w->setProperty("thumbhotimage", hot);
    w->setProperty("thumbpushedimage", pushed);
    // Style rules that select on the properties apply again.
    w->style()->unpolish(w);
    w->style()->polish(w);
    w->update();
}
QString ThumbImage(const QWidget* w) {
    return w ? w->property("thumbimage").toString() : QString();
}

void SetNormalImage(QWidget* w, const QString& image) {
    if (!w) return;
    w->setProperty("normalimage", image);
    ApplyStateImages(w);
}
QString NormalImage(const QWidget* w) {
    return w ? w->property("normalimage").toString() : QString();
}
void SetSelectedImage(QWidget* w, const QString& image) {
    if (!w) return;
    w->setProperty("selectedimage", image);
    ApplyStateImages(w);
}
QString SelectedImage(const QWidget* w) {
    return w ? w->property("selectedimage").toString() : QString();
}
void SetDisabledImage(QWidget* w, const QString& image) {
    if (!w) return;
    w->setProperty("disabledimage", image);
    ApplyStateImages(w);
}
QString DisabledImage(const QWidget* w) {
    return w ? w->property("disabledimage").toString() : QString();
}

void SetToolTip(QWidget* w, const QString& text) {
    if (!w) return;
    ResourceManager::ForgetToolTipId(w);
    w->setToolTip(text);
}
QString ToolTip(const QWidget* w) {
    return w ? w->toolTip() : QString();
}

void SetUserData(QWidget* w, const QString& data) {
    if (w) w->setProperty("userdata", data);
}
QString UserData(const QWidget* w) {
    return w ? w->property("userdata").toString() : QString();
}

bool IsSelected(const QWidget* w) {
    auto* b = qobject_cast<const QAbstractButton*>(w);
    return b != nullptr && b->isCheckable() && b->isChecked();
}
void SetSelected(QWidget* w, bool selected, bool notify) {
    auto* b = qobject_cast<QAbstractButton*>(w);
    if (!b) return;
    if (!b->isCheckable()) b->setCheckable(true);
    std::vector<std::unique_ptr<QSignalBlocker>> blockers;
    if (!notify) blockers = BlockGroup(b);
    // An exclusive group refuses to clear its checked option; lift that for the moment.
    QButtonGroup* g = b->group();
    const bool exclusive = g && g->exclusive();
    if (exclusive && !selected) g->setExclusive(false);
    b->setChecked(selected);
    if (exclusive && !selected) g->setExclusive(true);
}
QString Group(const QWidget* w) {
    return w ? w->property("group").toString() : QString();
}

int CurSel(const QWidget* w) {
    if (auto* c = qobject_cast<const QComboBox*>(w)) return c->currentIndex();
    if (auto* l = qobject_cast<const QListWidget*>(w)) return l->currentRow();
    if (auto* s = qobject_cast<const QStackedWidget*>(w)) return s->currentIndex();
    if (auto* t = qobject_cast<const QTabWidget*>(w)) return t->currentIndex();
    return -1;
}
bool SelectItem(QWidget* w, int index, bool notify) {
    if (auto* c = qobject_cast<QComboBox*>(w)) {
        if (index < -1 || index >= c->count()) return false;
        const SilentChange silent(notify ? nullptr : c);
        c->setCurrentIndex(index);
        return true;
    }
    if (auto* l = qobject_cast<QListWidget*>(w)) {
        if (index < -1 || index >= l->count()) return false;
        const SilentChange silent(notify ? nullptr : l);
        l->setCurrentRow(index);
        return true;
    }
    if (auto* s = qobject_cast<QStackedWidget*>(w)) {
        if (index < 0 || index >= s->count()) return false;
        const QSignalBlocker block(notify ? nullptr : s);
        s->setCurrentIndex(index);
        return true;
    }
    if (auto* t = qobject_cast<QTabWidget*>(w)) {
        if (index < 0 || index >= t->count()) return false;
        const QSignalBlocker block(notify ? nullptr : t);
        t->setCurrentIndex(index);
        return true;
    }
    return false;
}
int Count(const QWidget* w) {
    if (auto* c = qobject_cast<const QComboBox*>(w)) return c->count();
    if (auto* l = qobject_cast<const QListWidget*>(w)) return l->count();
    if (auto* s = qobject_cast<const QStackedWidget*>(w)) return s->count();
    if (auto* t = qobject_cast<const QTabWidget*>(w)) return t->count();
    return 0;
}
QString ItemText(const QWidget* w, int index) {
    if (auto* c = qobject_cast<const QComboBox*>(w)) return c->itemText(index);
    if (auto* l = qobject_cast<const QListWidget*>(w)) {
        const QListWidgetItem* item = l->item(index);
        if (!item) return {};
        if (QWidget* row = l->itemWidget(const_cast<QListWidgetItem*>(item))) return Text(row);
        return item->text();
    }
    return {};
}
void AddItem(QWidget* w, const QString& text, bool resourceText) {
    const QString shown = resourceText ? ResourceManager::Instance().Text(text) : text;
    if (auto* c = qobject_cast<QComboBox*>(w)) {
        const SilentChange silent(c);  // the first item becomes current
        c->addItem(shown);
        if (resourceText) c->setItemData(c->count() - 1, text, ResourceManager::kItemTextIdRole);
    } else if (auto* l = qobject_cast<QListWidget*>(w)) {
        const SilentChange silent(l);
        auto* item = new QListWidgetItem(shown, l);
        if (resourceText) item->setData(ResourceManager::kItemTextIdRole, text);
    }
}
void RemoveAll(QWidget* w) {
    if (auto* c = qobject_cast<QComboBox*>(w)) {
        const SilentChange silent(c);
        c->clear();
    } else if (auto* l = qobject_cast<QListWidget*>(w)) {
        const SilentChange silent(l);
        l->clear();
    }
}
void SetItemData(QWidget* w, int index, const QString& data) {
    if (auto* c = qobject_cast<QComboBox*>(w)) {
        if (index >= 0 && index < c->count()) c->setItemData(index, data);
    } else if (auto* l = qobject_cast<QListWidget*>(w)) {
        if (QListWidgetItem* item = l->item(index)) item->setData(Qt::UserRole, data);
    }
}
QString ItemData(const QWidget* w, int index) {
    if (auto* c = qobject_cast<const QComboBox*>(w)) {
        return index >= 0 && index < c->count() ? c->itemData(index).toString() : QString();
    }
    if (auto* l = qobject_cast<const QListWidget*>(w)) {
        if (const QListWidgetItem* item = l->item(index))
            return item->data(Qt::UserRole).toString();
    }
    return {};
}
void SetItemText(QWidget* w, int index, const QString& text, bool resourceText) {
    const QString shown = resourceText ? ResourceManager::Instance().Text(text) : text;
    const QVariant id = resourceText ? QVariant(text) : QVariant();
    if (auto* c = qobject_cast<QComboBox*>(w)) {
        if (index < 0 || index >= c->count()) return;
        c->setItemText(index, shown);
        c->setItemData(index, id, ResourceManager::kItemTextIdRole);
    } else if (auto* l = qobject_cast<QListWidget*>(w)) {
        if (QListWidgetItem* item = l->item(index)) {
            item->setText(shown);
            item->setData(ResourceManager::kItemTextIdRole, id);
        }
    }
}
void RemoveItem(QWidget* w, int index) {
    if (auto* c = qobject_cast<QComboBox*>(w)) {
        if (index < 0 || index >= c->count()) return;
        const SilentChange silent(c);
        c->removeItem(index);
    } else if (auto* l = qobject_cast<QListWidget*>(w)) {
        if (index < 0 || index >= l->count()) return;
        const SilentChange silent(l);
        delete l->takeItem(index);
    }
}
void SetItemVisible(QWidget* w, int index, bool visible) {
    if (auto* c = qobject_cast<QComboBox*>(w)) {
        if (index < 0 || index >= c->count()) return;
        if (auto* view = qobject_cast<QListView*>(c->view())) view->setRowHidden(index, !visible);
        // A disabled item is passed over by the keys and the wheel as well.
        if (auto* model = qobject_cast<QStandardItemModel*>(c->model())) {
            if (QStandardItem* item = model->item(index)) item->setEnabled(visible);
        }
    } else if (auto* l = qobject_cast<QListWidget*>(w)) {
        if (QListWidgetItem* item = l->item(index)) item->setHidden(!visible);
    }
}
bool IsItemVisible(const QWidget* w, int index) {
    if (auto* c = qobject_cast<const QComboBox*>(w)) {
        if (index < 0 || index >= c->count()) return false;
        const auto* view = qobject_cast<const QListView*>(c->view());
        return view == nullptr || !view->isRowHidden(index);
    }
    if (auto* l = qobject_cast<const QListWidget*>(w)) {
        const QListWidgetItem* item = l->item(index);
        return item != nullptr && !item->isHidden();
    }
    return false;
}
void AddListRow(QWidget* list, QWidget* row) {
    auto* l = qobject_cast<QListWidget*>(list);
    if (!l || !row) return;
    const SilentChange silent(l);
    auto* item = new QListWidgetItem(l);
    l->setItemWidget(item, row);
    // The row's size at its window's scale, and never under its own minimum.
    if (WindowBase* w = WindowOf(l)) w->AttachControls(row);
    item->setSizeHint(row->sizeHint().expandedTo(row->minimumSize()));
}
QWidget* ListRow(const QWidget* list, int index) {
    auto* l = qobject_cast<const QListWidget*>(list);
    if (!l) return nullptr;
    QListWidgetItem* item = l->item(index);
    return item ? l->itemWidget(item) : nullptr;
}
void EnsureVisible(QWidget* list, int index) {
    auto* l = qobject_cast<QListWidget*>(list);
    if (!l) return;
    if (QListWidgetItem* item = l->item(index)) l->scrollToItem(item);
}

void SetNumberOnly(QWidget* edit, bool on) {
    auto* e = qobject_cast<QLineEdit*>(edit);
    if (!e) return;
    e->setProperty("numberonly", on);
    RefreshValidator(e);
}
bool IsNumberOnly(const QWidget* edit) {
    return qobject_cast<const QLineEdit*>(edit) && edit->property("numberonly").toBool();
}
void SetMaxChar(QWidget* edit, int maxLength) {
    if (auto* e = qobject_cast<QLineEdit*>(edit)) e->setMaxLength(maxLength);
}
int MaxChar(const QWidget* edit) {
    auto* e = qobject_cast<const QLineEdit*>(edit);
    return e ? e->maxLength() : 0;
}

void SetMinValue(QWidget* w, int value) {
    if (auto* s = qobject_cast<QAbstractSlider*>(w)) {
        const QSignalBlocker block(s);
        s->setMinimum(value);
    } else if (auto* p = qobject_cast<QProgressBar*>(w)) {
        p->setMinimum(value);
    } else if (auto* sp = qobject_cast<QSpinBox*>(w)) {
        const QSignalBlocker block(sp);
        sp->setMinimum(value);
    } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
        e->setProperty("minvalue", value);
        RefreshValidator(e);
    }
}
void SetMaxValue(QWidget* w, int value) {
    if (auto* s = qobject_cast<QAbstractSlider*>(w)) {
        const QSignalBlocker block(s);
        s->setMaximum(value);
    } else if (auto* p = qobject_cast<QProgressBar*>(w)) {
        p->setMaximum(value);
    } else if (auto* sp = qobject_cast<QSpinBox*>(w)) {
        const QSignalBlocker block(sp);
        sp->setMaximum(value);
    } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
        e->setProperty("maxvalue", value);
        RefreshValidator(e);
    }
}
int MinValue(const QWidget* w) {
    if (auto* s = qobject_cast<const QAbstractSlider*>(w)) return s->minimum();
    if (auto* p = qobject_cast<const QProgressBar*>(w)) return p->minimum();
    if (auto* sp = qobject_cast<const QSpinBox*>(w)) return sp->minimum();
    if (w) return w->property("minvalue").toInt();
    return 0;
}
int MaxValue(const QWidget* w) {
    if (auto* s = qobject_cast<const QAbstractSlider*>(w)) return s->maximum();
    if (auto* p = qobject_cast<const QProgressBar*>(w)) return p->maximum();
    if (auto* sp = qobject_cast<const QSpinBox*>(w)) return sp->maximum();
    if (w) return w->property("maxvalue").toInt();
    return 0;
}
int Value(const QWidget* w) {
    if (auto* s = qobject_cast<const QAbstractSlider*>(w)) return s->value();
    if (auto* p = qobject_cast<const QProgressBar*>(w)) return p->value();
    if (auto* sp = qobject_cast<const QSpinBox*>(w)) return sp->value();
    return 0;
}
void SetValue(QWidget* w, int value, bool notify) {
    const QSignalBlocker block(notify ? nullptr : w);
    if (auto* s = qobject_cast<QAbstractSlider*>(w)) {
        s->setValue(value);
    } else if (auto* p = qobject_cast<QProgressBar*>(w)) {
        p->setValue(value);
        p->update();
    } else if (auto* sp = qobject_cast<QSpinBox*>(w)) {
        sp->setValue(value);
    }
}

QRgb SelectColor(const QWidget* w) {
    auto* p = qobject_cast<const ColorPalette*>(w);
    return p ? p->SelectColor().rgba() : 0;
}
void SetSelectColor(QWidget* w, QRgb argb, bool notify) {
    if (auto* p = qobject_cast<ColorPalette*>(w)) p->SetSelectColor(QColor::fromRgba(argb), notify);
}

}  // namespace dz::ui
