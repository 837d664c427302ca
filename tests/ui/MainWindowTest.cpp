// The Qt dialogs, the binding of widgets and menu actions to their models, the real windows offscreen, the
// whole program's start-up in a temporary folder, its exit question, quit path, splash and signals.
#include "ui/MainWindow.h"
#include "TempFolder.h"
#include "common/Clock.h"
#include "common/TextLines.h"
#include "display/Axes.h"
#include "display/CursorReadout.h"
#include "display/SpectrogramRenderer.h"
#include "display/SpectrumPlot.h"
#include "settings/ControlModel.h"
#include "settings/MenuModel.h"
#include "support/ByteFiles.h"
#include "support/JournalSession.h"
#include "support/ScriptedInteraction.h"
#include "support/SoundFileBytes.h"
#include "support/TestSignalInput.h"
#include "ui/Application.h"
#include "ui/AxesView.h"
#include "ui/ControlBinder.h"
#include "ui/MenuBinder.h"
#include "ui/PictureView.h"
#include "ui/QtInteraction.h"
#include "ui/SettingsWindows.h"
#include "ui/SpectrogramView.h"
#include "ui/SpectrumWindow.h"
#include "ui/SplashWindow.h"
#include "ui/TerminationSignals.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QUdpSocket>

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <numbers>

// One QApplication for every test of the executable; tests/support/TestEnvironment.cpp has set the offscreen
// platform before, unless ONDRIX_TEST_XCB asks for a real X server (the Xvfb run of the axes window).
namespace {
int argc = 1;
char name[] = "test_ui";
char* argv[] = {name, nullptr};
class QtEnvironment : public ::testing::Environment {
    void SetUp() override {
        if (std::getenv("ONDRIX_TEST_XCB") != nullptr) {
            setenv("QT_QPA_PLATFORM", "xcb", 1);
        }
        app_ = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { app_.reset(); }
    std::unique_ptr<QApplication> app_;
};
[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);
} // namespace

namespace ondrix {
namespace {

// Runs `answer` on the dialog of type T as soon as the event loop shows it (idle dialogs block in exec).
template <typename T> void AnswerWhenShown(std::function<void(T&)> answer) {
    QTimer::singleShot(0, [answer] {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        answer(*dialog);
    });
}

class QtInteractionTest : public ::testing::Test {
protected:
    QWidget window;
    QtInteraction dialogs{&window};
};

// Idle, a dialog must answer before the call returns, with the text and icon asked for.
TEST_F(QtInteractionTest, IdleDialogsAnswerBeforeReturning) {
    std::optional<bool> yes;
    AnswerWhenShown<QMessageBox>([](QMessageBox& box) {
        EXPECT_EQ(box.text(), "Are you sure ?");
        EXPECT_EQ(box.icon(), QMessageBox::Critical);
        box.button(QMessageBox::No)->click();
    });
    dialogs.AskYesNo("Are you sure ?", MessageIcon::Critical, [&](bool answer) { yes = answer; });
    EXPECT_EQ(yes, false);
    std::optional<std::optional<std::string>> entered; // set once answered
    AnswerWhenShown<QInputDialog>([](QInputDialog& input) {
        EXPECT_EQ(input.textValue(), "60");
        input.setTextValue("120");
        input.accept();
    });
    dialogs.AskText("Seconds to save", "60",
                    [&](std::optional<std::string> text) { entered = std::move(text); });
    EXPECT_EQ(entered, std::optional<std::string>("120"));
    // A file dialog opens in the folder asked for, with its patterns, and gives the path chosen or nothing.
    TempFolder folder;
    const std::string target = folder.Path() + "snapshot.bmp";
    std::optional<std::string> chosen;
    AnswerWhenShown<QFileDialog>([&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Save Spectrogram");
        EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(QDir(dialog.directory()).absolutePath().toStdString() + "/", folder.Path());
        EXPECT_TRUE(dialog.nameFilters().join(' ').contains("*.bmp"));
        dialog.selectFile(QString::fromStdString(target));
        static_cast<QDialog&>(dialog).accept(); // as the dialog's own Save button does
    });
    dialogs.ChooseSaveFile(
        {.title = "Save Spectrogram", .folder = folder.Path(), .fileName = "", .patterns = {"*.bmp"}},
        [&](std::optional<std::string> path) { chosen = std::move(path); });
    EXPECT_EQ(chosen, target);
    bool cancelled = false;
    AnswerWhenShown<QFileDialog>([](QFileDialog& dialog) { dialog.reject(); });
    dialogs.ChooseOpenFiles(
        {.title = "Play List", .folder = folder.Path(), .fileName = "", .patterns = {"*.wav"}},
        [&](std::vector<std::string> paths) { cancelled = paths.empty(); });
    EXPECT_TRUE(cancelled);
}

// A capture must not stall behind a question: the exit question is window-modal, returns at once, defaults
// to No, and answers through the event loop.
TEST_F(QtInteractionTest, DuringACaptureTheAnswerComesFromTheEventLoop) {
    dialogs.SetCaptureRunning(true);
    window.show();
    std::vector<std::string> events;
    dialogs.AskYesNoDefaultNo("Are you sure you want to terminate the program ?", MessageIcon::Critical,
                              [&](bool answer) { events.push_back(answer ? "yes" : "no"); });
    events.push_back("returned");
    auto* box = window.findChild<QMessageBox*>();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(
        std::tuple(box->windowModality(), static_cast<QAbstractButton*>(box->defaultButton()), box->icon()),
        std::tuple(Qt::WindowModal, box->button(QMessageBox::No), QMessageBox::Critical));
    box->button(QMessageBox::Yes)->click();
    EXPECT_EQ(events, (std::vector<std::string>{"returned", "yes"}));
    // The closed dialog goes away with the next events.
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(window.findChild<QMessageBox*>(), nullptr);
}

using Action = ControlModel::Action;
using K = ControlKind;

std::vector<Control> SampleControls() {
    return {
        {.name = "Field", .kind = K::Text, .caption = "Field", .tooltip = "A field", .text = "1"},
        {.name = "List", .kind = K::List, .caption = "Size", .items = {"256", "512", "1024"}, .text = "512"},
        {.name = "Check", .kind = K::Check, .caption = "Zoom", .text = "0"},
        {.name = "OptionA", .kind = K::Option, .caption = "A", .text = "-1", .group = "g"},
        {.name = "OptionB", .kind = K::Option, .caption = "B", .text = "0", .group = "g"},
        {.name = "Spin", .kind = K::Spin, .text = "0", .minimum = 0, .maximum = 10},
        {.name = "Pause", .kind = K::Check, .caption = "Pause", .text = "0"},
        {.name = "Button", .kind = K::Button, .caption = "Start"},
        {.name = "Status", .kind = K::Label, .caption = "Status"},
        {.name = "Picture", .kind = K::Picture},
        {.name = "Socket", .kind = K::Socket},
    };
}

class BindingTest : public ::testing::Test {
protected:
    BindingTest() : model(WindowId::Form1, SampleControls()), binder(std::make_unique<ControlBinder>(model)) {
        for (const Control& control : model.Controls()) {
            const auto look =
                control.name == "Pause" ? ControlBinder::Look::ToggleButton : ControlBinder::Look::Default;
            binder->Create(control.name, &window, look);
        }
        model.AddActionHandler([this](const std::string& name, Action action) {
            actions.push_back({name, action});
        });
    }
    template <typename T> T* W(const char* name) { return qobject_cast<T*>(binder->Widget(name)); }
    QWidget window;
    ControlModel model;
    std::unique_ptr<ControlBinder> binder;
    std::vector<std::pair<std::string, Action>> actions;
};

// Each user operation must reach the model once, as its own kind of operation; options of a group stay
// exclusive and a second click does not clear the selected one.
TEST_F(BindingTest, UserOperationsReachTheModelAsTheirOperation) {
    W<QLineEdit>("Field")->setText("42");
    emit W<QLineEdit>("Field")->editingFinished();
    emit W<QLineEdit>("Field")->editingFinished(); // leaving again without a change is no second edit
    QComboBox* list = W<QComboBox>("List");
    list->setEditText("3072");
    emit list->lineEdit()->editingFinished();
    emit list->activated(2);
    W<QCheckBox>("Check")->click();
    W<QPushButton>("Pause")->click();
    W<QPushButton>("Button")->click();
    W<QSpinBox>("Spin")->setValue(3);
    W<QRadioButton>("OptionB")->click();
    W<QRadioButton>("OptionB")->click();
    const std::vector<std::pair<std::string, Action>> expected = {
        {"Field", Action::Typed},   {"List", Action::Typed},      {"List", Action::Picked},
        {"Check", Action::Clicked}, {"Pause", Action::Clicked},   {"Button", Action::Clicked},
        {"Spin", Action::Spun},     {"OptionB", Action::Clicked}, {"OptionB", Action::Clicked}};
    EXPECT_EQ(actions, expected);
    EXPECT_EQ(model.Text("Field") + model.Text("List") + model.Text("Spin"), "4210243");
    EXPECT_TRUE(model.ListIndex("List") == 2 && model.Checked("Check") && model.Checked("Pause"));
    EXPECT_TRUE(W<QRadioButton>("OptionB")->isChecked() && !W<QRadioButton>("OptionA")->isChecked());
    EXPECT_EQ(model.Text("OptionA") + model.Text("OptionB"), "0-1");
}

// Each kind of control must get its widget showing the model's state (names: MainWindowTest), and a model
// change must reach it without coming back as a user operation (which would re-run the rules), also when
// the widget cannot show it (a text not in the list, a value beyond the spin range); a caption label must
// hide and grey out with its control.
TEST_F(BindingTest, WidgetsFollowTheModelWithoutFiringModelOperations) {
    EXPECT_EQ(std::tuple(W<QLineEdit>("Field")->toolTip(), W<QComboBox>("List")->currentText(),
                         W<QComboBox>("List")->isEditable(), W<QRadioButton>("OptionA")->isChecked(),
                         W<QSpinBox>("Spin")->maximum(), W<QPushButton>("Pause")->isCheckable(),
                         W<QPushButton>("Button")->text()),
              std::tuple("A field", "512", true, true, 10, true, "Start"));
    EXPECT_NE(binder->Picture("Picture"), nullptr);
    EXPECT_EQ(binder->Widget("Socket"), nullptr);
    model.SetText("Field", "7");
    model.SetText("List", "not an entry");
    model.SetItems("List", {"1", "2"});
    model.SetChecked("Check", true);
    model.SetRange("Spin", 0, 4);
    model.SetText("Spin", "9");
    EXPECT_TRUE(actions.empty());
    EXPECT_EQ(std::tuple(W<QLineEdit>("Field")->text(), W<QComboBox>("List")->count(),
                         W<QComboBox>("List")->currentText(), W<QCheckBox>("Check")->isChecked(),
                         W<QSpinBox>("Spin")->maximum(), model.Text("Spin")),
              std::tuple("7", 2, "not an entry", true, 4, "9"));
    QLabel* label = binder->CaptionLabel("List", &window);
    EXPECT_EQ(label->text() + binder->CaptionLabel("Spin", &window, "Gain")->text(), "SizeGain");
    model.SetVisible("List", false);
    model.SetEnabled("List", false);
    EXPECT_FALSE(label->isVisibleTo(&window) || label->isEnabled());
}

// A widget or the whole binder destroyed before the model must not crash later model changes.
TEST_F(BindingTest, EitherSideMayGoFirst) {
    delete binder->Widget("Field");
    model.SetText("Field", "after the widget");
    binder.reset();
    model.SetText("List", "after the binder");
    model.SetCaption("Check", "still fine");
    EXPECT_EQ(model.Text("List"), "after the binder");
}

// Menu actions must follow the model (enabled only with a handler, the check mark set by the model, not
// the click) and trigger its commands; captions are compared in MainWindowTest.
TEST(MenuBinding, ActionsFollowTheMenuModelAndTriggerItsCommands) {
    MenuModel menus;
    QMenuBar bar;
    MenuBinder binder(menus, bar);
    int selected = 0;
    menus.SetHandler("FileAnalysis", [&] { ++selected; }); // never sets the check mark
    menus.SetHandler("BasicSettings", [&] { menus.SetChecked("RealTimeAnalysis", true); });
    QAction* task = binder.Action("FileAnalysis");
    EXPECT_TRUE(task->isCheckable() && task->isEnabled());
    EXPECT_FALSE(binder.Action("SaveBuffer")->isEnabled()); // no handler
    EXPECT_FALSE(binder.Action("QuickSaveBuffer")->isVisible());
    task->trigger();
    EXPECT_EQ(selected, 1);
    EXPECT_FALSE(task->isChecked()); // the model decides the mark, not the click
    binder.Action("BasicSettings")->trigger();
    EXPECT_TRUE(binder.Action("RealTimeAnalysis")->isChecked());
}

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
    void Type(QLineEdit* field, const char* text) {
        field->setText(text);
        emit field->editingFinished();
    }
    TempFolder home;
    Application app;
};

// Every control a saved state or a remote command can name has its widget in its own window, and no button
// is a silent no-op: one nothing acts on is disabled, and enabled once its action arrives.
TEST_F(MainWindowTest, EveryControlHasItsWidgetInItsWindowAndOnlyButtonsWithAnActionCanBePressed) {
    const std::vector<std::tuple<ControlModel*, ControlBinder*, QWidget*>> windows = {
        {&app.Settings().Form1(), &app.Main().Controls(), &app.Main()},
        {&app.Settings().Options0(), &app.Basic().Controls(), &app.Basic()},
        {&app.Settings().Options1(), &app.Advanced().Controls(), &app.Advanced()},
        {&app.Settings().Options2(), &app.Special().Controls(), &app.Special()}};
    for (const auto& [model, binder, window] : windows) {
        for (const Control& control : model->Controls()) {
            SCOPED_TRACE(std::string(model->Prefix()) + "." + control.name);
            EXPECT_TRUE(control.kind != ControlKind::Button || !control.enabled ||
                        model->HasAction(control.name));
            if (control.kind == ControlKind::Socket || control.kind == ControlKind::Serial ||
                control.name == "SpecGram") {
                continue;
            }
            QWidget* widget = binder->Widget(control.name);
            ASSERT_NE(widget, nullptr);
            EXPECT_EQ(widget->window(), window);
            EXPECT_EQ(widget->objectName().toStdString(), control.name);
        }
    }
    EXPECT_NE(app.Main().findChild<SpectrogramView*>("SpecGram"), nullptr);
    for (const MenuCommand& command : app.Menus().Commands()) {
        QAction* action = app.Main().findChild<QAction*>(QString::fromStdString(command.name));
        ASSERT_NE(action, nullptr) << command.name;
        EXPECT_EQ(action->text().toStdString(), command.caption);
    }
    EXPECT_TRUE(Quick("RefreshButton")->isEnabled());
    // A button no handler acts on (in any window) stays disabled until its action is declared; with every
    // button acting there is none to try.
    for (const auto& [model, binder, window] : windows) {
        const auto silent = std::ranges::find_if(model->Controls(), [&](const Control& control) {
            return control.kind == ControlKind::Button && !model->HasAction(control.name);
        });
        if (silent == model->Controls().end()) {
            continue;
        }
        const std::string name = silent->name;
        QWidget* button = binder->Widget(name);
        model->SetEnabled(name, true);
        EXPECT_FALSE(button->isEnabled()) << name;
        model->DeclareAction(name);
        EXPECT_TRUE(button->isEnabled()) << name;
        break;
    }
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
    // The millivolt axis follows a typed digital gain.
    app.Settings().Options1().SetChecked("CheckVIN", true);
    app.Settings().Options1().SetText("txtMaxVIN", "1000");
    const auto levelLabels = [&] {
        std::vector<std::string> texts;
        for (const AxisLabel& label : app.Main().Axes().Axes().level.at(0).labels) {
            texts.push_back(label.text);
        }
        return texts;
    };
    Type(Quick<QLineEdit>("Text2"), "2");
    Type(Quick<QLineEdit>("Text2"), "1");
    const std::vector<std::string> once = levelLabels();
    Type(Quick<QLineEdit>("Text2"), "4");
    EXPECT_NE(levelLabels(), once);
    // Two live channels label their halves by the display mode; one channel has no halves.
    ControlModel& basic = app.Settings().Options0();
    basic.SetChecked("OptionCSS4", true);
    for (const auto& [channels, labels] : {std::pair{"2 - stereo", std::vector<std::string>{"L+R", "L -R"}},
                                           std::pair{"1 - mono", std::vector<std::string>{}}}) {
        basic.SetText("NchanCombo", channels);
        app.Settings().UpdateForm();
        EXPECT_EQ(app.Main().Spectrogram().HalfLabels(), labels) << channels;
    }
}

// Each task chosen from the menu must show its Start caption, status, panels, check mark and button colour.
TEST_F(MainWindowTest, TasksChosenFromTheMenuShowOnTheWindow) {
    const std::string recordingFolder = app.Settings().Options0().Text("FileRecPathField");
    const std::vector<std::pair<std::string, std::string>> tasks = {
        {"RealTimeRecording", "REC Start Recording to " + recordingFolder},
        {"FileAnalysisPlay", "Start File Play"},
        {"FileAnalysis", "Start File Analysis"},
        {"RealTimeAnalysis", "Start Real-Time display"}};
    for (const auto& [command, shown] : tasks) {
        SCOPED_TRACE(command);
        app.Main().Menus().Action(command)->trigger();
        EXPECT_EQ(
            (Quick<QPushButton>("StartStop")->text() + " " + Quick<QLabel>("Label4")->text()).toStdString(),
            shown);
        EXPECT_EQ(Quick("Frame4")->isVisibleTo(&app.Main()), command == "FileAnalysis");
        EXPECT_EQ(Quick("RecPauseFlag")->isVisibleTo(&app.Main()), command == "RealTimeRecording");
        for (const auto& other : tasks) {
            EXPECT_EQ(app.Main().Menus().Action(other.first)->isChecked(), other.first == command);
        }
        const QColor face = Quick("StartStop")->palette().color(QPalette::Button);
        EXPECT_EQ(face == QColor(255, 0, 0), command == "RealTimeRecording");
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

constexpr const char* kExitQuestion = "Are you sure you want to terminate the program ?";

// Processes events until the condition holds; gives up after a generous while so a fault cannot hang.
bool ProcessEventsUntil(const std::function<bool()>& condition) {
    for (QDeadlineTimer deadline(30000); !condition() && !deadline.hasExpired();) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return condition();
}

ApplicationOptions Options(const std::string& home, ScriptedInteraction& dialogs, int screenWidth = 1280,
                           std::vector<std::string> arguments = {}) {
    return {
        .home = home, .arguments = std::move(arguments), .screenWidth = screenWidth, .interaction = &dialogs};
}

std::string StatusLine(Application& app) {
    return app.Settings().Form1().Text("StatusLine");
}

// The texts of the named controls, joined by blanks.
std::string Texts(const ControlModel& model, std::initializer_list<const char*> names) {
    std::string texts;
    for (const char* name : names) {
        texts += (texts.empty() ? "" : " ") + model.Text(name);
    }
    return texts;
}

// The saved files must apply in their order (control state, preset, default paths, rates), each adding to
// the status line: a file applied out of order leaves the wrong value.
TEST(StartUpTest, SavedFilesApplyInTheirOrderAndEachAddsToTheStatusLine) {
    TempFolder home;
    const std::string folders = home.Path() + "work/";
    std::filesystem::create_directory(folders);
    // The control state sets values the preset and the default paths then partly overwrite.
    WriteBytes(home.Path() + "ondrix.ini", "FORM1.BlockSize  = 16384\r\n"
                                           "FORM1.SampleRate = 96000\r\n"
                                           "FORM1.Text2      = 4\r\n"
                                           "OPTIONS0.FileRecPathField = /nowhere/rec/\r\n"
                                           "OPTIONS1.TapeSpeedCombo = 0.5\r\n"
                                           "OPTIONS1.MaxSpectrogramHeight = 512\r\n"
                                           "OPTIONS1.QuickPanelFlag = 0\r\n");
    WriteBytes(home.Path() + "default.preset",
               "4096\r\n*\r\n1024\r\n*\r\n*\r\n*\r\n7\r\n*\r\n*\r\n 0\r\n*\r\n");
    WriteBytes(home.Path() + "defpaths.ini",
               folders + "play\r\n" + folders + "rec\r\n" + folders + "shots\r\n" + folders + "logs\r\n");
    WriteBytes(home.Path() + "rates.ini", "8000, 96000\r\n250000\r\n");
    ScriptedInteraction dialogs;
    Application app(Options(home.Path(), dialogs));
    ControlModel& form = app.Settings().Form1();
    ControlModel& basic = app.Settings().Options0();
    ControlModel& advanced = app.Settings().Options1();
    EXPECT_EQ(StatusLine(app), "Load Controls. Load Settings. Load Paths. Ready...");
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages.front().text;
    // The preset wins over the control state; what it leaves alone ("*") keeps the saved value, as do the
    // display height and the panel choice.
    EXPECT_EQ(Texts(form, {"BlockSize", "FFTSize", "Combo8", "SampleRate", "Text2", "Combo7"}),
              "4096 1024 7 96000 4 512");
    EXPECT_FALSE(form.At("Frame1").visible);
    EXPECT_EQ(advanced.Text("TapeSpeedCombo"), "0.5");
    // The default paths win over the control state, and their folders are made (the analysis settings give
    // the recording folder its closing "/").
    EXPECT_EQ(Texts(basic, {"DefPlayPathField", "FileRecPathField"}) + " " +
                  Texts(advanced, {"DefSavePath", "DefLogPath"}),
              folders + "play " + folders + "rec/ " + folders + "shots " + folders + "logs");
    for (const char* folder : {"play", "rec", "shots", "logs"}) {
        EXPECT_TRUE(std::filesystem::is_directory(folders + folder)) << folder;
    }
    EXPECT_EQ(form.At("SampleRate").items, (std::vector<std::string>{"8000", "96000", "250000"}));
    EXPECT_EQ(basic.At("SampleRate").items, form.At("SampleRate").items);
    EXPECT_EQ(app.SessionLog(), home.Path() + "RecLog " + DateStampYMD() + ".Log");
    EXPECT_EQ(std::tuple(app.Tasks().SessionMode(), app.Tasks().SessionStopped(),
                         app.Menus().At("RealTimeAnalysis").checked),
              std::tuple(1, true, true));
}

// Without saved files nothing must be reported or written, and the Quick Settings must be the defaults
// the analysis then follows.
TEST(StartUpTest, WithoutSavedFilesTheBuiltInDefaultsAndInitialValuesHold) {
    TempFolder home;
    ScriptedInteraction dialogs;
    Application app(Options(home.Path(), dialogs));
    ControlModel& form = app.Settings().Form1();
    EXPECT_EQ(StatusLine(app), "Ready...");
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages.front().text;
    EXPECT_EQ(Texts(form, {"BlockSize", "SampleRate", "FFTSize", "Combo7"}), "8192 48000 512 256");
    EXPECT_EQ(
        std::tuple(form.ListIndex("WindowType"), form.At("ZoomFlag").enabled, form.At("Frame1").visible),
        std::tuple(1, false, true));
    EXPECT_EQ(std::tuple(app.Settings().Analysis().sampleRate, app.Settings().Analysis().fftSize),
              std::tuple(48000, 512));
    EXPECT_FALSE(std::filesystem::exists(home.Path() + "ondrix.ini"));
}

// A saved input that is gone must be reported and replaced, without losing the saved output.
TEST(StartUpTest, AMissingInputDeviceKeepsTheSavedOutputDevice) {
    TempFolder home;
    WriteBytes(home.Path() + "ondrix.ini",
               "FORM1.Combo10 = Gone Microphone\r\nOPTIONS0.Combo9 = Ondrix Null Output\r\n");
    ScriptedInteraction dialogs;
    Application app(Options(home.Path(), dialogs));
    ASSERT_EQ(dialogs.Texts().size(), 1u);
    EXPECT_TRUE(dialogs.Texts().front().starts_with("Sound Input Device [Gone Microphone] not existent"));
    EXPECT_EQ(app.Settings().Form1().ListIndex("Combo10"), 0);
    EXPECT_EQ(app.Settings().Options0().Text("Combo9"), "Ondrix Null Output");
}

// A program folder that cannot be made (below a plain file) must be reported once, and the program still
// starts.
TEST(StartUpTest, AnUnusableProgramFolderIsReportedOnce) {
    TempFolder temp;
    WriteBytes(temp.Path() + "plain", "");
    const std::string folder = temp.Path() + "plain/ondrix/";
    ScriptedInteraction dialogs;
    Application app(Options(folder, dialogs));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages[0].text.find(folder), std::string::npos);
    EXPECT_EQ(std::tuple(dialogs.messages[0].icon, StatusLine(app), app.Tasks().SessionMode()),
              std::tuple(MessageIcon::Exclamation, "Ready...", 1));
}

// A small screen must be reported and get the small display in a maximised window; a large one the saved
// height in a normal window.
TEST(StartUpTest, TheScreenWidthPlacesTheMainWindow) {
    TempFolder home;
    WriteBytes(home.Path() + "ondrix.ini", "OPTIONS1.MaxSpectrogramHeight = 512\r\n");
    for (const int width : {640, 1280}) {
        SCOPED_TRACE(width);
        ScriptedInteraction dialogs;
        Application app(Options(home.Path(), dialogs, width));
        EXPECT_EQ(dialogs.messages.size(), width < 800 ? 1u : 0u);
        EXPECT_EQ(app.Settings().Form1().Text("Combo7"), width < 800 ? "256" : "512");
        EXPECT_EQ(StatusLine(app), "Load Controls. Ready...");
        app.Show();
        EXPECT_EQ(std::tuple(app.Main().isMaximized(), app.Main().isVisible()),
                  std::tuple(width < 800, true));
    }
}

// The command line: /REC must start a recording run and the file open after it; a file with the /AUTO
// switch (glued or apart, any case) opens without a run; a blank before the switch, a missing file or no
// argument opens nothing.
TEST(CommandLineRunTest, ArgumentsStartARunOrOpenAFile) {
    TempFolder home;
    ScriptedInteraction dialogs;
    std::vector<std::string> journal;
    const std::string sound = home.Path() + "night 1.wav";
    WriteBytes(sound, "RIFF");
    const std::vector<std::string> run = {"set up in task 2", "pass 1", "pass 2",   "pass 3",
                                          "pass 4",           "pass 5", "clean up", "open " + sound};
    struct Case {
        std::vector<std::string> arguments;
        std::vector<std::string> journal;
        int task;
    };
    for (const Case& c : std::vector<Case>{{{sound, "/rec"}, run, 2},
                                           {{sound + "/AUTO"}, {"open " + sound}, 1},
                                           {{sound, "/auto"}, {"open " + sound}, 1},
                                           {{sound + " /AUTO"}, {}, 1},
                                           {{home.Path() + "missing.wav"}, {}, 1},
                                           {{}, {}, 1}}) {
        SCOPED_TRACE(c.arguments.empty() ? "" : c.arguments.back());
        journal.clear();
        Application app(Options(home.Path(), dialogs, 1280, c.arguments));
        app.Tasks().Loops().Register(LoopSlot::RealTimeMono, [&] {
            return std::make_unique<JournalSession>(app.Tasks(), journal, nullptr, 5);
        });
        app.SetFileOpener([&](const std::string& path) { journal.push_back("open " + path); });
        QApplication::processEvents(); // the command line is acted on in the event loop
        EXPECT_EQ(journal, c.journal);
        EXPECT_EQ(app.Tasks().SessionMode(), c.task);
        EXPECT_TRUE(c.task == 1 || app.Main().isVisible());
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

// Start in task 4 without a file must ask for a WAV file, draw its first page with the tone standing out,
// and the navigation must move the page.
TEST(FileTaskTest, StartInTaskFourAsksForAFileAndDrawsItsPages) {
    TempFolder home;
    const std::string sound = home.Path() + "tone.wav";
    std::vector<int16_t> tone(30 * 48000); // 30 s of 3 kHz
    for (std::size_t n = 0; n < tone.size(); ++n) {
        tone[n] = static_cast<int16_t>(
            std::lround(10000.0 * std::sin(2 * std::numbers::pi * 3000.0 * n / 48000.0)));
    }
    WriteWav16(sound, 1, 48000, tone);
    ScriptedInteraction dialogs;
    dialogs.textAnswers = {sound};
    Application app(Options(home.Path(), dialogs));
    ControlModel& form = app.Settings().Form1();
    std::vector<std::string> times;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        times.push_back(form.Text("Label3"));
        if (times.size() == 1) {
            form.Click("Command5"); // to the last page
        } else if (!app.Tasks().SessionStopped()) {
            form.Click("StartStop");
        }
    });
    ticker.start(200);
    app.Menus().Trigger("FileAnalysis");
    form.Click("StartStop");
    ticker.stop();
    ASSERT_EQ(dialogs.dialogs.size(), 1U);
    EXPECT_EQ(dialogs.dialogs[0].patterns, std::vector<std::string>{"*.wav"});
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages.front().text;
    EXPECT_EQ(app.Tasks().CurrentFileName(), sound);
    ASSERT_GE(times.size(), 2U);
    EXPECT_EQ(times[0], "00:00:00.000");
    EXPECT_NE(times[1], times[0]);
    // The tone's row stands out of the page: more than one colour in the spectrogram rows.
    const QImage& picture = app.Renderer().Picture();
    const int bottom = app.Renderer().Height() - 1;
    bool varied = false;
    for (int y = bottom; y > bottom - 100 && !varied; --y) {
        varied = picture.pixel(10, y) != picture.pixel(10, bottom);
    }
    EXPECT_TRUE(varied);
}

// A snapshot's picture region, read back by ImageMagick, is the picture pixel for pixel; in a file task it
// goes beside the sound file; a cancelled save-as keeps the snapshot folder; a printout is one page with
// its heading (read by Ghostscript).
TEST(SnapshotTest, BitmapsHoldThePictureAndAPrintoutItsHeading) {
    TempFolder home;
    ScriptedInteraction dialogs;
    Application app(Options(home.Path(), dialogs));
    app.Show();
    const std::string pictures = home.Path() + "pictures/";
    std::filesystem::create_directories(pictures);
    app.Settings().Options1().SetText("DefSavePath", pictures);
    app.Renderer().PrintLines({"snapshot test", "wSpec"});
    const std::string path = app.Snapshots().Snapshot();
    ASSERT_EQ(path.substr(0, pictures.size() + 6), pictures + "wSpec ");
    const std::string second = app.Snapshots().Snapshot(); // within the same second mostly: "_n1"
    EXPECT_TRUE(second != path && std::filesystem::exists(path) && std::filesystem::exists(second));
    const std::string back = home.Path() + "back.ppm";
    ASSERT_EQ(std::system(("convert '" + path + "' '" + back + "'").c_str()), 0);
    const QImage read(QString::fromStdString(back));
    const QImage& picture = app.Renderer().Picture();
    const QPoint at = app.Snapshots().PictureOffset();
    ASSERT_TRUE(read.rect().contains(QRect(at, picture.size()))) << read.width() << "x" << read.height();
    int64_t differing = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            differing += (read.pixel(at.x() + x, at.y() + y) ^ picture.pixel(x, y)) & 0xffffffu ? 1 : 0;
        }
    }
    EXPECT_EQ(differing, 0);

    WriteWav16(home.Path() + "whale.wav", 1, 8000, std::vector<int16_t>(8000));
    app.OpenFile(home.Path() + "whale.wav");
    app.Settings().Form1().SetText("Label3", "00:01:05.250");
    EXPECT_EQ(app.Snapshots().Snapshot().substr(0, home.Path().size() + 28),
              home.Path() + "wSpec whale at 000105.250 20");
    dialogs.textAnswers = {std::nullopt};
    app.Menus().Trigger("SaveSpectrogram");
    EXPECT_EQ(std::tuple(app.Settings().Options1().Text("DefSavePath"), dialogs.dialogs.back().fileName),
              std::tuple(pictures, "wSpec whale 000105.250.bmp"));

    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(home.Path() + "window.pdf"));
    app.Snapshots().Print(CaptureKind::Window, printer);
    const std::string gs = "gs -q -dNOPAUSE -dBATCH -dSAFER -sOutputFile=- ",
                      pdf = " '" + home.Path() + "window.pdf'";
    std::string text = CommandOutput(gs + "-sDEVICE=txtwrite" + pdf).value_or(""); // words apart by tabs
    std::replace(text.begin(), text.end(), '\t', ' ');
    EXPECT_NE(text.find("Ondrix 2.0j Real-Time Spectrograph"), std::string::npos) << text;
    EXPECT_EQ(CountOf(CommandOutput(gs + "-sDEVICE=bbox" + pdf + " 2>&1").value_or(""), "%%BoundingBox"), 1);
}

// Idle, the exit question must come first on Exit and on closing the window; "No" leaves everything, "Yes"
// ends the program.
TEST(ExitTest, TheQuestionComesFirstAndNoLeavesEverything) {
    TempFolder home;
    ScriptedInteraction dialogs;
    Application app(Options(home.Path(), dialogs));
    app.Main().show();
    dialogs.yesNoAnswers = {false, false, true};
    app.ExitProgram();
    app.Main().close();
    EXPECT_TRUE(app.Main().isVisible() && !app.Quitting());
    app.Main().close();
    EXPECT_TRUE(!app.Main().isVisible() && app.Quitting());
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>(3, kExitQuestion));
    EXPECT_TRUE(
        std::ranges::all_of(dialogs.messages, [](const auto& m) { return m.icon == MessageIcon::Critical; }));
}

// During a run, "No" to the exit question must go on; a quit (asking nothing; "Yes" is in RunEndTest) must
// stop the run, release Pause and let the loop clean up before the window closes.
TEST(ExitTest, DuringARunNoGoesOnAndAQuitCleansUpBeforeTheWindowCloses) {
    TempFolder home;
    ScriptedInteraction dialogs;
    dialogs.yesNoAnswers = {false};
    Application app(Options(home.Path(), dialogs));
    app.Main().show();
    std::vector<std::string> journal;
    app.Tasks().Loops().Register(LoopSlot::RealTimeMono, [&] {
        return std::make_unique<JournalSession>(
            app.Tasks(), journal,
            [&](int pass) {
                app.Settings().Form1().SetChecked("PauseButton", pass == 3);
                if (pass == 1) {
                    app.ExitProgram();
                } else if (pass == 3) {
                    app.Quit();
                    journal.push_back(app.Main().isVisible() ? "window open" : "window closed");
                }
            },
            5);
    });
    app.Settings().Form1().Click("StartStop");
    EXPECT_EQ(journal, (std::vector<std::string>{"set up in task 1", "pass 1", "pass 2", "pass 3",
                                                 "window open", "clean up"}));
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_FALSE(app.Tasks().Running() || app.Settings().Form1().Checked("PauseButton") ||
                 app.Main().isVisible());
}

// Every way a run starts against every way it ends, in the event loop as the program runs: the run ends
// at its next pass, no second run follows, and a quit ends the event loop. Stop quits only once the
// program has stayed idle a while. A hang fails at the guard, never on a measured time.
TEST(RunEndTest, EveryWayOfEndingEndsARunHoweverItStarted) {
    struct Start {
        const char* name;
        bool fileToAnalyse; // the command line names a sound file and "Analysis on open" is checked
        std::function<void(Application&, const std::string& sound)> begin;
        int runs = 1;        // runs started in all
        int16_t endMode = 0; // the task of the run to end; 0: the first run
    };
    struct End {
        const char* name;
        std::function<void(Application&)> end;
        bool quits;
    };
    const auto clickStart = [](Application& app, const std::string& sound) {
        QTimer::singleShot(0, &app.Main(), [&app, sound] {
            app.OpenFile(sound);
            app.Menus().Trigger("FileAnalysis");
            app.Settings().Form1().Click("StartStop");
        });
    };
    const auto startSwitch = [](Application& app, const std::string&) { app.StartWhenShown(); };
    const auto clickPlay = [](Application& app, const std::string& sound) {
        QTimer::singleShot(0, &app.Main(), [&app, sound] {
            app.OpenFile(sound);
            app.Menus().Trigger("FileAnalysisPlay");
            app.Settings().Form1().Click("StartStop");
        });
    };
    const auto playOnOpen = [](Application& app, const std::string& sound) {
        app.Settings().Options0().SetChecked("ImmediatePlayCheck", true);
        QTimer::singleShot(0, &app.Main(), [&app, sound] { app.OpenFile(sound); });
    };
    // A live run fills the RAM buffer; once it has ended, "Play Buffer" plays it (Play on Open).
    const auto playBuffer = [](Application& app, const std::string&) {
        app.Settings().Options0().SetChecked("ImmediatePlayCheck", true);
        app.Settings().Form1().SetText("Combo12", "4 Mbytes"); // the Quick Settings buffer size
        QTimer::singleShot(0, &app.Main(), [&app] {
            QTimer::singleShot(500, &app.Main(), [&app] {
                app.Tasks().RequestStopThen([&app] { app.Menus().Trigger("PlayBuffer"); });
            });
            app.Menus().Trigger("RealTimeAnalysis");
            app.Settings().Form1().Click("StartStop");
        });
    };
    // The remote controller: sentences to the command port of the case's program (replies go nowhere).
    int commandPort = 0;
    const auto command = [&commandPort](const std::string& sentence) {
        QUdpSocket socket;
        socket.writeDatagram(sentence.data(), static_cast<qint64>(sentence.size()), QHostAddress::LocalHost,
                             static_cast<quint16>(commandPort));
    };
    const auto remoteStart = [&command](Application& app, const std::string&) {
        QTimer::singleShot(0, &app.Main(), [&command] {
            command("$ONDRIX,RECMODE");
            command("$ONDRIX,START");
        });
    };
    const std::vector<Start> starts = {{"RECMODE then START", false, remoteStart},
                                       {"Start", false, clickStart},
                                       {"--start", false, startSwitch},
                                       {"file with Analysis on open", true, {}},
                                       {"--start file with Analysis on open", true, startSwitch},
                                       {"Start in task 3", false, clickPlay},
                                       {"Play on Open", false, playOnOpen},
                                       {"Play Buffer", false, playBuffer, 2, 3}};
    const std::vector<End> ends = {
        {"Stop", [](Application& app) { app.Settings().Form1().Click("StartStop"); }, false},
        {"Exit", [](Application& app) { app.ExitProgram(); }, true},
        {"SIGTERM", [](Application&) { ASSERT_EQ(raise(SIGTERM), 0); }, true},
        {"--quit-after", [](Application& app) { app.Quit(); }, true},
        {"STOP command", [&command](Application&) { command("$ONDRIX,STOP"); }, false}};
    constexpr int kIdleTicks = 30;
    TempFolder home;
    const std::string sound = home.Path() + "night.wav";
    WriteWav16(sound, 1, 24000, std::vector<int16_t>(4 * 24000));
    for (const Start& start : starts) {
        for (const End& end : ends) {
            SCOPED_TRACE(std::string(start.name) + " ended by " + end.name);
            ScriptedInteraction dialogs;
            dialogs.yesNoAnswers = {true}; // the exit question
            Application app(
                Options(home.Path(), dialogs, 1280,
                        start.fileToAnalyse ? std::vector<std::string>{sound} : std::vector<std::string>{}));
            ControlModel& basic = app.Settings().Options0();
            basic.SetChecked("CheckAnalysisOnOpen", start.fileToAnalyse);
            basic.SetText("FileRecPathField", home.Path());
            QUdpSocket replies, free; // replies land unread; the command port is one nobody held just now
            ASSERT_TRUE(replies.bind(QHostAddress::LocalHost, 0) && free.bind(QHostAddress::LocalHost, 0));
            const int freePort = free.localPort();
            free.close();
            basic.SetText("RemoteIP2", "127.0.0.1");
            basic.SetText("RemotePort2", std::to_string(replies.localPort()));
            basic.SetText("LocalPort2", std::to_string(freePort));
            basic.SetChecked("chkUDPSlave", true);
            commandPort = std::stoi(basic.Text("LocalPort2")); // moved on when that port was taken meanwhile
            TerminationSignals quitSignals;
            quitSignals.SetHandler([&app](int) { app.Quit(); });
            app.Show();
            if (start.begin) {
                start.begin(app, sound);
            }
            bool ended = false;
            int idleTicks = 0;
            QTimer ender;
            QObject::connect(&ender, &QTimer::timeout, [&] {
                const TaskController& tasks = app.Tasks();
                if (!ended && tasks.Running() && !tasks.SessionStopped() &&
                    (start.endMode == 0 || tasks.SessionMode() == start.endMode)) {
                    ended = true;
                    end.end(app);
                } else if (ended && !end.quits && !tasks.Running() && ++idleTicks == kIdleTicks) {
                    app.Quit();
                }
            });
            ender.start(10);
            bool hung = false; // the guard goes with the window of this case
            QTimer::singleShot(20000, &app.Main(), [&] {
                hung = true;
                app.Tasks().SetSessionStopped(true);
                QCoreApplication::quit();
            });
            QApplication::exec();
            ender.stop();
            QApplication::processEvents(); // the quit CloseAll queued must not end the next case at once
            EXPECT_TRUE(ended && !hung);
            if (start.fileToAnalyse) { // the command line's file is opened with its own rate
                EXPECT_EQ(app.Tasks().CurrentFileName(), sound);
                EXPECT_EQ(app.Settings().Form1().Text("SampleRate"), "24000");
            }
            EXPECT_EQ(std::tuple(app.Tasks().RunsStarted(), app.Main().isVisible()),
                      std::tuple(start.runs, false))
                << ::testing::PrintToString(dialogs.Texts());
        }
    }
}

// The splash progress must gain a dot per step of its length, and a click must end it early (were the click
// lost, the progress would run for a minute and the test's timeout would catch that).
TEST(SplashTest, TheProgressGainsADotPerStepAndAClickEndsItEarly) {
    SplashWindow timed("Credits");
    timed.Run(std::chrono::milliseconds(50));
    EXPECT_EQ(timed.Progress(), QString(5, QLatin1Char('.')));
    EXPECT_FALSE(timed.isVisible());
    SplashWindow splash("Credits");
    QTimer::singleShot(0, &splash, [&splash] {
        auto* progress = splash.findChild<QLineEdit*>("TextProgress");
        ASSERT_NE(progress, nullptr);
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(progress, &press);
    });
    splash.Run(std::chrono::minutes(1));
    EXPECT_FALSE(splash.isVisible());
    EXPECT_LT(splash.Progress().size(), 6000);
    EXPECT_EQ(splash.Progress(), QString(splash.Progress().size(), QLatin1Char('.')));
}

// A termination signal must arrive as an event, and one that came before there was a handler (start-up)
// must wait for it.
TEST(TerminationSignalsTest, ASignalArrivesAsAnEventAndEarlierOnesWaitForTheHandler) {
    TerminationSignals watcher;
    ASSERT_TRUE(watcher.Installed());
    std::vector<int> received;
    ASSERT_EQ(raise(SIGTERM), 0);
    QApplication::processEvents();
    watcher.SetHandler([&](int signal) { received.push_back(signal); });
    for (int signal : {SIGINT, SIGHUP}) {
        ASSERT_TRUE(ProcessEventsUntil([&] { return received.size() == 1 + (signal == SIGHUP); }));
        ASSERT_EQ(raise(signal), 0);
    }
    ASSERT_TRUE(ProcessEventsUntil([&] { return received.size() == 3; }));
    EXPECT_EQ(received, (std::vector<int>{SIGTERM, SIGINT, SIGHUP}));
}

} // namespace
} // namespace ondrix

namespace ondrix {
namespace {

// A live run of the test signal is framed by its axes: every label the axis model lays out inside the frame
// is painted, and a right click on the picture shows (and logs) the model's readout of that point.
TEST(AxesWindowTest, ALiveRunIsFramedByItsAxesAndAClickReadsThePicture) {
    TempFolder home;
    ScriptedInteraction dialogs;
    Application app(Options(home.Path(), dialogs));
    ControlModel& form = app.Settings().Form1();
    ASSERT_TRUE(ChooseTestSignal(form));
    app.Settings().Options1().SetText("DefLogPath", home.Path());
    app.Show();
    bool checked = false;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (checked || app.LastRunStatus().columns < 200) {
            return;
        }
        checked = true;
        AxesView& axes = app.Main().Axes();
        const QImage frame = axes.grab().toImage();
        const QRgb background = axes.palette().color(QPalette::Window).rgb();
        int painted = 0;
        const auto check = [&](const AxisDrawing& axis) {
            for (const AxisLabel& label : axis.labels) {
                const QRect rect = axes.LabelRect(label);
                if (Trim(label.text).empty() || !frame.rect().contains(rect)) {
                    continue;
                }
                bool differs = false;
                for (int y = rect.top(); y <= rect.bottom() && !differs; ++y) {
                    for (int x = rect.left(); x <= rect.right() && !differs; ++x) {
                        differs = frame.pixel(x, y) != background;
                    }
                }
                EXPECT_TRUE(differs) << label.text << " at " << label.x << "," << label.y;
                ++painted;
            }
        };
        std::ranges::for_each(axes.Axes().frequency, check);
        check(axes.Axes().time);
        EXPECT_GE(painted, 6);

        SpectrogramView& view = app.Main().Spectrogram();
        const QPoint at(150, app.Renderer().Height() / 3);
        QMouseEvent press(QEvent::MouseButtonPress, at, view.mapToGlobal(at), Qt::RightButton,
                          Qt::RightButton, Qt::NoModifier);
        QApplication::sendEvent(&view, &press);
        const ReadoutScene scene{.scale = ScaleOf(ScaleInputsFrom(app.Settings(), app.Renderer().Width(),
                                                                  app.Renderer().Height(), 1)),
                                 .displayRows = form.IntValue("Combo7"),
                                 .colourShift = form.IntValue("Text1")};
        const int index = PaletteIndexOfColour(app.SharedPalette(), app.Renderer().Picture().pixel(at));
        const std::string expected = ReadoutText(scene, at.x(), at.y(), index);
        EXPECT_EQ(qobject_cast<QLabel*>(app.Main().Controls().Widget("LabelCursors"))->text().toStdString(),
                  expected);
        EXPECT_EQ(ReadFile(home.Path() + "cursor " + DateStampYMD() + ".txt"),
                  "\r\n" + std::string(kCursorLogHeading) + "\r\n" + expected + "\r\n");
        form.Click("StartStop");
    });
    probe.start(20);
    QTimer::singleShot(0, &app.Main(), [&] { form.Click("StartStop"); });
    EXPECT_TRUE(ProcessEventsUntil([&] { return checked && app.Tasks().SessionStopped(); }));
}

// With "Enable SpecForm" a run opens the spectrum window; its maximum survives the next run and "Reset All"
// clears it.
TEST(SpectrumWindowTest, TheMaximumOutlivesARunUntilResetAll) {
    TempFolder home;
    ScriptedInteraction dialogs;
    Application app(Options(home.Path(), dialogs));
    ControlModel& form = app.Settings().Form1();
    ASSERT_TRUE(ChooseTestSignal(form));
    app.Settings().Options2().SetChecked("SpecFormCheck", true);
    app.Show();
    const auto run = [&](int64_t columns) {
        QTimer probe;
        QObject::connect(&probe, &QTimer::timeout, [&] {
            if (app.Tasks().Running() && app.LastRunStatus().columns >= columns) {
                form.Click("StartStop");
            }
        });
        probe.start(20);
        QTimer::singleShot(0, &app.Main(), [&] { form.Click("StartStop"); });
        const int before = app.Tasks().RunsStarted();
        return ProcessEventsUntil(
            [&] { return app.Tasks().RunsStarted() > before && !app.Tasks().Running(); });
    };
    ASSERT_TRUE(run(100));
    auto* window = app.Main().findChild<SpectrumWindow*>("SpecForm");
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    const std::vector<float> first(window->Plot().Maximum().begin(), window->Plot().Maximum().end());
    EXPECT_GT(*std::ranges::max_element(first), 0.0f);
    window->close();
    ASSERT_TRUE(run(20));
    EXPECT_TRUE(window->isVisible());
    for (std::size_t i = 0; i < first.size(); ++i) {
        ASSERT_GE(window->Plot().Maximum()[i], first[i]) << i;
    }
    window->findChild<QPushButton*>("Command1")->click();
    EXPECT_EQ(*std::ranges::max_element(window->Plot().Maximum()), 0.0f);
    // The spectrogram's own held maximum ("Hold Max") is not the window's: "Reset All" leaves it, so the
    // columns of the next run carry at least what the run before held.
    app.Settings().Options1().SetText("AvgCombo", "3 - Hold Max");
    ASSERT_TRUE(run(100));
    const std::vector<float> held(window->Plot().Maximum().begin(), window->Plot().Maximum().end());
    window->findChild<QPushButton*>("Command1")->click();
    ASSERT_TRUE(run(2));
    for (std::size_t i = 0; i < held.size(); ++i) {
        ASSERT_GE(window->Plot().Maximum()[i], held[i]) << i;
    }
}

} // namespace
} // namespace ondrix
