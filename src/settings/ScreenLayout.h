// The part of the main window's layout that depends on the width of the screen.
#pragma once

namespace ondrix {

class Interaction;
class SettingsModel;

enum class WindowPlacement {
    Maximised, // at the top-left corner, filling the screen
    Normal,    // neither maximised nor minimised
};

// The narrowest screen the layout is made for.
inline constexpr int kNarrowestScreen = 800;

// Below 800 pixels: the message "Screen resolution not supported", then the layout of an 800-pixel
// screen. At 800: maximised, with the spectrogram height list of the Advanced Settings set to "256".
// Wider: the normal window. Then the spectrogram height is read from that list and the Quick Settings
// display height set to it. Returns where the main window goes.
WindowPlacement ApplyScreenLayout(SettingsModel& settings, Interaction& interaction, int screenWidth);

} // namespace ondrix
