#pragma once
// dozadirctl preview KIND ...: an effect of the selected profile, with options in place of
// its settings, run for some steps by the same lighting program as the window, without a
// device; every light's colour and alpha, a picture in a terminal, or JSON.

#include <iosfwd>
#include <string>
#include <vector>

#include "commands.h"
#include "device/lighting/led_array.h"

namespace dz::ctl {

// `args` after "preview keyboard".
int PreviewKeyboardCommand(Context& ctx, const std::vector<std::string>& args);

// The keyboard's lights as they look (colour times alpha), laid out by the LED matrix in
// 24-bit colour escapes; the lights outside the matrix in a row below.
void WriteKeyboardPicture(std::ostream& out, const lighting::LedArray& leds);

extern const char* const kPreviewUsage;

}  // namespace dz::ctl
