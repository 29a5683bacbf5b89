#pragma once
// Asking the user for a colour from a device page (the mouse's DPI stage swatches). The
// colour dialog is a panel, above the device objects: the panels install it here at start,
// and a device object asks through RequestColour without knowing the dialog.

#include <cstdint>
#include <functional>
#include <utility>

class QWidget;

namespace dz {

struct ColourRequest {
    uint32_t colour = 0xFFFFFFFF;    // 0xAARRGGBB, shown when the dialog opens
    bool show_seven_colour = false;  // the seven-colour choice is offered
    bool seven_colour = false;       // and ticked to start with
};

struct ColourAnswer {
    // 1 a colour was chosen (OK); 0 closed without a choice; 2 OK on a dialog without a
    // palette; -1 not opened (a colour dialog is open already, or none is installed).
    int result = -1;
    uint32_t colour = 0;  // the chosen colour (result 1), else the requested one
    bool seven_colour = false;
};

// Runs the dialog modally over the window of `from`.
using ColourDialogFunction =
    std::function<ColourAnswer(QWidget* from, const ColourRequest& request)>;

inline ColourDialogFunction& InstalledColourDialog() {
    static ColourDialogFunction dialog;
    return dialog;
}

inline void SetColourDialog(ColourDialogFunction dialog) {
    InstalledColourDialog() = std::move(dialog);
}

inline ColourAnswer RequestColour(QWidget* from, const ColourRequest& request) {
    const ColourDialogFunction& dialog = InstalledColourDialog();
    if (!dialog) return {-1, request.colour, request.seven_colour};
    return dialog(from, request);
}

}  // namespace dz
