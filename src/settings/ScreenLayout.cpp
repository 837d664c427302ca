#include "settings/ScreenLayout.h"

#include "common/Interaction.h"
#include "settings/SettingsModel.h"

namespace ondrix {

WindowPlacement ApplyScreenLayout(SettingsModel& settings, Interaction& interaction, int screenWidth) {
    if (screenWidth < kNarrowestScreen) {
        interaction.ShowMessage("Screen resolution not supported", MessageIcon::Exclamation);
    }
    WindowPlacement placement = WindowPlacement::Normal;
    if (screenWidth <= kNarrowestScreen) {
        placement = WindowPlacement::Maximised;
        settings.Options1().SetText("MaxSpectrogramHeight", "256");
    }
    settings.Form1().SetNumber(kQuickSettings.displayHeight, settings.ReadMaxSpectrogramHeight());
    return placement;
}

} // namespace ondrix
