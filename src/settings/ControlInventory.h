// The controls of each settings window, in the window's control order (the order of the
// control-state files: never reorder, append new controls at the end of their window).
#pragma once

#include "settings/Control.h"

#include <vector>

namespace ondrix {

std::vector<Control> Form1Controls();
std::vector<Control> Options0Controls();
std::vector<Control> Options1Controls();
std::vector<Control> Options2Controls();

} // namespace ondrix
