#include "ui/SnapshotCommands.h"

#include "common/Clock.h"
#include "common/Interaction.h"
#include "common/Paths.h"
#include "common/SaveFileDialog.h"
#include "display/SnapshotNames.h"
#include "display/SpectrogramRenderer.h"
#include "files/CurrentFile.h"
#include "recording/FileNaming.h"
#include "settings/MenuModel.h"
#include "settings/ProgramIdentity.h"
#include "settings/SettingsModel.h"
#include "settings/TaskController.h"
#include "ui/MainWindow.h"
#include "ui/SpectrogramView.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>

namespace ondrix {

namespace {

SnapshotPlace PlaceOf(const SettingsModel& settings, const TaskController& tasks, const CurrentFile& file) {
    return {.sessionMode = tasks.SessionMode(),
            .savePath = settings.Options1().Text("DefSavePath"),
            .soundFile = file.name,
            .positionText = settings.Form1().Text("Label3")};
}

} // namespace

SnapshotCommands::SnapshotCommands(SettingsModel& settings, TaskController& tasks, Interaction& interaction,
                                   MainWindow& main, SpectrogramRenderer& renderer, const CurrentFile& file)
    : settings_(settings), tasks_(tasks), interaction_(interaction), main_(main), renderer_(renderer),
      file_(file) {}

void SnapshotCommands::Attach(MenuModel& menus) {
    menus.SetHandler("Snapshot", [this] { Snapshot(); });
    menus.SetHandler("SaveSpectrogram", [this] { SaveAs(CaptureKind::Spectrogram); });
    menus.SetHandler("SaveForm", [this] { SaveAs(CaptureKind::Window); });
    menus.SetHandler("SaveScreen", [this] { SaveAs(CaptureKind::Screen); });
    menus.SetHandler("ClipForm",
                     [this] { QGuiApplication::clipboard()->setImage(Capture(CaptureKind::Window)); });
    menus.SetHandler("ClearClipboard", [] { QGuiApplication::clipboard()->clear(); });
    menus.SetHandler("PrintForm", [this] { PrintWithDialog(CaptureKind::Window); });
    menus.SetHandler("PrintScreen", [this] { PrintWithDialog(CaptureKind::Screen); });
}

std::string SnapshotCommands::Snapshot() {
    ControlModel& form = settings_.Form1();
    form.SetText("StatusLine", "Saving to");
    const std::string kindText = settings_.Options1().Text("Combo3");
    const CaptureKind kind = kindText == "Form"     ? CaptureKind::Window
                             : kindText == "Screen" ? CaptureKind::Screen
                                                    : CaptureKind::Spectrogram;
    const std::string path =
        FirstFreeName(SnapshotPath(PlaceOf(settings_, tasks_, file_), LocalNow()), ".bmp");
    if (!Write(Capture(kind), path)) {
        return {};
    }
    form.SetText("StatusLine", path);
    return path;
}

// The picture with the room for its axis labels at the left and below, within the window.
QRect SnapshotCommands::CaptureRect() const {
    const SpectrogramView& view = main_.Spectrogram();
    const QRect picture(view.mapTo(&main_, QPoint(0, 0)), view.size());
    return picture.adjusted(-kAxisMargin, 0, 0, kAxisMargin).intersected(main_.rect());
}

QPoint SnapshotCommands::PictureOffset() const {
    return main_.Spectrogram().mapTo(&main_, QPoint(0, 0)) - CaptureRect().topLeft();
}

QImage SnapshotCommands::Capture(CaptureKind kind) const {
    switch (kind) {
    case CaptureKind::Spectrogram:
        return main_.grab(CaptureRect()).toImage();
    case CaptureKind::Window:
        return main_.grab().toImage();
    case CaptureKind::Screen: {
        QScreen* screen = main_.screen() != nullptr ? main_.screen() : QGuiApplication::primaryScreen();
        return screen != nullptr ? screen->grabWindow(0).toImage() : QImage();
    }
    }
    return {};
}

// A failed write is said, never passed over.
bool SnapshotCommands::Write(const QImage& image, const std::string& path) {
    if (image.isNull() || !image.save(QString::fromStdString(path), "BMP")) {
        settings_.Form1().SetText("StatusLine", "");
        interaction_.ShowMessage("Cannot write " + path, MessageIcon::Exclamation);
        return false;
    }
    return true;
}

void SnapshotCommands::SaveAs(CaptureKind kind) {
    const std::string folder = settings_.Options1().Text("DefSavePath");
    const std::string proposed = SnapshotProposedName(PlaceOf(settings_, tasks_, file_), LocalNow());
    SaveFileDialog(interaction_, "Save As", folder, "bmp", proposed, [this, kind](const std::string& path) {
        if (path.empty() || !Write(Capture(kind), path)) {
            return;
        }
        settings_.Options1().SetText("DefSavePath", FolderOfPath(path));
        settings_.Form1().SetText("StatusLine", path);
    });
}

void SnapshotCommands::Print(CaptureKind kind, QPrinter& printer) const {
    const QImage image = Capture(kind);
    QPainter painter(&printer);
    const QRect page = painter.viewport();
    const QString heading = QString::fromStdString(
        std::string(kWindowCaption) + "  " + ShortDateText(LocalNow()) + " " + ShortTimeText(LocalNow()));
    painter.drawText(page.left(), page.top() + painter.fontMetrics().ascent(), heading);
    const int top = painter.fontMetrics().height() * 2;
    const QSize fitted = image.size().scaled(page.width(), page.height() - top, Qt::KeepAspectRatio);
    painter.drawImage(QRect(QPoint(page.left(), page.top() + top), fitted), image);
}

void SnapshotCommands::PrintWithDialog(CaptureKind kind) {
    QPrinter printer;
    QPrintDialog dialog(&printer, &main_);
    if (dialog.exec() == QDialog::Accepted) {
        Print(kind, printer);
    }
}

void SnapshotCommands::SaveSpecGram() {
    if (!tasks_.Running()) {
        renderer_.SaveCopy();
    }
}

void SnapshotCommands::RestoreSpecGram() {
    if (tasks_.Running()) {
        return;
    }
    tasks_.WaitWithEvents(0.2f);
    renderer_.RestoreCopy();
    main_.Spectrogram().update();
}

} // namespace ondrix
