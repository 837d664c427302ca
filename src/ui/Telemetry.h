// The GPS logger and position receiver and the TCP block receiver, attached to the program's windows.
#pragma once

#include <string>

class QWidget;

namespace ondrix {

class Interaction;
class MenuModel;
class SettingsModel;

// Builds them as children of the main window: the GPS logger on the Special Settings window (stopped
// when that window closes), the UDP position receiver on the Basic Settings, and "TcpIP Receiver"
// (SetTcpIp) opening the receiver window, which listens until it is closed. Relative GPS log file names
// are taken in the program folder.
void AttachTelemetry(QWidget& mainWindow, QWidget& specialSettings, SettingsModel& settings, MenuModel& menus,
                     Interaction& interaction, const std::string& programFolder);

} // namespace ondrix
