// The utilities put together: the "CD Player" window of the File menu and the disk and system utilities
// of the "Special Settings" window, Basic Settings' "Info Disks" and the Utilities menu's "Check Disks".
#pragma once

#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QLabel;
class QPushButton;

namespace ondrix {

class CdEngine;
class CdPlayerPanel;
class DeviceLists;
class Interaction;
class MenuModel;
class Palette;
class SettingsModel;
class VolumeSystem;

struct UtilityParts {
    SettingsModel& settings;
    MenuModel& menus;
    Interaction& interaction;
    VolumeSystem& volumes;
    const Palette& palette;
    DeviceLists& devices;
    std::string programFolder;
    QWidget* parent; // the main window: the CD player window belongs to it
    std::function<void(const std::vector<std::string>& lines)> showReport;
    std::function<void()> updateForm;
    std::function<void()> restoreSpecGram;
};

// Everything the parts name must outlive the main window.
void AttachUtilities(UtilityParts parts);

// "CD Player": stays on top; its timer shows the drive's status while it is shown. The drive thread
// stops when the window is destroyed.
class CdPlayerWindow : public QWidget {
    Q_OBJECT

public:
    CdPlayerWindow(SettingsModel& settings, DeviceLists& devices, Interaction& interaction, QWidget* parent);
    ~CdPlayerWindow() override;

    // The File menu's command: shows the window (loading it the first time) or hides it.
    void Toggle();

private:
    void Refresh();

    std::unique_ptr<CdEngine> engine_;
    std::unique_ptr<CdPlayerPanel> panel_;
    QTimer timer_;
    std::vector<QPushButton*> buttons_; // the seven disabled without a disc
    QPushButton* eject_ = nullptr;
    QLabel* timeWindow_ = nullptr;
    QLabel* trackTime_ = nullptr;
    QLabel* totalPlay_ = nullptr;
    bool loaded_ = false;
};

} // namespace ondrix
