#pragma once
// Builds widgets from Qt Designer .ui skins at run time. A class the skin names is asked
// first from the caller's callback, then from the control factory, then from Qt.

#include <QString>
#include <QWidget>
#include <functional>

namespace dz::ui {

// Answers a new control for a class name, or null to pass the name on.
using CreateCallback = std::function<QWidget*(const QString& className, QWidget* parent)>;

// Builds the skin a system name resolves to (through the resource map) under parent.
// Null, with one log line, when the name resolves to no file or the file does not load.
[[nodiscard]] QWidget* BuildSkin(const QString& skinName, QWidget* parent,
                                 const CreateCallback& callback = {});
// Same for a .ui file path.
[[nodiscard]] QWidget* BuildSkinFile(const QString& path, QWidget* parent,
                                     const CreateCallback& callback = {});

}  // namespace dz::ui
