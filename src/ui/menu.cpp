#include "ui/menu.h"

#include <QActionGroup>
#include <QFile>
#include <QPointer>
#include <QXmlStreamReader>

#include "platform/log/debug_log.h"
#include "ui/resource_manager.h"
#include "ui/resource_map.h"
#include "ui/window_base.h"

namespace dz::ui {
namespace {

bool IsTrue(QStringView v) {
    return v.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
}

QString ItemText(const QXmlStreamAttributes& a) {
    const QString text = a.value(QLatin1String("text")).toString();
    return ResourceManager::Instance().Text(
        text.isEmpty() ? a.value(QLatin1String("name")).toString() : text);
}

}  // namespace

QMenu* BuildMenu(const QString& menuName, QWidget* parent) {
    const QString path = ResourceMap::Instance().Resolve(menuName);
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        log::DebugLineF("menu file '%s' not found", qUtf8Printable(menuName));
        return nullptr;
    }
    QXmlStreamReader xml(&file);
    QMenu* top = nullptr;
    QList<QMenu*> stack;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement && xml.name() == QLatin1String("menu")) {
            if (!stack.isEmpty()) stack.removeLast();
            continue;
        }
        if (token != QXmlStreamReader::StartElement) continue;
        const auto a = xml.attributes();
        if (xml.name() == QLatin1String("menu")) {
            QMenu* m = stack.isEmpty() ? new QMenu(parent) : stack.last()->addMenu(ItemText(a));
            m->setObjectName(a.value(QLatin1String("name")).toString());
            if (!top) top = m;
            stack.append(m);
        } else if (stack.isEmpty()) {
            continue;
        } else if (xml.name() == QLatin1String("separator")) {
            stack.last()->addSeparator();
        } else if (xml.name() == QLatin1String("item")) {
            QAction* act = stack.last()->addAction(ItemText(a));
            act->setObjectName(a.value(QLatin1String("name")).toString());
            if (IsTrue(a.value(QLatin1String("checkable")))) {
                act->setCheckable(true);
                act->setChecked(IsTrue(a.value(QLatin1String("checked"))));
            }
            if (a.hasAttribute(QLatin1String("enabled"))) {
                act->setEnabled(IsTrue(a.value(QLatin1String("enabled"))));
            }
            const QString group = a.value(QLatin1String("group")).toString();
            if (!group.isEmpty()) {
                const QString groupName = QStringLiteral("dz_group_") + group;
                auto* g = top->findChild<QActionGroup*>(groupName);
                if (!g) {
                    g = new QActionGroup(top);
                    g->setObjectName(groupName);
                }
                g->addAction(act);
            }
        }
    }
    if (xml.hasError() || !top) {
        log::DebugLineF("menu file %s: %s", qUtf8Printable(path),
                        top ? qUtf8Printable(xml.errorString()) : "no <menu> element");
        delete top;
        return nullptr;
    }
    return top;
}

QAction* FindMenuItem(const QMenu* menu, const QString& itemName) {
    if (!menu) return nullptr;
    for (QAction* act : menu->findChildren<QAction*>()) {
        if (act->objectName() == itemName && !act->menu()) return act;
    }
    return nullptr;
}

QPoint MenuTopLeft(QPoint anchor, QSize size, MenuAlign align) {
    switch (align) {
        case MenuAlign::kRightDown:
            return anchor;
        case MenuAlign::kLeftDown:
            return {anchor.x() - size.width(), anchor.y()};
        case MenuAlign::kRightUp:
            return {anchor.x(), anchor.y() - size.height()};
        case MenuAlign::kLeftUp:
            return {anchor.x() - size.width(), anchor.y() - size.height()};
    }
    return anchor;
}

QMenu* ShowPopupMenu(WindowBase* owner, const QString& menuName, QPoint anchor, MenuAlign align,
                     MenuChosen chosen) {
    QMenu* menu = BuildMenu(menuName, owner);
    if (!menu) return nullptr;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<WindowBase> window(owner);
    QObject::connect(menu, &QMenu::triggered, menu, [window, chosen](QAction* act) {
        const QString item = act->objectName();
        if (chosen) {
            chosen(item);
        } else if (window) {
            Notification n;
            n.type = QString::fromLatin1(notify::kMenu);
            n.name = item;
            n.text = item;
            window->Notify(n);
        }
    });
    menu->popup(MenuTopLeft(anchor, menu->sizeHint(), align));
    return menu;
}

}  // namespace dz::ui
