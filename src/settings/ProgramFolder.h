// The per-user program folder, made ready at start-up.
#pragma once

#include <optional>
#include <string>

namespace ondrix {

// Creates the folder with every missing folder above it. Returns the message to show once when it
// cannot be created or written (the program then runs without saving its files there), nothing when
// it is ready.
std::optional<std::string> PrepareProgramFolder(const std::string& folder);

} // namespace ondrix
