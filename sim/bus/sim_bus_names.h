#pragma once
// Where the emulator's controls live on the session bus. Header only, so that clients
// (dozadirctl) share the names without linking the service.

namespace dz::sim {

inline constexpr const char* kSimBusName = "org.dozadir.Keyboard.Simulator";
inline constexpr const char* kSimObjectPath = "/org/dozadir/Keyboard/Simulator";
inline constexpr const char* kSimInterface = "org.dozadir.Keyboard.Simulator";

}  // namespace dz::sim
