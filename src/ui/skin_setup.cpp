#include "ui/skin_setup.h"

#include <QAbstractButton>
#include <QColor>
#include <QLineEdit>
#include <utility>

#include "ui/control_ops.h"
#include "ui/resource_manager.h"

namespace dz::ui {

namespace {
constexpr char kGroupScope[] = "dz_group_scope";
}

void MakeOptionGroupScope(QWidget* scope) {
    if (scope != nullptr) scope->setProperty(kGroupScope, true);
}

QButtonGroup* OptionGroup(QWidget* anyControl, const QString& group) {
    QWidget* owner = anyControl->window();
    for (QWidget* p = anyControl; p != nullptr; p = p->parentWidget()) {
        if (p->property(kGroupScope).toBool()) {
            owner = p;
            break;
        }
    }
    const QString objName = QStringLiteral("dz_group_") + group;
    auto* g = owner->findChild<QButtonGroup*>(objName, Qt::FindDirectChildrenOnly);
    if (!g) {
        g = new QButtonGroup(owner);
        g->setObjectName(objName);
        g->setExclusive(true);
    }
    return g;
}

void ApplySkinAttributes(QWidget* root) {
    if (!root) return;
    QList<QWidget*> all = root->findChildren<QWidget*>();
    all.prepend(root);
    for (QWidget* w : all) {
        if (auto* b = qobject_cast<QAbstractButton*>(w)) {
            const QString group = w->property("group").toString();
            if (!group.isEmpty() && !b->group()) {
                b->setCheckable(true);
                OptionGroup(w, group)->addButton(b);
            }
        }
        if (auto* e = qobject_cast<QLineEdit*>(w)) {
            if (w->property("numberonly").toBool()) SetNumberOnly(e, true);
            if (w->property("maxchar").isValid()) SetMaxChar(e, w->property("maxchar").toInt());
        }
        const QVariant bk = w->property("bkcolor");
        if (bk.isValid() && w->metaObject()->indexOfProperty("bkcolor") < 0) {
            SetBkColor(w, bk.value<QColor>().rgba());
        }
        const QVariant img = w->property("bkimage");
        if (img.isValid() && w->metaObject()->indexOfProperty("bkimage") < 0) {
            SetBkImage(w, img.toString());
        }
        // Button images by state, as the control operations set them.
        using Setter = void (*)(QWidget*, const QString&);
        for (const auto& [name, set] :
             {std::pair<const char*, Setter>{"normalimage", SetNormalImage},
              {"selectedimage", SetSelectedImage},
              {"disabledimage", SetDisabledImage},
              {"foreimage", SetForeImage}}) {
            const QVariant v = w->property(name);
            if (v.isValid() && w->metaObject()->indexOfProperty(name) < 0) set(w, v.toString());
        }
    }
    ResourceManager::Instance().BindResourceText(root);
}

}  // namespace dz::ui
