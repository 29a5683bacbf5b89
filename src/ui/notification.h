#pragma once
// A control event as windows and panels see it: a type string, the sender and two numbers.

#include <QString>
#include <QWidget>

namespace dz::ui {

struct Notification {
    QString type;
    QWidget* sender = nullptr;  // null for a chosen menu item
    QString name;               // the sender's objectName, or the chosen menu item's name
    qintptr wParam = 0;
    qintptr lParam = 0;
    QString text;  // "menu" for a chosen item: the item name
};

// The type strings handled by windows and panels.
namespace notify {
inline constexpr char kWindowInit[] = "windowinit";
inline constexpr char kClick[] = "click";
inline constexpr char kDbClick[] = "dbclick";
inline constexpr char kSelectChanged[] = "selectchanged";
inline constexpr char kItemSelect[] = "itemselect";
inline constexpr char kItemClick[] = "itemclick";
inline constexpr char kItemActivate[] = "itemactivate";
inline constexpr char kValueChanged[] = "valuechanged";
inline constexpr char kMoveValueChanged[] = "movevaluechanged";
inline constexpr char kTextChanged[] = "textchanged";
inline constexpr char kKillFocus[] = "killfocus";
inline constexpr char kSetFocus[] = "setfocus";
inline constexpr char kReturn[] = "return";
inline constexpr char kTimer[] = "timer";
inline constexpr char kMenu[] = "menu";
inline constexpr char kColorChanged[] = "colorchanged";
inline constexpr char kMouseEnter[] = "msenter";
inline constexpr char kMouseLeave[] = "msleave";
inline constexpr char kWindowSize[] = "windowsize";
inline constexpr char kTabSelect[] = "tabselect";
inline constexpr char kClickSelectEnd[] = "click_select_end";
inline constexpr char kClickHandDelete[] = "click_handdelete";
inline constexpr char kClickWpAdd[] = "click_wpadd";
inline constexpr char kClickWpEdit[] = "click_wpedit";
inline constexpr char kClickWpRemove[] = "click_wpremove";
inline constexpr char kClickWpSelect[] = "click_wpselect";
}  // namespace notify

}  // namespace dz::ui
