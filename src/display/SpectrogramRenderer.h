// The spectrogram picture and the drawing of one column of display values into it.
#pragma once

#include "display/PixelGrid.h"

#include <QImage>

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace ondrix {

class Palette;

// The frequency markers of a session: each row number > 0 (counted from the bottom) gets one pixel per
// column in the palette colour with index `level`.
struct FrequencyMarkers {
    bool enabled = false;
    std::array<int, 3> rows{};
    int level = 0;
};

// The level bar of one channel of a two-channel column: marks round(min / 2048) and round(max / 2048).
struct StereoLevel {
    int low = 0;
    int high = 0;
    bool overloaded = false;
};

// What a session fixes for the renderer at its set-up.
struct RendererSession {
    int updateRate = 0; // U: columns per block transfer; 0 draws straight onto the picture
    int rows = 0;       // R: display rows of a column
    int scrollMode = 0; // 0 sweep; 1 and 2 scroll (2 starts the white band one pixel higher)
    FrequencyMarkers markers;
};

// Owns the spectrogram picture: W x (H + 97) pixels, RGB32. The spectrogram fills rows H - R .. H - 1,
// a 17-pixel strip rows H .. H + 16 and the waveform band rows H + 17 .. H + 96. Columns go either straight
// onto the picture (U = 0) or into a U x R block that reaches the picture every U columns.
//
// Every write is clipped to the picture and the block, so any geometry (R > H, W < U, a W that is not a
// multiple of U, an empty picture) is safe. Viewers should paint Picture() by reference: a kept copy
// would make the next column copy the whole picture before writing.
class SpectrogramRenderer {
public:
    static constexpr int StripHeight = 17;
    static constexpr int BandHeight = 80;
    static constexpr int BelowSpectrogram = StripHeight + BandHeight;

    // The inactive-border colour (0xffRRGGBB) draws the strip and the sweep cursor, and fills new
    // picture area.
    SpectrogramRenderer(const Palette& palette, uint32_t inactiveBorderColour);

    void SetInactiveBorderColour(uint32_t colour);
    uint32_t InactiveBorderColour() const { return borderColour_; }

    // Lays the picture out for width W and display height H. What overlaps the previous picture is kept,
    // the rest is filled with the inactive-border colour; x is brought back inside the width.
    void SetGeometry(int width, int height);
    int Width() const { return width_; }
    int Height() const { return height_; }

    // Fills the strip (0, H)-(W, H + 16) with the inactive-border colour.
    void ClearStrip();
    // Fills the whole picture with one colour (0xffRRGGBB).
    void Clear(uint32_t colour);
    // Clears the picture to white and prints the lines on it in a fixed-pitch font, top down (device
    // and disk reports are shown this way); lines below the picture are not drawn.
    void PrintLines(const std::vector<std::string>& lines);
    // Prints the lines the same way over what the picture shows (the markers of a file).
    void PrintText(const std::vector<std::string>& lines);

    // Session set-up: fixes U, R, the scroll mode and the markers, makes the U x R block when U > 0
    // (a negative U counts as 0) and starts at x = 0. Clean-up releases the block and returns to U = 0.
    void BeginSession(const RendererSession& session);
    void EndSession();

    // The tracker's detection for the next column: a row counted from the bottom, drawn pure red;
    // -1 for none. It applies to the next DrawColumn only.
    void SetTrackingRow(int row) { trackingRow_ = row; }

    // Draws one column at x from values[0 .. rows - 1] (row 0 lowest, at the bottom), with the level
    // bar from the level marks and its overload colour; transfers the block when it is full; advances
    // x to (x + 1) mod W. Allocates nothing.
    void DrawColumn(std::span<const float> values, int rows, int low, int high, bool overloaded);

    // A two-channel column: the left values in the upper half and the right ones in the lower half of
    // the R rows (halfRows each, lowest frequency at the bottom of each half); with redBlue the lower half
    // shows both channels as red (right) and blue (left). One level bar per channel in the band. No
    // frequency markers. Each channel's tracked row (counted from the bottom of its half, -1 for none)
    // is drawn pure red in its own half.
    void DrawStereoColumn(std::span<const float> upper, std::span<const float> lower, int halfRows,
                          const std::array<StereoLevel, 2>& levels, bool redBlue,
                          const std::array<int, 2>& trackingRows = {-1, -1});
    // A tick in the strip under the column drawn last, rows H + 10 .. H + 16 (the trigger's state).
    void DrawTick(uint32_t colour);

    int X() const { return x_; }
    void SetX(int x);

    // Whole pictures drawn off screen (exported pages): columns of sessions without a block go into a
    // column-major copy of the picture, where each column's pixels are contiguous, and Picture()
    // transposes them back when it is next asked for. The pixels are the same either way; a wide picture
    // is drawn several times faster. Off by default.
    void SetColumnMajor(bool on);

    const QImage& Picture() const;
    // The column-major copy (H + 97 wide, W high) when it holds the picture as it is now, else null: a
    // page may be read from it without the transpose Picture() would make.
    const QImage* ColumnMajorPicture() const {
        return columnMajor_ && !columnsStale_ && !columns_.isNull() ? &columns_ : nullptr;
    }
    // The copy kept while a dialog covers the picture: taken, then put back onto a picture of the same
    // size.
    void SaveCopy() { copy_ = Picture().copy(); }
    void RestoreCopy();
    const QImage& Block() const { return block_; }
    const RendererSession& Session() const { return session_; }

private:
    bool Scrolling() const { return session_.scrollMode == 1 || session_.scrollMode == 2; }
    // The picture for writing in its own order; the column-major copy is then out of date.
    QImage& Rows();
    // Where columns, strip and band are drawn: the column-major copy when it is in use, else the picture.
    PixelGrid ColumnTarget();
    void DrawSpectrum(const PixelGrid& target, int column, int bottomRow, std::span<const float> values,
                      int rows);
    void DrawLines(const PixelGrid& target, int p, int low, int high, bool overloaded);
    void DrawBand(const PixelGrid& target, int p);
    void FinishColumn(int c);
    void TransferBlock(int x);

    const Palette& palette_;
    uint32_t borderColour_;
    int width_ = 0;
    int height_ = 0;
    // Exactly one of the picture and its column-major copy may hold pixels the other lacks.
    mutable QImage picture_;
    mutable bool pictureStale_ = false; // columns_ is newer
    QImage columns_;
    bool columnsStale_ = true; // picture_ is newer
    bool columnMajor_ = false;
    QImage copy_;
    QImage block_;
    RendererSession session_;
    int x_ = 0;
    int trackingRow_ = -1;
    int lineX_ = -1; // where the lines of the last column stand
};

} // namespace ondrix
