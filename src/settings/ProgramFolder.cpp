#include "settings/ProgramFolder.h"

#include <filesystem>
#include <unistd.h>

namespace ondrix {

std::optional<std::string> PrepareProgramFolder(const std::string& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (std::filesystem::is_directory(folder, error) && access(folder.c_str(), W_OK | X_OK) == 0) {
        return std::nullopt;
    }
    return "The program folder " + folder +
           " cannot be created or written.\r\nSettings, presets and the session log will not be saved.";
}

} // namespace ondrix
