#include "settings/RatesFile.h"

#include "common/TextLines.h"
#include "settings/SettingsModel.h"

#include <fstream>
#include <vector>

namespace ondrix {

bool LoadRatesFile(const std::string& path, SettingsModel& settings) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    std::vector<std::string> rates;
    std::string item;
    while (ReadItem(in, item)) {
        if (!item.empty()) {
            rates.push_back(item);
        }
    }
    settings.Form1().SetItems(kQuickSettings.sampleRate, rates);
    settings.Options0().SetItems(kBasicSettings.sampleRate, std::move(rates));
    return true;
}

} // namespace ondrix
