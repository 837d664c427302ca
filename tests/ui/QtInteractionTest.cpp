// The Qt dialogs: answered before returning while idle, through the event loop while a capture runs.
#include "ui/QtInteraction.h"
#include "TempFolder.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

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

    std::optional<std::string> entered;
    bool answered = false;
    AnswerWhenShown<QInputDialog>([](QInputDialog& input) {
        EXPECT_EQ(input.textValue(), "60");
        input.setTextValue("120");
        input.accept();
    });
    dialogs.AskText("Seconds to save", "60", [&](std::optional<std::string> text) {
        entered = std::move(text);
        answered = true;
    });
    EXPECT_TRUE(answered);
    EXPECT_EQ(entered, "120");
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
    EXPECT_EQ(box->windowModality(), Qt::WindowModal);
    EXPECT_EQ(static_cast<QAbstractButton*>(box->defaultButton()), box->button(QMessageBox::No));
    EXPECT_EQ(box->icon(), QMessageBox::Critical);
    box->button(QMessageBox::Yes)->click();
    EXPECT_EQ(events, (std::vector<std::string>{"returned", "yes"}));

    // The closed dialog goes away with the next events.
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(window.findChild<QMessageBox*>(), nullptr);
}

// A file dialog must open in the folder asked for, with its patterns, and give the path chosen or nothing.
TEST_F(QtInteractionTest, FileDialogsOpenWhereAskedAndGiveThePathChosen) {
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

} // namespace
} // namespace ondrix
