#pragma once
// The control operations windows and panels use, over the Qt widget kinds a skin holds.
// Every operation accepts null and then does nothing (or answers 0, false, empty).
// Setting a state from code never raises a notification unless `notify` says so.

#include <QColor>
#include <QString>
#include <QWidget>

namespace dz::ui {

[[nodiscard]] QString Name(const QWidget* w);

// Text: in resource-text mode SetText takes an identifier and Text answers the shown text.
[[nodiscard]] QString Text(const QWidget* w);
void SetText(QWidget* w, const QString& text);

// The control's own visibility, independent of whether its parents are shown.
[[nodiscard]] bool IsVisible(const QWidget* w);
void SetVisible(QWidget* w, bool visible);
[[nodiscard]] bool IsEnabled(const QWidget* w);
void SetEnabled(QWidget* w, bool enabled);

// Background colour (ARGB; 0 clears it) and image (a file under the skin folder, a path,
// or an image string "file='...' ..."; empty clears it). Both are kept as the properties
// "bkcolor" and "bkimage"; drawn widgets read them, stock widgets get a style rule.
void SetBkColor(QWidget* w, QRgb argb);
[[nodiscard]] QRgb BkColor(const QWidget* w);
void SetBkImage(QWidget* w, const QString& image);
[[nodiscard]] QString BkImage(const QWidget* w);
// Foreground image: an icon over the control (buttons) or the "foreimage" property.
void SetForeImage(QWidget* w, const QString& image);
[[nodiscard]] QString ForeImage(const QWidget* w);

// Button images by state (image strings; empty clears one): the button's icon shows the
// normal image unchecked, the selected image checked (the normal one when none is set) and
// the disabled image while disabled. Kept as "normalimage", "selectedimage", "disabledimage".
void SetNormalImage(QWidget* w, const QString& image);
[[nodiscard]] QString NormalImage(const QWidget* w);
void SetSelectedImage(QWidget* w, const QString& image);
[[nodiscard]] QString SelectedImage(const QWidget* w);
void SetDisabledImage(QWidget* w, const QString& image);
[[nodiscard]] QString DisabledImage(const QWidget* w);

// Slider thumb images by state (normal, hot, pushed), kept as "thumbimage",
// "thumbhotimage" and "thumbpushedimage"; the theme styles a slider by them.
void SetThumbImages(QWidget* w, const QString& normal, const QString& hot, const QString& pushed);
[[nodiscard]] QString ThumbImage(const QWidget* w);

void SetToolTip(QWidget* w, const QString& text);
[[nodiscard]] QString ToolTip(const QWidget* w);

void SetUserData(QWidget* w, const QString& data);
[[nodiscard]] QString UserData(const QWidget* w);

// Options: checkable buttons. Options of one "group" (skin property) exclude each other.
[[nodiscard]] bool IsSelected(const QWidget* w);
void SetSelected(QWidget* w, bool selected, bool notify = false);
[[nodiscard]] QString Group(const QWidget* w);

// Combos, lists and tab layouts (stacked and tab widgets): the selected index (-1 for none),
// item count, items.
[[nodiscard]] int CurSel(const QWidget* w);
bool SelectItem(QWidget* w, int index, bool notify = false);
[[nodiscard]] int Count(const QWidget* w);
[[nodiscard]] QString ItemText(const QWidget* w, int index);
// Adds a text item; with resourceText the text is an identifier shown in the current language.
void AddItem(QWidget* w, const QString& text, bool resourceText = false);
void RemoveAll(QWidget* w);
// One item of a combo or list: its user data (a text), its text (shown as given, or an
// identifier with resourceText), removing it, and whether it is offered: a hidden item keeps
// its index but is neither shown in the list nor reached with the keys or the wheel.
void SetItemData(QWidget* w, int index, const QString& data);
[[nodiscard]] QString ItemData(const QWidget* w, int index);
void SetItemText(QWidget* w, int index, const QString& text, bool resourceText = false);
void RemoveItem(QWidget* w, int index);
void SetItemVisible(QWidget* w, int index, bool visible);
[[nodiscard]] bool IsItemVisible(const QWidget* w, int index);
// Lists whose rows are widgets (custom list rows): add (its controls then notify the
// list's window), get, make visible.
void AddListRow(QWidget* list, QWidget* row);
[[nodiscard]] QWidget* ListRow(const QWidget* list, int index);
void EnsureVisible(QWidget* list, int index);

// Edits: number-only, minimum and maximum value, maximum length.
void SetNumberOnly(QWidget* edit, bool on);
[[nodiscard]] bool IsNumberOnly(const QWidget* edit);
void SetMaxChar(QWidget* edit, int maxLength);
[[nodiscard]] int MaxChar(const QWidget* edit);

// Minimum and maximum of a slider or progress bar, or of an edit's number.
void SetMinValue(QWidget* w, int value);
void SetMaxValue(QWidget* w, int value);
[[nodiscard]] int MinValue(const QWidget* w);
[[nodiscard]] int MaxValue(const QWidget* w);
// Slider, progress bar or spin box value.
[[nodiscard]] int Value(const QWidget* w);
void SetValue(QWidget* w, int value, bool notify = false);

// Colour palette: the selected colour.
[[nodiscard]] QRgb SelectColor(const QWidget* w);
void SetSelectColor(QWidget* w, QRgb argb, bool notify = false);

}  // namespace dz::ui
