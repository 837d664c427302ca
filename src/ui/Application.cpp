#include "ui/Application.h"

#include "analysis/RealTimeMonoLoop.h"
#include "audio/DeviceCommands.h"
#include "common/Paths.h"
#include "display/ScalePreview.h"
#include "ui/MainWindow.h"
#include "ui/PictureView.h"
#include "ui/SettingsWindows.h"
#include "ui/SpectrogramView.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>

#include <algorithm>
#include <cstdint>
#include <unistd.h>

namespace ondrix {

namespace {

// The picture is repainted this often while a loop draws into it.
constexpr int kRepaintIntervalMs = 40;
// The narrowest picture, whatever the screen.
constexpr int kMinimumPictureWidth = 320;
// Room for the window frame the desktop draws around the main window.
constexpr int kWindowFrame = 16;

// The desktop's colour for inactive window borders stands for the window colour of the palette.
uint32_t InactiveBorderColour() {
    return QApplication::palette().color(QPalette::Window).rgb();
}

} // namespace

Application::Application(ApplicationOptions options)
    : options_(std::move(options)), programFolder_(ResolveProgramFolder(options_.home)),
      renderer_(palette_, InactiveBorderColour()) {
    tasks_ = std::make_unique<TaskController>(settings_, menus_, interaction_, pump_);
    main_ = std::make_unique<MainWindow>(settings_, menus_, renderer_);
    basic_ = new BasicSettingsWindow(settings_.Options0(), main_.get());
    advanced_ = new AdvancedSettingsWindow(settings_.Options1(), main_.get());
    special_ = new SpecialSettingsWindow(settings_.Options2(), main_.get());
    interaction_.SetParent(main_.get());
    interaction_.SetCaptureQuery([this] { return tasks_->Running(); });

    SetUpSound();
    ConnectHooks();
    AttachMenuCommands();
    StartUp();

    QObject::connect(&repaintTimer_, &QTimer::timeout, [this] {
        if (tasks_->Running()) {
            main_->Spectrogram().update();
        }
    });
    repaintTimer_.start(kRepaintIntervalMs);
}

Application::~Application() {
    repaintTimer_.stop();
    // The windows go first: their bindings refer to the models.
    main_.reset();
}

// The device lists and the real-time loop. Without a working PortAudio the built-in devices remain,
// so there is always something to capture from.
void Application::SetUpSound() {
    audioSystem_ = std::make_unique<PortAudioSystem>();
    if (audioSystem_->Ok()) {
        host_ = std::make_unique<PortAudioHost>(*audioSystem_);
    }
    catalog_ = std::make_unique<DeviceCatalog>(host_.get());
    devices_ = std::make_unique<DeviceLists>(settings_, *catalog_, interaction_);
    realTime_ = std::unique_ptr<RealTimeContext>(
        new RealTimeContext{settings_, *tasks_, *devices_, interaction_, renderer_, averaging_});
    realTime_->hooks.watchCapture = [this](int fd) { WatchCapture(fd); };
    realTime_->hooks.pictureChanged = [this] { main_->Spectrogram().update(); };
    tasks_->Loops().Register(LoopSlot::RealTimeMono,
                             [this] { return std::make_unique<RealTimeMonoLoop>(*realTime_); });
    AttachDeviceCommands(
        menus_, *devices_,
        {.waitWithEvents = [this](double seconds) { tasks_->WaitWithEvents(static_cast<float>(seconds)); },
         .showReport =
             [this](const std::vector<std::string>& lines) {
                 renderer_.PrintLines(lines);
                 main_->Spectrogram().update();
             }});
}

// A ready capture block wakes the event wait of a run, so the loop never spins while it waits.
void Application::WatchCapture(int fd) {
    captureNotifier_.reset();
    if (fd < 0) {
        return;
    }
    captureNotifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(captureNotifier_.get(), &QSocketNotifier::activated, [fd] {
        uint64_t count = 0;
        [[maybe_unused]] const ssize_t got = read(fd, &count, sizeof count);
    });
}

void Application::StartWhenShown() {
    QTimer::singleShot(0, [this] {
        if (tasks_->SessionStopped()) {
            settings_.Form1().Click("StartStop");
        }
    });
}

void Application::ConnectHooks() {
    SettingsHooks& hooks = settings_.Hooks();
    hooks.updateForm = [this] { UpdateForm(); };
    hooks.colourScalePicked = [this](WindowId window, int scale) { ShowColourScale(window, scale); };
    hooks.hideBasicSettings = [this] { basic_->hide(); };
    hooks.restoreSpectrogram = [this] { ClearPicture(); };

    tasks_->Hooks().clearPicture = [this] { ClearPicture(); };

    main_->SetCloseHandler([this] { return MayCloseMainWindow(); });
}

void Application::AttachMenuCommands() {
    menus_.SetHandler("BasicSettings", [this] { OpenBasicSettings(); });
    menus_.SetHandler("AdvancedSettings", [this] { advanced_->Open(); });
    menus_.SetHandler("SpecialSettings", [this] { special_->Open(); });
    menus_.SetHandler("ExitProgram", [this] { ExitProgram(); });
}

void Application::StartUp() {
    settings_.ApplyInitialValues();
    devices_->RefreshDeviceLists();
    settings_.Form1().SetText("StatusLine", "Ready...");
    tasks_->SetSessionMode(1);
    tasks_->SetTaskMode(1);
}

void Application::Show() {
    MainWindow& window = *main_;
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
    // The picture takes the width of the screen beside the Quick Settings column.
    const int besides = window.sizeHint().width() - window.Spectrogram().sizeHint().width();
    pictureWidth_ = std::max(kMinimumPictureWidth, available.width() - besides - kWindowFrame);
    UpdateForm();
    ClearPicture();
    window.resize(window.sizeHint().boundedTo(available.size() - QSize(kWindowFrame, kWindowFrame)));
    window.move(available.topLeft());
    window.show();
}

// The one place where the display is laid out again: every settings rule and task switch ends here.
void Application::UpdateForm() {
    SpectrogramView& view = main_->Spectrogram();
    const int width = pictureWidth_ > 0 ? pictureWidth_ : view.sizeHint().width();
    layout_ = RefreshDisplayLayout(settings_, menus_, palette_, renderer_, width);
    main_->ColourPreview().SetImage(ColourScalePreview(palette_));
    view.FitPicture();
}

void Application::ClearPicture() {
    renderer_.Clear(palette_.Entry(0));
    renderer_.ClearStrip();
    main_->Spectrogram().update();
}

void Application::ShowColourScale(WindowId window, int scale) {
    if (window == WindowId::Options0) {
        basicPalette_.BuildPalette(scale);
        basic_->ColourBar().SetImage(ColourScalePreview(basicPalette_));
        return;
    }
    palette_.BuildPalette(scale);
    main_->ColourPreview().SetImage(ColourScalePreview(palette_));
    main_->Spectrogram().update();
}

void Application::OpenBasicSettings() {
    settings_.CopyQuickToBasic();
    settings_.UpdateInfo();
    ControlModel& basic = settings_.Options0();
    ShowColourScale(WindowId::Options0, ColourScaleNumber(basic.Text(kBasicSettings.colourScale)));
    basic_->Open();
}

void Application::ExitProgram() {
    tasks_->RequestStopThen([this] {
        closing_ = true;
        main_->close();
    });
}

bool Application::MayCloseMainWindow() {
    if (!closing_ && tasks_->Running()) {
        // The run ends first; its clean-up then closes the window.
        ExitProgram();
        return false;
    }
    closing_ = true;
    QCoreApplication::quit();
    return true;
}

} // namespace ondrix
