#include "settings/SettingsModel.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace ondrix {
namespace {

std::string NamesInOrder(const ControlModel& window) {
    std::string names;
    for (const Control& control : window.Controls()) {
        names += names.empty() ? control.name : " " + control.name;
    }
    return names;
}

// The control order is the order of the control-state files: a saved file names controls by it.
TEST(Inventory, EveryWindowKeepsItsControlOrder) {
    const SettingsModel settings;
    EXPECT_EQ(settings.Form1().Controls().size(), 71u);
    EXPECT_EQ(settings.Options0().Controls().size(), 80u);
    EXPECT_EQ(settings.Options1().Controls().size(), 74u);
    EXPECT_EQ(settings.Options2().Controls().size(), 32u);

    EXPECT_EQ(
        NamesInOrder(settings.Form1()),
        "Frame1 BlockSize SampleRate FFTSize WindowSize WindowType ScanStep Combo7 Combo8 Picture2 Combo12 "
        "Combo10 Text1 UpDown1 Text2 UpDown2 Check1 Text5 ZoomFlag ZoomBaseField UpDown5 Combo9 Frame4CH "
        "SetCH1 UpDown3 SetCH2 UpDown4 StartStop Command23 PauseButton RecPauseFlag QuickRecButton Check2 "
        "ShowDateTime Frame4 Command1 Command5 Command6 Command3 Command11 Command7 Command13 Command12 "
        "GoToS Text4 GoToS2 Text3 Jump Text6 RefreshButton Command9 SpecGram LabelCursors StatusLine Label4 "
        "HeadLine Label3 DateTime Label6 Label27 L24 L25 Label28 CounterLabel Label20 Label21 Label7 Label5 "
        "Label18 BufferLabel UDPTXT");
    EXPECT_EQ(
        NamesInOrder(settings.Options0()),
        "BlockSize SampleRate FFTSize WindowSize WindowType ScanStep DisplayHeight ColourScale ColourBar "
        "RamBufferSize Combo10 NchanCombo Combo9 AnalysisParameters ApplyButton ExitButton LoadButton "
        "SaveButton ResetButton RestoreButton SaveDefaultSettings LinkToWavButton PresetAutoloadFlag "
        "ProgPathFlag FileModeCombo FileMaxSizeCombo Command11 RecDurationLabel Split00 Split30 MaxNFiles "
        "SpanDiskCheck FileRecPathField FreeSpaceLabel SetRecPathButton FileRecNameField FSep AddRecN "
        "AddTimeStamp AddUDP AddHeader FileNamePostfix RamBufferModeCombo txtBufferPath DefPlayPathField "
        "SetPlayPathButton SameAsRecButton SaveDefaultPathsButton cmbSpeedUp ImmediatePlayCheck "
        "CheckAnalysisOnOpen TimeTag StereoFilesFrame OptionCS0 OptionCS1 OptionCS2 OptionCS3 OptionCS4 "
        "DisplayAsFrame OptionCSS1 OptionCSS2 OptionCSS3 OptionCSS4 chkRedBlueDisplay RemoteControlFrame "
        "chkUDPSlave LocalPort2 RemoteIP2 RemotePort2 txtUDP2 Winsock2 BroadcastStatusFrame NotifyStatusFlag "
        "BroadcastIP BroadcastPort UdpPortFrame LocalPort1 Text1 Winsock1 ListFreespace");
    EXPECT_EQ(
        NamesInOrder(settings.Options1()),
        "TapeSpeedCombo FrequencyDivisionCombo AmplitudeScale DisplayFrame MaxSpectrogramHeight "
        "DefBlockSizeFrame DefBlockSizeRTACombo DefBlockSizeRecCombo DefBlockSizePbkCombo Combo9 RedrawFlag "
        "QuickPanelFlag RTCursorFlag ScrollFlag Check6 Text12 Text13 Text14 Text1 CheckVIN txtMaxVIN "
        "DerivateFlag SmoothFlag CepstrumFlag AvgCombo AvgCoeffField chkDither1 chkDither2 chkDither3 "
        "txtDither DefSavePath SetSavePathButton Combo3 FileFormatsFrame TextScaleFloat textScale32Bit "
        "txtHeaderSkip txtRawSampleRate TrackFrame TrackFromField TrackToField TrackTresholdField "
        "TrackToFileFlag KeepTrackOnField KeepTrackOffField TriggerFrame TriggerFlag TriggerToFileFlag "
        "TriggerTresholdField TriggerWaveOption TriggerEnveOption TriggerSpecOption SpecTresh specline1 "
        "specline2 specref1 specref2 KeepTriggerOffField KeepTriggerOnField LogFilesFrame TrackLogFileField "
        "TriggerLogFileField CursorLogFileField DefLogPath SetLogPathButton SaveDefControls ResetControls "
        "DeleteDefaultButton SaveControls LoadControls SaveDefPaths ResetButton ExitButton OkButton");
    EXPECT_EQ(
        NamesInOrder(settings.Options2()),
        "Combo2 SpecFormCheck GpsLoggerFrame ComPort ComSet LeadChar LatStringPos LongStringPos GpsString "
        "LogToFile LogName SingleShot StartGPS StopGPS Command10 GpsSerialPort Drive1 Picture1 "
        "DuplicatedColorsField DiskSpaceButton DiskSpaceExButton CheckDiskButton DiskTypeButton "
        "MemCheckButton ApplicationButton NormalPriorityButton HighPriorityButton RealTimePriorityButton "
        "ListPrintersButton KillTasksButton FindDuplicatedColorsButton ConfirmButton");
}

TEST(Inventory, TextsAreKeptVerbatim) {
    const SettingsModel settings;
    const ControlModel& form = settings.Form1();
    const ControlModel& basic = settings.Options0();
    const ControlModel& advanced = settings.Options1();

    const std::vector<std::string>& quickScales = form.At("Combo8").items;
    ASSERT_EQ(quickScales.size(), 21u);
    EXPECT_EQ(quickScales[5], "5 bw +sharp ");
    EXPECT_EQ(quickScales[6], "6 ");
    EXPECT_EQ(quickScales[17], "17 w-yellow");
    const std::vector<std::string>& basicScales = basic.At("ColourScale").items;
    ASSERT_EQ(basicScales.size(), 22u);
    EXPECT_EQ(basicScales[5], "5 bw +sharp");
    EXPECT_EQ(basicScales[15], "15 green");
    EXPECT_EQ(basicScales[16], "15");

    EXPECT_EQ(form.At("ScanStep").items.size(), 19u);
    EXPECT_EQ(basic.At("ScanStep").items.size(), 17u);
    EXPECT_EQ(form.At("Combo12").items.size(), 11u);
    EXPECT_EQ(basic.At("RamBufferSize").items.at(9), "160 Mbytes");

    EXPECT_EQ(form.At("ZoomFlag").tooltip, "Activates the zoom if the fft size is greater than 512");
    EXPECT_EQ(form.At("RecPauseFlag").tooltip,
              "Pause / Resume file recording without affecting the real-time display");
    EXPECT_EQ(basic.At("ListFreespace").tooltip, "List free sapce on available disks");
    EXPECT_EQ(basic.At("OptionCSS4").caption, "L+R and L- R");
    EXPECT_EQ(advanced.At("ResetButton").tooltip, "Undo changes (saved settings can't be");
    EXPECT_EQ(advanced.At("ResetControls").tooltip, "Load user defualt configuration");
    EXPECT_EQ(advanced.At("TrackTresholdField").tooltip, "Treshold level for tracking (dB)");
    EXPECT_EQ(advanced.At("DefSavePath").tooltip, "Pathwhere to store spectrograms");
    EXPECT_EQ(basic.At("FileMaxSizeCombo").items.at(9), "659.18 MB");
}

// Start-up texts that are not list entries stay as they are, with no entry selected.
TEST(Inventory, StartUpTextsOutsideTheListsAreKept) {
    const SettingsModel settings;
    const ControlModel& basic = settings.Options0();
    EXPECT_EQ(basic.Text("FileModeCombo"), "2 - single file recording");
    EXPECT_EQ(basic.ListIndex("FileModeCombo"), -1);
    EXPECT_EQ(basic.Text("NchanCombo"), "1 - mono (left)");
    EXPECT_EQ(basic.IntValue("NchanCombo"), 1);
    EXPECT_EQ(basic.Text("RamBufferModeCombo"), "1");
    EXPECT_EQ(basic.Text("FileMaxSizeCombo"), "680 MB (CD size)");
    EXPECT_EQ(settings.Form1().Text("Combo8"), "0");
    EXPECT_EQ(settings.Form1().ListIndex("Combo8"), -1);
}

TEST(Inventory, QuickSettingsStartAtTheirDefaults) {
    const SettingsModel settings;
    const ControlModel& form = settings.Form1();
    EXPECT_EQ(form.Text("BlockSize"), "8192");
    EXPECT_EQ(form.Text("SampleRate"), "48000");
    EXPECT_EQ(form.Text("FFTSize"), "512");
    EXPECT_EQ(form.Text("WindowSize"), "512");
    EXPECT_EQ(form.Text("WindowType"), "Hanning");
    EXPECT_EQ(form.ListIndex("WindowType"), 1);
    EXPECT_EQ(form.Text("ScanStep"), "512");
    EXPECT_EQ(form.Text("Combo7"), "256");
    EXPECT_EQ(form.Text("Combo12"), "off");
    EXPECT_EQ(form.Text("Text2"), "1");
    EXPECT_FALSE(form.At("ZoomFlag").enabled);
    EXPECT_FALSE(form.At("Frame4CH").visible);
}

TEST(Inventory, ListsWithoutGivenEntriesIncludeTheirDefaults) {
    const SettingsModel settings;
    const std::vector<std::string> rates = {"0", "1", "2", "4", "8", "16", "32", "64", "128"};
    EXPECT_EQ(settings.Options1().At("Combo9").items, rates);
    EXPECT_EQ(settings.Options1().ListIndex("Combo9"), 2);
    const std::vector<std::string> buffers = {"2", "4", "8", "16", "32", "64"};
    EXPECT_EQ(settings.Options2().At("Combo2").items, buffers);
    EXPECT_EQ(settings.Options2().Text("Combo2"), "2");
}

TEST(Inventory, OnlyValueControlsAreSavedAndPauseIsNot) {
    const SettingsModel settings;
    for (const ControlModel* window : {&settings.Form1(), &settings.Options0(), &settings.Options1()}) {
        for (const Control& control : window->Controls()) {
            EXPECT_EQ(control.IsSaved(), IsValueKind(control.kind) && control.name != "PauseButton" &&
                                             control.name != "RecPauseFlag" && control.name != "Drive1")
                << window->Prefix() << "." << control.name;
        }
    }
    std::vector<std::string> savedOnUtilities;
    for (const Control& control : settings.Options2().Controls()) {
        if (control.IsSaved()) {
            savedOnUtilities.push_back(control.name);
        }
    }
    EXPECT_EQ(savedOnUtilities, std::vector<std::string>{"Combo2"});
    EXPECT_EQ(settings.Form1().At("StatusLine").kind, ControlKind::Label);
    EXPECT_EQ(settings.Options1().At("QuickPanelFlag").kind, ControlKind::Check);
    EXPECT_EQ(settings.Options0().At("ProgPathFlag").kind, ControlKind::Check);
}

TEST(Inventory, SpinsStartInsideTheirRangesAndEachOptionGroupHasOneSelection) {
    const SettingsModel settings;
    for (const ControlModel* window :
         {&settings.Form1(), &settings.Options0(), &settings.Options1(), &settings.Options2()}) {
        std::map<std::string, int> selected;
        for (const Control& control : window->Controls()) {
            if (control.kind == ControlKind::Spin) {
                const int value = window->IntValue(control.name);
                EXPECT_LE(control.minimum, value) << control.name;
                EXPECT_LE(value, control.maximum) << control.name;
            }
            if (control.kind == ControlKind::Option) {
                EXPECT_FALSE(control.group.empty()) << control.name;
                selected[control.group] += window->Checked(control.name) ? 1 : 0;
            }
        }
        for (const auto& [group, count] : selected) {
            EXPECT_EQ(count, 1) << group;
        }
    }
}

} // namespace
} // namespace ondrix
