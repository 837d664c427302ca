// The three settings windows: "Basic Settings", "Advanced Settings" and "Special Settings".
#pragma once

#include "ui/ControlBinder.h"
#include "ui/WindowLayout.h"

#include <QWidget>

#include <memory>
#include <string>
#include <vector>

namespace ondrix {

class PictureView;

// A settings window: columns of grouped controls bound to one window's control model. The buttons named
// in `closeButtons` hide the window after the model has handled their click; closing the window only
// hides it. The contents scroll when the screen is too small for them.
class SettingsWindow : public QWidget {
    Q_OBJECT

public:
    SettingsWindow(ControlModel& model, const QString& title, const std::vector<std::vector<Group>>& columns,
                   std::vector<std::string> closeButtons, QWidget* parent = nullptr);
    ~SettingsWindow() override;

    ControlBinder& Controls() { return *controls_; }

    // Shows the window (or brings it to the front when it is open).
    void Open();

private:
    void FitContents();

    std::unique_ptr<ControlBinder> controls_;
    QWidget* contents_ = nullptr;
};

class BasicSettingsWindow : public SettingsWindow {
    Q_OBJECT

public:
    static constexpr const char* kCaption = "Basic Settings";

    BasicSettingsWindow(ControlModel& options0, QWidget* parent = nullptr);

    // The colour bar beside the "Colour Scale" list.
    PictureView& ColourBar();
};

class AdvancedSettingsWindow : public SettingsWindow {
    Q_OBJECT

public:
    static constexpr const char* kCaption = "Advanced Settings";

    AdvancedSettingsWindow(ControlModel& options1, QWidget* parent = nullptr);
};

class SpecialSettingsWindow : public SettingsWindow {
    Q_OBJECT

public:
    static constexpr const char* kCaption = "Special Settings";

    SpecialSettingsWindow(ControlModel& options2, QWidget* parent = nullptr);
};

} // namespace ondrix
