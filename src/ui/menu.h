#pragma once
// Pop-up menus from menu files (found through the resource map, e.g. "menu.xml"):
//   <menu>
//     <item name="setwnd_menu" text="setwnd_menu_text"/>          text: a language identifier
//     <item name="opt_a" text="..." checkable="true" checked="true" group="g"/>
//     <separator/>
//     <menu name="more" text="more_text"> <item .../> </menu>      a sub-menu
//   </menu>
// Each item's QAction has the item name as objectName. Choosing an item calls the chosen
// callback with its name; without one, the owner window gets "menu" with name = text = item.

#include <QMenu>
#include <QPoint>
#include <QString>
#include <functional>

namespace dz::ui {

class WindowBase;

using MenuChosen = std::function<void(const QString& itemName)>;

// Builds the menu of a menu file; null with one log line when the file is missing or broken.
[[nodiscard]] QMenu* BuildMenu(const QString& menuName, QWidget* parent = nullptr);
// The item (action) of that name anywhere in the menu, or null.
[[nodiscard]] QAction* FindMenuItem(const QMenu* menu, const QString& itemName);

// Where a menu opens relative to its anchor point.
enum class MenuAlign { kRightDown, kLeftDown, kRightUp, kLeftUp };
[[nodiscard]] QPoint MenuTopLeft(QPoint anchor, QSize menuSize, MenuAlign align);

// Opens the menu at the anchor (global) without blocking; it deletes itself once closed.
// Null when the menu file is missing.
QMenu* ShowPopupMenu(WindowBase* owner, const QString& menuName, QPoint anchor,
                     MenuAlign align = MenuAlign::kRightDown, MenuChosen chosen = {});

}  // namespace dz::ui
