// The one way the program asks for a file to write.
#pragma once

#include "common/Interaction.h"

#include <functional>
#include <string>
#include <string_view>

namespace ondrix {

// The save dialog on `folder`, proposing `proposedName` + "." + extension (or "*." + extension). A name
// without the extension gets it. A folder that cannot be written shows the dialog again; an empty name or
// one with "*" ends with nothing; an existing file asks "Replace <name> ?" once: Yes answers the name (the
// caller replaces the file only when the new one is written), No shows the dialog again. `then` gets the
// name to write, or "" when the user ends with nothing; it may run after this returns.
void SaveFileDialog(Interaction& interaction, const std::string& title, const std::string& folder,
                    std::string_view extension, const std::string& proposedName,
                    std::function<void(const std::string& path)> then);

// "Set Path": a folder chosen with the folder dialog, with its trailing "/"; nothing when cancelled.
void SetPathDialog(Interaction& interaction, const std::string& folder,
                   std::function<void(const std::string& folder)> then);

} // namespace ondrix
