#include "ui/SettingsWindows.h"

#include "ui/PictureView.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>

namespace ondrix {

namespace {

std::vector<std::vector<Group>> BasicSettingsLayout() {
    return {
        {{.title = "Analysis",
          .rows = {{{"BlockSize"}},
                   {{"SampleRate"}},
                   {{"FFTSize"}},
                   {{"WindowSize"}},
                   {{"WindowType"}},
                   {{"ScanStep"}},
                   {{"DisplayHeight"}},
                   {{"ColourScale"}},
                   {{"ColourBar"}},
                   {{"RamBufferSize"}},
                   {{"Combo10", "Input device"}},
                   {{"NchanCombo"}},
                   {{"Combo9", "Output device"}}}},
         {.title = "Analysis parameters", .rows = {{{"AnalysisParameters"}}}},
         {.rows = {{{"ApplyButton"}, {"ExitButton"}}}}},
        {{.title = "Recording",
          .rows = {{{"FileModeCombo", "File mode"}},
                   {{"FileMaxSizeCombo", "Max file size"}},
                   {{"RecDurationLabel"}},
                   {{"Command11"}},
                   {{"Split00"}, {"Split30"}},
                   {{"SpanDiskCheck"}},
                   {{"MaxNFiles", "Max files"}},
                   {{"FileRecPathField"}},
                   {{"FreeSpaceLabel", "Free space"}},
                   {{"SetRecPathButton"}},
                   {{"FileRecNameField", "File name"}},
                   {{"FSep"}},
                   {{"AddRecN", "Add file number"}},
                   {{"AddTimeStamp"}},
                   {{"AddUDP"}},
                   {{"AddHeader"}},
                   {{"FileNamePostfix", "Postfix"}}}},
         {.title = "RAM Buffer",
          .rows = {{{"RamBufferModeCombo", "Buffer mode"}}, {{"txtBufferPath", "Buffer Path"}}}}},
        {{.title = "Play",
          .rows = {{{"DefPlayPathField"}},
                   {{"SetPlayPathButton"}, {"SameAsRecButton"}},
                   {{"SaveDefaultPathsButton"}},
                   {{"cmbSpeedUp"}},
                   {{"ImmediatePlayCheck"}},
                   {{"CheckAnalysisOnOpen", "Analyse on Open"}},
                   {{"TimeTag", "Time tag"}}}},
         {.frame = "StereoFilesFrame",
          .rows = {{{"OptionCS0"}}, {{"OptionCS1"}}, {{"OptionCS2"}}, {{"OptionCS3"}}, {{"OptionCS4"}}}},
         {.frame = "DisplayAsFrame",
          .rows = {{{"OptionCSS1"}, {"OptionCSS2"}},
                   {{"OptionCSS3"}, {"OptionCSS4"}},
                   {{"chkRedBlueDisplay"}}}}},
        {{.title = "Presets",
          .rows = {{{"LoadButton"}, {"SaveButton"}},
                   {{"ResetButton"}, {"RestoreButton"}},
                   {{"SaveDefaultSettings"}, {"LinkToWavButton"}},
                   {{"PresetAutoloadFlag"}},
                   {{"ProgPathFlag"}}}},
         {.frame = "RemoteControlFrame",
          .rows = {{{"chkUDPSlave"}, {"LocalPort2"}},
                   {{"RemoteIP2", "Feedback to"}},
                   {{"RemotePort2", "Feedback port"}},
                   {{"txtUDP2", "State"}}}},
         {.frame = "BroadcastStatusFrame",
          .rows = {{{"NotifyStatusFlag"}}, {{"BroadcastIP", "Address"}}, {{"BroadcastPort", "Port"}}}},
         {.frame = "UdpPortFrame", .rows = {{{"LocalPort1", "Port"}}, {{"Text1", "Received"}}}},
         {.rows = {{{"ListFreespace"}}}}},
    };
}

std::vector<std::vector<Group>> AdvancedSettingsLayout() {
    return {
        {{.title = "Analysis",
          .rows = {{{"TapeSpeedCombo"}}, {{"FrequencyDivisionCombo"}}, {{"AmplitudeScale"}}}},
         {.frame = "DisplayFrame",
          .rows = {{{"MaxSpectrogramHeight"}},
                   {{"Combo9"}},
                   {{"RedrawFlag"}, {"QuickPanelFlag"}},
                   {{"RTCursorFlag"}, {"ScrollFlag"}}}},
         {.frame = "DefBlockSizeFrame",
          .rows = {{{"DefBlockSizeRTACombo"}}, {{"DefBlockSizeRecCombo"}}, {{"DefBlockSizePbkCombo"}}}},
         {.title = "Frequency markers",
          .rows = {{{"Check6"}},
                   {{"Text12", "Marker 1"}},
                   {{"Text13", "Marker 2"}},
                   {{"Text14", "Marker 3"}},
                   {{"Text1"}},
                   {{"CheckVIN"}},
                   {{"txtMaxVIN", "Max Vin"}}}}},
        {{.title = "Spectrum",
          .rows = {{{"DerivateFlag"}, {"SmoothFlag"}, {"CepstrumFlag"}},
                   {{"AvgCombo", "Averaging"}},
                   {{"AvgCoeffField", "Avg coefficient"}},
                   {{"chkDither1", "Dither 1"}, {"chkDither2", "Dither 2"}, {"chkDither3", "Dither 3"}},
                   {{"txtDither", "Dither amplitude"}}}},
         {.title = "Snapshots",
          .rows = {{{"DefSavePath"}}, {{"SetSavePathButton"}}, {{"Combo3", "Snapshot of"}}}},
         {.frame = "FileFormatsFrame",
          .rows = {{{"TextScaleFloat", "Float scale up"}},
                   {{"textScale32Bit", "32 bit scale down"}},
                   {{"txtHeaderSkip", "Header bytes to skip"}},
                   {{"txtRawSampleRate", "Raw sample rate"}}}}},
        {{.frame = "TrackFrame",
          .rows = {{{"TrackFromField"}},
                   {{"TrackToField", "To Line"}},
                   {{"TrackTresholdField"}},
                   {{"TrackToFileFlag"}},
                   {{"KeepTrackOnField"}},
                   {{"KeepTrackOffField"}}}},
         {.frame = "TriggerFrame",
          .rows = {{{"TriggerFlag"}, {"TriggerToFileFlag"}},
                   {{"TriggerTresholdField"}},
                   {{"TriggerWaveOption"}, {"TriggerEnveOption"}, {"TriggerSpecOption"}},
                   {{"SpecTresh", "Spectrum level"}},
                   {{"specline1", "Spectrum lines"}, {"specline2"}},
                   {{"specref1", "Ref lines"}, {"specref2"}},
                   {{"KeepTriggerOffField"}},
                   {{"KeepTriggerOnField"}}}}},
        {{.frame = "LogFilesFrame",
          .rows = {{{"TrackLogFileField", "Track log"}},
                   {{"TriggerLogFileField", "Trigger log"}},
                   {{"CursorLogFileField", "Cursor log"}},
                   {{"DefLogPath"}},
                   {{"SetLogPathButton"}}}},
         {.title = "Control settings",
          .rows = {{{"SaveDefControls"}},
                   {{"ResetControls"}},
                   {{"DeleteDefaultButton"}},
                   {{"SaveControls"}},
                   {{"LoadControls"}},
                   {{"SaveDefPaths"}}}},
         {.rows = {{{"ResetButton"}, {"ExitButton"}, {"OkButton"}}}}},
    };
}

std::vector<std::vector<Group>> SpecialSettingsLayout() {
    return {
        {{.title = "Capture", .rows = {{{"Combo2"}}, {{"SpecFormCheck"}}}},
         {.frame = "GpsLoggerFrame",
          .rows = {{{"ComPort", "Com Port"}},
                   {{"ComSet", "Port settings"}},
                   {{"LeadChar", "Leading string"}},
                   {{"LatStringPos"}},
                   {{"LongStringPos"}},
                   {{"GpsString", "Received"}},
                   {{"LogToFile"}, {"LogName"}},
                   {{"SingleShot"}},
                   {{"StartGPS"}, {"StopGPS"}, {"Command10"}}}}},
        {{.title = "Disks and system",
          .rows = {{{"Drive1", "Drive"}},
                   {{"DiskSpaceButton"}, {"DiskSpaceExButton"}},
                   {{"CheckDiskButton"}, {"DiskTypeButton"}},
                   {{"MemCheckButton"}, {"ApplicationButton"}},
                   {{"NormalPriorityButton"}},
                   {{"HighPriorityButton"}},
                   {{"RealTimePriorityButton"}},
                   {{"ListPrintersButton"}, {"KillTasksButton"}},
                   {{"FindDuplicatedColorsButton"}},
                   {{"DuplicatedColorsField", "Colours"}},
                   {{"Picture1"}}}},
         {.rows = {{{"ConfirmButton"}}}}},
    };
}

} // namespace

SettingsWindow::SettingsWindow(ControlModel& model, const QString& title,
                               const std::vector<std::vector<Group>>& columns,
                               std::vector<std::string> closeButtons, QWidget* parent)
    : QWidget(parent, Qt::Window), controls_(std::make_unique<ControlBinder>(model)) {
    setObjectName(QString::fromUtf8(model.Prefix().data(), static_cast<qsizetype>(model.Prefix().size())));
    setWindowTitle(title);

    auto* contents = new QWidget;
    auto* row = new QHBoxLayout(contents);
    for (const std::vector<Group>& column : columns) {
        auto* stack = new QVBoxLayout;
        for (const Group& group : column) {
            stack->addWidget(BuildGroup(*controls_, group, contents));
        }
        stack->addStretch(1);
        row->addLayout(stack);
    }

    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(contents);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll);

    contents_ = contents;
    FitContents();

    // Leaving buttons hide the window once the model's own handlers have run.
    for (const std::string& button : closeButtons) {
        model.DeclareAction(button);
    }
    model.AddActionHandler([window = QPointer<SettingsWindow>(this), buttons = std::move(closeButtons)](
                               const std::string& name, ControlModel::Action action) {
        if (window && action == ControlModel::Action::Clicked &&
            std::find(buttons.begin(), buttons.end(), name) != buttons.end()) {
            window->hide();
        }
    });
}

SettingsWindow::~SettingsWindow() = default;

// As large as the contents, but never larger than the screen.
void SettingsWindow::FitContents() {
    QSize size = contents_->sizeHint() + QSize(4, 4);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        size = size.boundedTo(screen->availableGeometry().size() - QSize(16, 48));
    }
    resize(size);
}

void SettingsWindow::Open() {
    // The contents may have grown since the window was built (the analysis parameters, device names).
    if (!isVisible()) {
        FitContents();
    }
    show();
    raise();
    activateWindow();
}

BasicSettingsWindow::BasicSettingsWindow(ControlModel& options0, QWidget* parent)
    : SettingsWindow(options0, kCaption, BasicSettingsLayout(), {"ExitButton"}, parent) {}

PictureView& BasicSettingsWindow::ColourBar() {
    return *Controls().Picture("ColourBar");
}

AdvancedSettingsWindow::AdvancedSettingsWindow(ControlModel& options1, QWidget* parent)
    : SettingsWindow(options1, kCaption, AdvancedSettingsLayout(), {"ExitButton", "OkButton"}, parent) {}

SpecialSettingsWindow::SpecialSettingsWindow(ControlModel& options2, QWidget* parent)
    : SettingsWindow(options2, kCaption, SpecialSettingsLayout(), {"ConfirmButton"}, parent) {}

} // namespace ondrix
