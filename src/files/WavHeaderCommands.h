// The "Check wav header" and "Fix wav header" menu commands.
#pragma once

#include <functional>
#include <string>

namespace ondrix {

class Interaction;
class MenuModel;

// Attaches the handlers of CheckWavHeader (choose a .wav in the play folder, show its header) and
// mnuFixWavHeader (choose, repair, then show the header). `playFolder` gives the folder the dialog
// opens on, asked at each use. `ui` must outlive the menu.
void AttachWavHeaderCommands(MenuModel& menu, Interaction& ui, std::function<std::string()> playFolder);

} // namespace ondrix
