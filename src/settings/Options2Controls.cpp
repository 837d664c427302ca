// The "Special Settings" utilities window: capture buffers, the spectrum window switch, the GPS
// logger and the disk and system utilities. Only the capture buffer count is saved.
#include "settings/ControlInventory.h"

namespace ondrix {

std::vector<Control> Options2Controls() {
    using K = ControlKind;
    const Saving no = Saving::No;
    return {
        {.name = "Combo2",
         .kind = K::List,
         .caption = "WaveIn Buffers",
         .items = {"2", "4", "8", "16", "32", "64"},
         .text = "2",
         .saving = Saving::Yes},
        {.name = "SpecFormCheck", .kind = K::Check, .caption = "Enable SpecForm", .text = "0", .saving = no},
        // GPS logger on a serial port.
        {.name = "GpsLoggerFrame", .kind = K::Frame, .caption = "GPS Logger"},
        {.name = "ComPort", .kind = K::Text, .tooltip = "Com Port Number", .text = "1", .saving = no},
        {.name = "ComSet", .kind = K::Text, .text = "4800,N,8,1", .saving = no},
        {.name = "LeadChar",
         .kind = K::Text,
         .tooltip = "Leading String / Char",
         .text = "$GPRMC",
         .saving = no},
        {.name = "LatStringPos",
         .kind = K::Text,
         .caption = "LAT",
         .tooltip = "Position in the string",
         .text = "4",
         .saving = no},
        {.name = "LongStringPos",
         .kind = K::Text,
         .caption = "LONG",
         .tooltip = "Position in the string",
         .text = "6",
         .saving = no},
        {.name = "GpsString", .kind = K::Label, .text = "Receiving string..."},
        {.name = "LogToFile",
         .kind = K::Check,
         .caption = "Log to file >>",
         .tooltip = "Append to text file",
         .text = "0",
         .saving = no},
        {.name = "LogName", .kind = K::Text, .tooltip = "Text file", .text = "temp.log", .saving = no},
        {.name = "SingleShot",
         .kind = K::Check,
         .caption = "Single Shot",
         .tooltip = "Reads only one string",
         .text = "0",
         .saving = no},
        {.name = "StartGPS", .kind = K::Button, .caption = "Start"},
        {.name = "StopGPS", .kind = K::Button, .caption = "Stop"},
        {.name = "Command10", .kind = K::Button, .caption = "Shot"},
        {.name = "GpsSerialPort", .kind = K::Serial},
        // Disk and system utilities.
        {.name = "Drive1", .kind = K::List, .saving = no},
        {.name = "Picture1", .kind = K::Picture},
        {.name = "DuplicatedColorsField", .kind = K::Text, .saving = no},
        {.name = "DiskSpaceButton", .kind = K::Button, .caption = "Disk Space"},
        {.name = "DiskSpaceExButton", .kind = K::Button, .caption = "DiskSpaceEX"},
        {.name = "CheckDiskButton", .kind = K::Button, .caption = "Check Disk"},
        {.name = "DiskTypeButton", .kind = K::Button, .caption = "Disk Type"},
        {.name = "MemCheckButton", .kind = K::Button, .caption = "Mem Check"},
        {.name = "ApplicationButton", .kind = K::Button, .caption = "Application"},
        {.name = "NormalPriorityButton", .kind = K::Button, .caption = "Set Normal Priority"},
        {.name = "HighPriorityButton", .kind = K::Button, .caption = "Set High Priority"},
        {.name = "RealTimePriorityButton", .kind = K::Button, .caption = "Set RealTime Priority"},
        {.name = "ListPrintersButton", .kind = K::Button, .caption = "List Printers"},
        {.name = "KillTasksButton", .kind = K::Button, .caption = "Kill Tasks"},
        {.name = "FindDuplicatedColorsButton", .kind = K::Button, .caption = "Find Duplicated Colors"},
        {.name = "ConfirmButton", .kind = K::Button, .caption = "Confirm Settings"},
    };
}

} // namespace ondrix
