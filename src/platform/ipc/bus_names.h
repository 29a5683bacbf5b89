#pragma once
// Where an addressable window lives on the session bus.
//
// Scheme: a window named W owns the well-known name "org.dozadir.Keyboard." + E(W) and
// exports its object at kWindowObjectPath with interface kWindowInterface. E(W) keeps
// ASCII letters, digits and '_' of W, turns every other character into '_' and puts a
// '_' in front when W starts with a digit (bus name elements may not), so
//   "MainWnd"          -> org.dozadir.Keyboard.MainWnd
//   "WorkTool"         -> org.dozadir.Keyboard.WorkTool
//   "Dozadir Keyboard" -> org.dozadir.Keyboard.Dozadir_Keyboard   (the single-instance name)
// An empty window name maps to "org.dozadir.Keyboard._".

#include <QString>

namespace dz::ipc {

inline constexpr const char* kBusNamePrefix = "org.dozadir.Keyboard.";
inline constexpr const char* kWindowObjectPath = "/org/dozadir/Keyboard/Window";
inline constexpr const char* kWindowInterface = "org.dozadir.Keyboard.Window";

[[nodiscard]] QString BusNameForWindow(const QString& window_name);

}  // namespace dz::ipc
