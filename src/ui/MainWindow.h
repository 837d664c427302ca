// The main window: menus, the Quick Settings panel, the session buttons, the spectrogram, file navigation
// and the status area, bound to the main window's control model.
#pragma once

#include "ui/ControlBinder.h"
#include "ui/MenuBinder.h"

#include <QMainWindow>

#include <functional>
#include <memory>

namespace ondrix {

class AxesView;
class PictureView;
class SettingsModel;
class SpectrogramRenderer;
class SpectrogramView;

class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    MainWindow(SettingsModel& settings, MenuModel& menus, const SpectrogramRenderer& renderer);
    ~MainWindow() override;

    ControlBinder& Controls() { return *controls_; }
    MenuBinder& Menus() { return *menus_; }
    SpectrogramView& Spectrogram() { return *spectrogram_; }
    // The picture framed by its axes.
    AxesView& Axes() { return *axes_; }
    // The colour-scale preview beside the "Colour Scale" list (Picture2).
    PictureView& ColourPreview();

    // Asked when the user closes the window: true lets it close. Without a handler it closes.
    void SetCloseHandler(std::function<bool()> handler) { closeHandler_ = std::move(handler); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* BuildQuickSettings(QWidget* parent);
    QWidget* BuildSessionButtons(QWidget* parent);
    QWidget* BuildFileNavigation(QWidget* parent);
    QWidget* BuildStatusArea(QWidget* parent);

    std::unique_ptr<ControlBinder> controls_;
    std::unique_ptr<MenuBinder> menus_;
    SpectrogramView* spectrogram_ = nullptr;
    AxesView* axes_ = nullptr;
    std::function<bool()> closeHandler_;
};

} // namespace ondrix
