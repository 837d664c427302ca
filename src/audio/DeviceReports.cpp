#include "audio/DeviceReports.h"

#include "common/NumberText.h"
#include "common/PrintLine.h"

namespace ondrix {

namespace {

void AddDeviceLines(std::vector<std::string>& lines, const std::vector<DeviceEntry>& entries,
                    const DeviceEntry& standsFor) {
    for (std::size_t position = 0; position < entries.size(); ++position) {
        const DeviceEntry& entry = entries[position];
        const std::string name =
            position == 0 ? entry.fullName + " (" + standsFor.fullName + ")" : entry.fullName;
        PrintLine line;
        line.Item(NumberText(static_cast<double>(position) - 1)).NextZone().Item(name).NextZone();
        line.Item(NumberText(entry.maxChannels))
            .NextZone()
            .Item(NumberText(entry.defaultSampleRate))
            .NextZone();
        line.Item(NumberText(entry.hostApi));
        lines.push_back(line.Text());
    }
}

} // namespace

std::vector<std::string> DeviceTableLines(const DeviceCatalog& catalog) {
    std::vector<std::string> lines{"WaveIn Devices"};
    AddDeviceLines(lines, catalog.Inputs(), catalog.ResolveInput(0));
    lines.emplace_back();
    lines.emplace_back("WaveOut Devices");
    AddDeviceLines(lines, catalog.Outputs(), catalog.ResolveOutput(0));
    return lines;
}

std::vector<std::string> SamplingRateLines(int deviceNumber, const std::function<bool(int rate)>& accepts) {
    struct Series {
        int first;
        int last;
        int step;
    };
    static constexpr Series kSeries[] = {
        {4000, 192000, 1000}, {11025, 176400, 11025}, {2560, 256000, 2560}, {4096, 128000, 2048}};
    constexpr int kPerLine = 14;

    std::vector<std::string> lines{NumberText(deviceNumber)};
    std::string line;
    const auto endLine = [&] {
        if (!line.empty()) {
            lines.push_back(line);
            line.clear();
        }
    };
    int accepted = 0;
    for (const Series& series : kSeries) {
        for (int rate = series.first; rate <= series.last; rate += series.step) {
            if (!accepts(rate)) {
                continue;
            }
            line += NumberText(rate);
            if (++accepted % kPerLine == 0) {
                endLine();
            }
        }
        endLine();
    }
    return lines;
}

} // namespace ondrix
