#pragma once
// Turns a routing hit into the call of its handler: the main window's own operations, or
// the panel or device object of the current device page (nothing when there is none).

#include "device/device_page.h"
#include "app/routing.h"

namespace dz::app {

// The main window's side of the routing.
class ShellHandlers {
  public:
    virtual ~ShellHandlers() = default;
    [[nodiscard]] virtual DevicePage* CurrentDevicePage() { return nullptr; }
    // The audio controls: the main window keeps the audio styles and the capture program,
    // and its handlers work on the current page.
    [[nodiscard]] virtual AudioLighting* AudioHandlers() { return nullptr; }
    virtual void OnWindowInit() {}
    virtual void OnRootSized() {}
    // 0 the keyboard picture, 1 the mouse picture, kBandSelectShownPicture the picture of
    // the page shown (the mouse picture on the mouse page, else the keyboard picture).
    virtual void OnBandSelectEnd(int /*picture*/) {}
    virtual void OnCloseBtn() {}
    virtual void OnNoDeviceOk() {}
    virtual void OnToggleLightStatus() {}
    virtual void OnSysCommand(int /*0 minimise, 1 maximise, 2 restore*/) {}
    virtual void OnOpenSkinWindow() {}
    virtual void OnOpenSettings(bool /*centred on screen*/) {}
    virtual void OnWindowsDeviceSettings(int /*n*/) {}
    virtual void OnDefaultBtn() {}
    virtual void OnDeviceResetBtn() {}
    virtual void OnSameModeAllDevices() {}
    virtual void OnOpenMacroActionMenu() {}
    virtual void OnHookRequest(int /*1 install, 0 remove*/) {}
    // After a recording trigger reached the current page's macro editor (start, stop, a
    // recording mode): the hook follows the editor's recording.
    virtual void OnMacroRecording() {}
    virtual void OnDeviceSelected(int /*0 synchro selector, 1 device selector*/) {}
    virtual void OnDeviceStep(int /*-1 previous, +1 next*/) {}
    virtual void OnProfileComboTimer() {}
    virtual void OnExit() {}
    virtual void OnAbout() {}
};

void Dispatch(const RouteHit& hit, ShellHandlers& shell);

}  // namespace dz::app
