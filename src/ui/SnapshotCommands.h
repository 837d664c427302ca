// Snapshots of the picture, the window or the screen as bitmaps, the clipboard and printing: the File
// menu's picture commands and the snapshot the remote commands take.
#pragma once

#include <QImage>

#include <functional>
#include <string>

class QPrinter;

namespace ondrix {

class Interaction;
class MainWindow;
class MenuModel;
class SettingsModel;
class SpectrogramRenderer;
class TaskController;
struct CurrentFile;

enum class CaptureKind { Spectrogram, Window, Screen };

class SnapshotCommands {
public:
    // The picture capture takes this many pixels more at its left and bottom, for the axis labels.
    static constexpr int kAxisMargin = 36;

    SnapshotCommands(SettingsModel& settings, TaskController& tasks, Interaction& interaction,
                     MainWindow& main, SpectrogramRenderer& renderer, const CurrentFile& file);

    // "Snapshot", "Save Spectrogram", "Save Window", "Save Screen", "Copy Window", "Clear Clipboard",
    // "Print Window", "Print Screen".
    void Attach(MenuModel& menus);

    // The snapshot of the kind "Snapshot of" selects, under its automatic name; the path written ("" when
    // it could not be written: the message has been shown).
    std::string Snapshot();
    // The image of a kind; the spectrogram capture maps the picture onto itself pixel for pixel at
    // PictureOffset().
    QImage Capture(CaptureKind kind) const;
    QPoint PictureOffset() const;
    // Prints a heading line and the image of the kind, scaled to the page, on the printer.
    void Print(CaptureKind kind, QPrinter& printer) const;

    // The picture is kept before a dialog covers it and put back after it (not during a run: the run
    // draws on).
    void SaveSpecGram();
    void RestoreSpecGram();

private:
    bool Write(const QImage& image, const std::string& path);
    void SaveAs(CaptureKind kind);
    void PrintWithDialog(CaptureKind kind);
    QRect CaptureRect() const;

    SettingsModel& settings_;
    TaskController& tasks_;
    Interaction& interaction_;
    MainWindow& main_;
    SpectrogramRenderer& renderer_;
    const CurrentFile& file_;
};

} // namespace ondrix
