#include "ui/Application.h"

#include "analysis/RealTimeLoop.h"
#include "audio/DeviceCommands.h"
#include "common/Clock.h"
#include "common/Paths.h"
#include "common/SessionLog.h"
#include "detection/AttachDetection.h"
#include "display/ScalePreview.h"
#include "files/FileUtilityCommands.h"
#include "files/WavHeaderCommands.h"
#include "recording/FileNaming.h"
#include "remote/RemoteControl.h"
#include "settings/CommandLine.h"
#include "settings/ProgramFolder.h"
#include "settings/ProgramIdentity.h"
#include "settings/RatesFile.h"
#include "ui/AttachMeasurement.h"
#include "ui/MainWindow.h"
#include "ui/PictureView.h"
#include "ui/SettingsWindows.h"
#include "ui/SpectrogramView.h"
#include "ui/SplashWindow.h"
#include "ui/Telemetry.h"
#include "ui/UtilityWindows.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QUrl>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <unistd.h>

namespace ondrix {

namespace {

// The picture is repainted this often while a loop draws into it.
constexpr int kRepaintIntervalMs = 40;
// The narrowest picture, whatever the screen.
constexpr int kMinimumPictureWidth = 320;
// Room for the window frame the desktop draws around the main window.
constexpr int kWindowFrame = 16;

// Screens too small to tell from the desktop's report; the layout then takes the normal window.
constexpr int kUnknownScreenWidth = 1024;

constexpr const char* kExitQuestion = "Are you sure you want to terminate the program ?";

// Platforms without a screen to look at: no splash there.
bool HeadlessPlatform() {
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
}

// The desktop's colour for inactive window borders stands for the window colour of the palette.
uint32_t InactiveBorderColour() {
    return QApplication::palette().color(QPalette::Window).rgb();
}

} // namespace

Application::Application(ApplicationOptions options)
    : options_(std::move(options)), programFolder_(ResolveProgramFolder(options_.home)),
      renderer_(palette_, InactiveBorderColour()) {
    ui_ = options_.interaction != nullptr ? options_.interaction : &interaction_;
    tasks_ = std::make_unique<TaskController>(settings_, menus_, *ui_, pump_);
    files_ = std::make_unique<SettingsFiles>(settings_, *ui_, ProgramFiles{programFolder_});
    main_ = std::make_unique<MainWindow>(settings_, menus_, renderer_);
    basic_ = new BasicSettingsWindow(settings_.Options0(), main_.get());
    advanced_ = new AdvancedSettingsWindow(settings_.Options1(), main_.get());
    special_ = new SpecialSettingsWindow(settings_.Options2(), main_.get());
    interaction_.SetParent(main_.get());
    interaction_.SetCaptureQuery([this] { return tasks_->Running(); });
    snapshots_ =
        std::make_unique<SnapshotCommands>(settings_, *tasks_, *ui_, *main_, renderer_, currentFile_);
    snapshots_->Attach(menus_);

    SetUpSound();
    SetUpFiles();
    AttachDetection(
        {settings_, renderer_, *realTime_, *fileAnalysis_, *playback_,
         [this] { return recorder_ ? StripExtension(FileNameOfPath(recorder_->FileName())) : ""; },
         WithTrailingSlash(programFolder_) + "TEST.mrk"});
    AttachMeasurement({settings_, *tasks_, palette_, renderer_, currentFile_, *main_,
                       [this] { return recorder_ ? recorder_->FileName() : std::string(); }, *realTime_,
                       *fileAnalysis_, *playback_});
    ConnectHooks();
    AttachMenuCommands();
    // Before the saved settings apply: a saved "Enable on Port" opens the command socket.
    remote_ = std::make_unique<RemoteControl>(RemoteEnvironment{
        .settings = settings_,
        .menus = menus_,
        .tasks = *tasks_,
        .interaction = *ui_,
        .log = [this](const std::string& line) { AppendSessionLog(sessionLog_, {line}); },
        .snapshot = [this] { snapshots_->Snapshot(); },
        .recordingFile = [this] { return recorder_ ? recorder_->FileName() : std::string(); },
        .fails = [this] { return realTime_->status.fails; },
        .overloads = [this] { return realTime_->status.overloads; }});
    // The CD player and the disk and system utilities.
    AttachUtilities({.settings = settings_,
                     .menus = menus_,
                     .interaction = *ui_,
                     .volumes = volumes_,
                     .palette = palette_,
                     .devices = *devices_,
                     .programFolder = programFolder_,
                     .parent = main_.get(),
                     .showReport =
                         [this](const std::vector<std::string>& lines) {
                             renderer_.PrintLines(lines);
                             main_->Spectrogram().update();
                         },
                     .updateForm = [this] { UpdateForm(); },
                     .restoreSpecGram = [this] { snapshots_->RestoreSpecGram(); }});
    AttachTelemetry(*main_, *special_, settings_, menus_, *ui_, programFolder_);
    // Every handler is attached: a button none of them acts on is disabled, as a menu command without one is.
    for (ControlModel* window :
         {&settings_.Form1(), &settings_.Options0(), &settings_.Options1(), &settings_.Options2()}) {
        window->DisableSilentButtons();
    }
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
    devices_ = std::make_unique<DeviceLists>(settings_, *catalog_, *ui_);
    realTime_ = std::unique_ptr<RealTimeContext>(
        new RealTimeContext{settings_, *tasks_, *devices_, *ui_, renderer_, averaging_});
    realTime_->hooks.watchCapture = [this](int fd) { WatchWakeFd(fd); };
    realTime_->hooks.pictureChanged = [this] { main_->Spectrogram().update(); };
    ConnectRecorder();
    ConnectRamBuffer();
    tasks_->Loops().Register(LoopSlot::RealTimeMono,
                             [this] { return std::make_unique<RealTimeLoop>(*realTime_); });
    tasks_->Loops().Register(LoopSlot::RealTimeStereo,
                             [this] { return std::make_unique<RealTimeLoop>(*realTime_, 2); });
    AttachDeviceCommands(
        menus_, *devices_,
        {.waitWithEvents = [this](double seconds) { tasks_->WaitWithEvents(static_cast<float>(seconds)); },
         .showReport =
             [this](const std::vector<std::string>& lines) {
                 renderer_.PrintLines(lines);
                 main_->Spectrogram().update();
             }});
}

// Opening and closing sound files, the File menu's open and header commands, the navigation of the
// file view and the file-analysis loop of task 4.
void Application::SetUpFiles() {
    opener_ = std::make_unique<FileOpener>(settings_, *files_, *tasks_, *ui_, currentFile_,
                                           [this] { return FileFormatSettingsFrom(settings_.Options1()); });
    opener_->SetLog([this](const std::string& line) { AppendSessionLog(sessionLog_, {line}); });
    opener_->AttachFileCommands(menus_);
    fileOpener_ = [this](const std::string& path) { opener_->OpenFile(path); };
    AttachWavHeaderCommands(menus_, *ui_, [this] { return settings_.Options0().Text("DefPlayPathField"); });
    AttachFileUtilities(menus_, settings_, *tasks_, *ui_);
    navigation_ = std::make_unique<FileNavigation>(settings_, *tasks_, *ui_, currentFile_, renderer_);
    fileAnalysis_ = std::unique_ptr<FileAnalysisContext>(
        new FileAnalysisContext{settings_, *tasks_, *ui_, renderer_, averaging_, currentFile_});
    fileAnalysis_->hooks.pictureChanged = [this] { main_->Spectrogram().update(); };
    RegisterFileAnalysisLoop(tasks_->Loops(), *fileAnalysis_);

    opener_->SetPictureText([this](const std::vector<std::string>& lines) {
        renderer_.PrintLines(lines);
        main_->Spectrogram().update();
    });
    playback_ = std::unique_ptr<FilePlaybackContext>(new FilePlaybackContext{
        settings_, *tasks_, *ui_, renderer_, averaging_, currentFile_, *devices_, opener_->Files()});
    FilePlaybackHooks& hooks = playback_->hooks;
    hooks.watchOutput = [this](int fd) { WatchWakeFd(fd); };
    hooks.pictureChanged = [this] { main_->Spectrogram().update(); };
    hooks.emptyRamBuffer = [this] { ramBuffer_->Empty(); };
    hooks.note = [this](const std::string& line) { AppendSessionLog(sessionLog_, {line}); };
    RegisterFilePlaybackLoop(tasks_->Loops(), *playback_);
}

// Task 2 records every raw block of the run through the recorder; its events go to the session log with
// the name of the file being recorded.
void Application::ConnectRecorder() {
    recordingRules_ = std::make_unique<RecordingSettingsRules>(settings_, *ui_, volumes_);
    recordingRules_->Attach();
    RealTimeHooks& hooks = realTime_->hooks;
    hooks.prepareRecording = [this] {
        ControlModel& form = settings_.Form1();
        RecorderSettings recording = RecorderSettingsFromSettings(
            settings_, realTime_->status.channels, static_cast<uint32_t>(settings_.Analysis().sampleRate),
            form.Text("Combo10"), form.IntValue("BlockSize"));
        RecorderEnvironment environment{
            .volumes = volumes_,
            .clock = [] { return LocalNow(); },
            .log =
                [this](const std::string& message) {
                    AppendSessionLog(sessionLog_,
                                     {recorder_ ? recorder_->FileName() : std::string(), message});
                },
            .position = [this] { return TakeReceivedPosition(settings_); },
            .fails = [this] { return realTime_->status.fails; },
            .overloads = [this] { return realTime_->status.overloads; },
            .restartCounts = [this] { realTime_->status.RestartCounts(); },
            .fileSwitched =
                [this] { settings_.Form1().SetText("Label4", recordingCaption_ + recorder_->StatusText()); },
        };
        recorder_ = std::make_unique<Recorder>(std::move(recording), std::move(environment));
        const std::string refusal = recorder_->Begin();
        if (!refusal.empty()) {
            recorder_.reset();
            ui_->ShowMessage(refusal, MessageIcon::Exclamation);
            return false;
        }
        return true;
    };
    hooks.startRecording = [this] {
        ControlModel& form = settings_.Form1();
        recordingCaption_ = form.Text("Label4");
        form.SetText("Label4", recordingCaption_ + recorder_->StatusText());
    };
    hooks.recordBlock = [this](std::span<const int16_t> block, bool paused) {
        recorder_->RecordBlock(block, paused);
        settings_.Form1().SetText("Label18", recorder_->SizeText());
        if (recorder_->StopRequested()) {
            tasks_->SetSessionStopped(true);
        }
    };
    hooks.recordingLog = [this](const std::string& message) {
        if (recorder_) {
            recorder_->Log(message);
        }
    };
    hooks.endRecording = [this] {
        if (recorder_) {
            recorder_->End();
            recorder_.reset();
        }
        recordingRules_->RefreshFreeSpace();
    };
}

// Every real-time run keeps its raw blocks in the RAM buffer; the Buffer menu saves, analyses or plays them.
void Application::ConnectRamBuffer() {
    ramBuffer_ = std::make_unique<RamBufferCommands>(
        settings_, *ui_,
        RamBufferEnvironment{.clock = [] { return LocalNow(); },
                             .stopRun = [this] { tasks_->SetSessionStopped(true); },
                             .saveSpecGram = [this] { snapshots_->SaveSpecGram(); },
                             .restoreSpecGram = [this] { snapshots_->RestoreSpecGram(); },
                             .open = [this](const std::string& path) { OpenFile(path); },
                             .workFolder = programFolder_});
    ramBuffer_->Attach(menus_);
    realTime_->hooks.ramBufferSetUp = [this](int blockValues, int channels, uint32_t rate) {
        return ramBuffer_->RunStarts(blockValues, channels, rate);
    };
    realTime_->hooks.ramBufferAppend = [this](std::span<const int16_t> block) { ramBuffer_->Append(block); };
}

// A ready capture block or a played output slot wakes the event wait of a run, so the loop never spins
// while it waits.
void Application::WatchWakeFd(int fd) {
    wakeNotifier_.reset();
    if (fd < 0) {
        return;
    }
    wakeNotifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(wakeNotifier_.get(), &QSocketNotifier::activated, [fd] {
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
    menus_.SetHandler("AdvancedSettings", [this] {
        files_->OnAdvancedSettingsOpened();
        advanced_->Open();
    });
    menus_.SetHandler("SpecialSettings", [this] { special_->Open(); });
    menus_.SetHandler("ExitProgram", [this] { ExitProgram(); });
    // The manual opens in the desktop's browser: the installed copy, else the one of the source tree.
    menus_.SetHandler("Manual", [this] {
        const std::string page =
            FindManual(QCoreApplication::applicationDirPath().toStdString(), ONDRIX_SOURCE_DIR);
        if (page.empty()) {
            ui_->ShowMessage("The manual Ondrix_manual.html is not installed (looked in "
                             "../share/doc/ondrix/manual beside the program and in the source tree).",
                             MessageIcon::Exclamation);
        } else if (!QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(page)))) {
            ui_->ShowMessage("No browser could open the manual " + page, MessageIcon::Exclamation);
        }
    });
    // Presets, undo and the file buttons of the settings windows.
    files_->AttachCommands(menus_);
}

// Start-up, in an order that matters: each step may overwrite what the steps before it set (the built-in
// values, then the saved control state, then the default preset, then the default paths).
void Application::StartUp() {
    ControlModel& form = settings_.Form1();
    // The caption, and the splash for its two seconds.
    main_->setWindowTitle(QString::fromUtf8(kWindowCaption.data(), static_cast<int>(kWindowCaption.size())));
    ShowSplash();
    tasks_->SetSessionStopped(true);

    // The program folder (made on a fresh machine) and the session log of the day. The extensions of the
    // settings and sound files are fixed (kSettingsExtension, kSoundExtension).
    if (const std::optional<std::string> problem = PrepareProgramFolder(programFolder_)) {
        ui_->ShowMessage(*problem, MessageIcon::Exclamation);
    }
    sessionLog_ = ondrix::SessionLogPath(programFolder_, LocalNow());
    form.SetText("StatusLine", "");

    // Built-in values: "Reset to default" (which takes "default.preset" when there is one), then the
    // fixed initial values, then the sampling rates of "rates.ini".
    files_->ApplyBuiltInPreset(BuiltInPreset::Default);
    settings_.ApplyInitialValues();
    const ProgramFiles& files = files_->Files();
    LoadRatesFile(files.Rates(), settings_);
    settings_.Analysis().sampleRate = form.IntValue(kQuickSettings.sampleRate);
    settings_.Analysis().fftSize = form.IntValue(kQuickSettings.fftSize);
    devices_->RefreshDeviceLists();

    // What the user saved: the control state, then the default preset (whose settings win), then the
    // devices they name, then the default folders.
    std::error_code error;
    if (std::filesystem::exists(files.UserDefault(), error) &&
        files_->LoadControlState(files.UserDefault())) {
        form.SetText("StatusLine", "Load Controls. ");
    }
    if (std::filesystem::exists(files.DefaultPreset(), error) &&
        files_->PresetLoadFile(files.DefaultPreset())) {
        AppendStatus("Load Settings. ");
    }
    // Both names are taken before either look-up: a missing input device rebuilds the lists, which would
    // put the output list back to its default.
    const std::string inputDevice = form.Text(kQuickSettings.audioDevice);
    const std::string outputDevice = settings_.Options0().Text("Combo9");
    devices_->FindInputDevice(inputDevice);
    devices_->FindOutputDevice(outputDevice);
    if (files_->LoadDefaultPaths()) {
        AppendStatus("Load Paths. ");
    }
    EnsureFolder(settings_.Options0().Text("DefPlayPathField"));
    EnsureFolder(settings_.Options0().Text("FileRecPathField"));
    EnsureFolder(settings_.Options1().Text("DefSavePath"));
    EnsureFolder(settings_.Options1().Text("DefLogPath"));

    // The layout for the screen, the Quick Settings panel, and the first task.
    placement_ = ApplyScreenLayout(settings_, *ui_, ScreenWidth());
    form.SetVisible("Frame1", settings_.Options1().Checked("QuickPanelFlag"));
    AppendStatus("Ready...");
    tasks_->SetSessionMode(1);
    tasks_->SetTaskMode(1);

    // The command line acts once the event loop runs: a recording it starts runs inside the loop.
    QTimer::singleShot(0, main_.get(), [this] { RunCommandLine(); });
}

void Application::ShowSplash() {
    if (!options_.splash || HeadlessPlatform()) {
        return;
    }
    SplashWindow splash(QString::fromUtf8(kCreditsText.data(), static_cast<int>(kCreditsText.size())));
    splash.Run();
}

void Application::AppendStatus(std::string_view text) {
    ControlModel& form = settings_.Form1();
    form.SetText("StatusLine", form.Text("StatusLine") + std::string(text));
}

int Application::ScreenWidth() const {
    if (options_.screenWidth) {
        return *options_.screenWidth;
    }
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().width() : kUnknownScreenWidth;
}

// "/REC" records at once; a file left after the switches is opened, after such a recording has ended.
void Application::RunCommandLine() {
    const CommandLine line = ParseCommandLine(options_.arguments);
    if (line.empty || quitting_) {
        return;
    }
    if (line.record) {
        if (!main_->isVisible()) {
            Show();
        }
        tasks_->SelectTask(2);
        settings_.Form1().Click("StartStop");
        if (quitting_) {
            return;
        }
    }
    std::error_code error;
    if (!line.file.empty() && std::filesystem::is_regular_file(line.file, error)) {
        main_->showNormal();
        OpenFile(line.file);
    }
}

void Application::OpenFile(const std::string& path) {
    fileOpener_(path);
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
    window.move(available.topLeft());
    if (placement_ == WindowPlacement::Maximised) {
        window.showMaximized();
        return;
    }
    window.resize(window.sizeHint().boundedTo(available.size() - QSize(kWindowFrame, kWindowFrame)));
    window.showNormal();
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

// The display is laid out first, so the window starts from the settings the display shows.
void Application::OpenBasicSettings() {
    UpdateForm();
    settings_.CopyQuickToBasic();
    ControlModel& basic = settings_.Options0();
    ShowColourScale(WindowId::Options0, ColourScaleNumber(basic.Text(kBasicSettings.colourScale)));
    // The state as the window opens is what its "Exit" and "Reset" restore.
    files_->OnBasicSettingsOpened();
    recordingRules_->RefreshFreeSpace();
    basic_->Open();
    settings_.UpdateInfo();
}

void Application::ExitProgram() {
    if (exitAsked_ || quitting_) {
        return;
    }
    exitAsked_ = true;
    ui_->AskYesNoDefaultNo(kExitQuestion, MessageIcon::Critical, [this](bool yes) {
        exitAsked_ = false;
        if (yes) {
            Quit();
        }
    });
}

void Application::Quit() {
    if (quitting_) {
        return;
    }
    quitting_ = true;
    settings_.Form1().SetChecked("PauseButton", false);
    // During a run: the loop ends at its next pass, cleans up (devices released), and then the windows go.
    // No run starts after this, also not from a handler that was waiting under the run to start one.
    tasks_->Shutdown([this] { CloseAll(); });
}

void Application::CloseAll() {
    closing_ = true;
    special_->hide();
    advanced_->hide();
    basic_->hide();
    main_->close();
    QCoreApplication::quit();
    // When this runs inside the main window's own close event, the window is still visible and the quit
    // above is refused; the window closes on return, and this second request then ends the event loop.
    QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
}

// Closing the main window asks first; the window closes only once the program ends.
bool Application::MayCloseMainWindow() {
    if (closing_) {
        return true;
    }
    ExitProgram();
    // A Yes given at once (no run) has already ended the program.
    return closing_;
}

} // namespace ondrix
