// The real windows of the program, offscreen: every control present, the settings rules reached through
// the widgets, tasks chosen from the menu, the settings windows and a run of a loop.
#include "ui/MainWindow.h"
#include "TempFolder.h"
#include "support/JournalSession.h"
#include "ui/Application.h"
#include "ui/PictureView.h"
#include "ui/SettingsWindows.h"
#include "ui/SpectrogramView.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include <gtest/gtest.h>

namespace ondrix {
namespace {

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest() : app(ApplicationOptions{.home = home.Path()}) {}

    template <typename T = QWidget> T* Quick(const char* name) {
        return qobject_cast<T*>(app.Main().Controls().Widget(name));
    }
    template <typename T = QWidget> T* Basic(const char* name) {
        return qobject_cast<T*>(app.Basic().Controls().Widget(name));
    }
    int ItemIndex(const char* name, const char* item) { return Quick<QComboBox>(name)->findText(item); }
    void Type(QComboBox* combo, const char* text) {
        combo->setEditText(text);
        emit combo->lineEdit()->editingFinished();
    }

    TempFolder home;
    Application app;
};

// Every control a saved state or a remote command can name has its widget in its own window.
TEST_F(MainWindowTest, EveryControlHasItsWidgetInItsWindow) {
    const std::vector<std::pair<ControlModel*, std::pair<ControlBinder*, QWidget*>>> windows = {
        {&app.Settings().Form1(), {&app.Main().Controls(), &app.Main()}},
        {&app.Settings().Options0(), {&app.Basic().Controls(), &app.Basic()}},
        {&app.Settings().Options1(), {&app.Advanced().Controls(), &app.Advanced()}},
        {&app.Settings().Options2(), {&app.Special().Controls(), &app.Special()}},
    };
    for (const auto& [model, view] : windows) {
        for (const Control& control : model->Controls()) {
            if (control.kind == ControlKind::Socket || control.kind == ControlKind::Serial ||
                control.name == "SpecGram") {
                continue;
            }
            QWidget* widget = view.first->Widget(control.name);
            ASSERT_NE(widget, nullptr) << model->Prefix() << "." << control.name;
            EXPECT_EQ(widget->window(), view.second) << control.name;
            EXPECT_EQ(widget->objectName().toStdString(), control.name);
        }
    }
    EXPECT_NE(app.Main().findChild<SpectrogramView*>("SpecGram"), nullptr);
    for (const MenuCommand& command : app.Menus().Commands()) {
        QAction* action = app.Main().findChild<QAction*>(QString::fromStdString(command.name));
        ASSERT_NE(action, nullptr) << command.name;
        EXPECT_EQ(action->text().toStdString(), command.caption);
    }
}

// No button is a silent no-op: one nothing acts on is disabled, and enabled once its action arrives.
TEST_F(MainWindowTest, OnlyButtonsWithAnActionCanBePressed) {
    SettingsModel& settings = app.Settings();
    for (const ControlModel* model :
         {&settings.Form1(), &settings.Options0(), &settings.Options1(), &settings.Options2()}) {
        for (const Control& control : model->Controls()) {
            if (control.kind == ControlKind::Button && control.enabled) {
                EXPECT_TRUE(model->HasAction(control.name)) << model->Prefix() << "." << control.name;
            }
        }
    }
    EXPECT_TRUE(Quick("RefreshButton")->isEnabled());
    QWidget* gps = app.Special().Controls().Widget("StartGPS");
    settings.Options2().SetEnabled("StartGPS", true);
    EXPECT_FALSE(gps->isEnabled());
    settings.Options2().DeclareAction("StartGPS");
    EXPECT_TRUE(gps->isEnabled());
}

// Picking from a list must apply the coupling rules (block size follows FFT size and scan step); typing
// must not.
TEST_F(MainWindowTest, APickAppliesTheCouplingRulesAndTypingDoesNot) {
    app.Settings().Form1().SetText("BlockSize", "4096");
    EXPECT_EQ(Quick<QComboBox>("BlockSize")->currentText(), "4096");

    Type(Quick<QComboBox>("FFTSize"), "16384");
    EXPECT_EQ(app.Settings().Form1().Text("FFTSize"), "16384");
    EXPECT_EQ(Quick<QComboBox>("BlockSize")->currentText(), "4096");

    emit Quick<QComboBox>("FFTSize")->activated(ItemIndex("FFTSize", "16384"));
    EXPECT_EQ(Quick<QComboBox>("BlockSize")->currentText(), "16384");

    emit Quick<QComboBox>("ScanStep")->activated(ItemIndex("ScanStep", "16384"));
    EXPECT_EQ(Quick<QComboBox>("BlockSize")->currentText(), "32768");
}

// The display height, the zoom and the colour scale set in the window must re-lay out the display.
TEST_F(MainWindowTest, SettingsReLayOutTheDisplay) {
    Type(Quick<QComboBox>("Combo7"), "512");
    EXPECT_EQ(app.Renderer().Height(), 512);
    EXPECT_EQ(app.Main().Spectrogram().height(), 512 + SpectrogramRenderer::BelowSpectrogram);

    // FFT 2048 over 256 rows compresses 4 bins a row: the zoom becomes available.
    Type(Quick<QComboBox>("Combo7"), "256");
    emit Quick<QComboBox>("FFTSize")->activated(ItemIndex("FFTSize", "2048"));
    EXPECT_TRUE(Quick("ZoomFlag")->isEnabled());
    EXPECT_EQ(Quick<QAbstractButton>("ZoomFlag")->text(), "Zoom  4x at bin");

    emit Quick<QComboBox>("Combo8")->activated(ItemIndex("Combo8", "13 b-red"));
    const QImage& preview = app.Main().ColourPreview().Image();
    ASSERT_EQ(preview.width(), 256);
    EXPECT_EQ(preview.pixel(200, 5), qRgb(200, 0, 0));
}

// Each task chosen from the menu must show its Start caption, status, panels, check mark and button colour.
TEST_F(MainWindowTest, TasksChosenFromTheMenuShowOnTheWindow) {
    struct Expected {
        const char* command;
        const char* start;
        std::string status;
    };
    const std::string recordingFolder = app.Settings().Options0().Text("FileRecPathField");
    const std::vector<Expected> tasks = {
        {"RealTimeRecording", "REC Start", "Recording to " + recordingFolder},
        {"FileAnalysisPlay", "Start", "File Play"},
        {"FileAnalysis", "Start", "File Analysis"},
        {"RealTimeAnalysis", "Start", "Real-Time display"}};
    for (const Expected& task : tasks) {
        app.Main().Menus().Action(task.command)->trigger();
        SCOPED_TRACE(task.command);
        EXPECT_EQ(Quick<QPushButton>("StartStop")->text(), task.start);
        EXPECT_EQ(Quick<QLabel>("Label4")->text().toStdString(), task.status);
        EXPECT_EQ(Quick("Frame4")->isVisibleTo(&app.Main()), std::string(task.command) == "FileAnalysis");
        EXPECT_EQ(Quick("RecPauseFlag")->isVisibleTo(&app.Main()),
                  std::string(task.command) == "RealTimeRecording");
        for (const char* other :
             {"RealTimeAnalysis", "RealTimeRecording", "FileAnalysisPlay", "FileAnalysis"}) {
            EXPECT_EQ(app.Main().Menus().Action(other)->isChecked(), std::string(other) == task.command);
        }
        const QColor face = Quick("StartStop")->palette().color(QPalette::Button);
        EXPECT_EQ(face == QColor(255, 0, 0), std::string(task.command) == "RealTimeRecording");
    }
}

// The Basic Settings window must open on the Quick Settings, preview its colour scale apart from the
// display, apply back on "Apply" and undo on "Exit".
TEST_F(MainWindowTest, BasicSettingsStartFromTheQuickSettingsAndApplyBack) {
    app.Settings().Form1().SetText("FFTSize", "1024");
    app.Main().Menus().Action("BasicSettings")->trigger();
    EXPECT_TRUE(app.Basic().isVisible());
    EXPECT_EQ(Basic<QComboBox>("FFTSize")->currentText(), "1024");
    EXPECT_TRUE(Basic<PictureView>("AnalysisParameters")->Text().contains("FFT size  1024 =  21.333 msec"));
    EXPECT_TRUE(Basic<QLabel>("RecDurationLabel")->text().startsWith("= "));

    // The colour bar previews the Basic Settings scale; the display keeps its own until "Apply".
    const QRgb displayColour = app.Main().ColourPreview().Image().pixel(200, 5);
    emit Basic<QComboBox>("ColourScale")->activated(Basic<QComboBox>("ColourScale")->findText("13"));
    EXPECT_EQ(app.Basic().ColourBar().Image().pixel(200, 5), qRgb(200, 0, 0));
    EXPECT_EQ(app.Main().ColourPreview().Image().pixel(200, 5), displayColour);

    Basic<QPushButton>("ApplyButton")->click();
    EXPECT_FALSE(app.Basic().isVisible());
    EXPECT_EQ(Quick<QComboBox>("Combo8")->currentText(), "13");
    EXPECT_EQ(app.Main().ColourPreview().Image().pixel(200, 5), qRgb(200, 0, 0));

    // "Exit" discards every change made since the window was opened, even an applied one.
    app.Main().Menus().Action("BasicSettings")->trigger();
    Type(Basic<QComboBox>("FFTSize"), "2048");
    Basic<QPushButton>("ApplyButton")->click();
    EXPECT_EQ(Quick<QComboBox>("FFTSize")->currentText(), "2048");
    Basic<QPushButton>("ExitButton")->click();
    EXPECT_FALSE(app.Basic().isVisible());
    EXPECT_EQ(Quick<QComboBox>("FFTSize")->currentText(), "1024");

    app.Main().Menus().Action("AdvancedSettings")->trigger();
    EXPECT_TRUE(app.Advanced().isVisible());
    qobject_cast<QPushButton*>(app.Advanced().Controls().Widget("OkButton"))->click();
    EXPECT_FALSE(app.Advanced().isVisible());
}

// During a run the window must show Stop and lock the panel, and a message must not stall the run: it is
// acknowledged in a later pass, as the user would, and the run then ends and unlocks the panel.
TEST_F(MainWindowTest, ARunKeepsTheWindowAliveAndItsMessagesDoNotStallIt) {
    std::vector<std::string> log;
    app.Tasks().Loops().Register(LoopSlot::RealTimeMono, [&] {
        return std::make_unique<JournalSession>(app.Tasks(), log, [&](int pass) {
            if (pass == 1) {
                log.push_back(Quick<QPushButton>("StartStop")->text().toStdString());
                log.push_back(Quick("Frame1")->isEnabled() ? "panel enabled" : "panel disabled");
                app.Dialogs().ShowMessage("Disk almost full", MessageIcon::Exclamation, [&] {
                    log.push_back("acknowledged");
                    app.Tasks().SetSessionStopped(true);
                });
            } else if (auto* box = app.Main().findChild<QMessageBox*>(); box && box->isVisible()) {
                EXPECT_EQ(box->windowModality(), Qt::WindowModal);
                box->button(QMessageBox::Ok)->click();
            }
        });
    });
    app.Main().show();
    Quick<QPushButton>("StartStop")->click();
    const std::vector<std::string> expected = {
        "set up in task 1", "pass 1", "Stop", "panel disabled", "pass 2", "acknowledged", "clean up"};
    EXPECT_EQ(log, expected);
    EXPECT_EQ(Quick<QPushButton>("StartStop")->text(), "Start");
    EXPECT_TRUE(Quick("Frame1")->isEnabled());
}

} // namespace
} // namespace ondrix
