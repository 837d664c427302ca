#include "display/SpectrogramRenderer.h"

#include "common/Rounding.h"

#include "display/Palette.h"
#include "display/PictureDrawing.h"

#include <QColor>
#include <QFontDatabase>
#include <QPainter>

#include <algorithm>
#include <climits>

namespace ondrix {

namespace {

constexpr uint32_t OpaqueAlpha = 0xff000000u;
const uint32_t White = qRgb(255, 255, 255);
const uint32_t Black = qRgb(0, 0, 0);
const uint32_t PureRed = qRgb(255, 0, 0);

} // namespace

SpectrogramRenderer::SpectrogramRenderer(const Palette& palette, uint32_t inactiveBorderColour)
    : palette_(palette), borderColour_(inactiveBorderColour | OpaqueAlpha) {}

void SpectrogramRenderer::SetInactiveBorderColour(uint32_t colour) {
    borderColour_ = colour | OpaqueAlpha;
}

void SpectrogramRenderer::SetGeometry(int width, int height) {
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    QImage& old = Rows();
    QImage picture;
    if (width_ > 0) {
        picture = QImage(width_, height_ + BelowSpectrogram, QImage::Format_RGB32);
        picture.fill(borderColour_);
        CopyPicture(old, picture, 0, 0);
    }
    picture_ = std::move(picture);
    SetX(x_);
}

void SpectrogramRenderer::ClearStrip() {
    FillBox(Rows(), 0, height_, width_, height_ + StripHeight - 1, borderColour_);
}

void SpectrogramRenderer::Clear(uint32_t colour) {
    FillBox(Rows(), 0, 0, picture_.width() - 1, picture_.height() - 1, colour | OpaqueAlpha);
}

void SpectrogramRenderer::PrintLines(const std::vector<std::string>& lines) {
    if (!picture_.isNull()) {
        Rows().fill(White);
    }
    PrintText(lines);
}

void SpectrogramRenderer::PrintText(const std::vector<std::string>& lines) {
    if (picture_.isNull()) {
        return;
    }
    QPainter painter(&Rows());
    painter.setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    painter.setPen(Qt::black);
    const int lineHeight = painter.fontMetrics().lineSpacing();
    int y = painter.fontMetrics().ascent() + 2;
    for (const std::string& line : lines) {
        if (y > picture_.height()) {
            break;
        }
        painter.drawText(4, y, QString::fromStdString(line));
        y += lineHeight;
    }
}

void SpectrogramRenderer::BeginSession(const RendererSession& session) {
    session_ = session;
    session_.updateRate = std::max(session.updateRate, 0);
    session_.rows = std::max(session.rows, 0);
    block_ = QImage();
    if (session_.updateRate > 0 && session_.rows > 0) {
        block_ = QImage(session_.updateRate, session_.rows, QImage::Format_RGB32);
        block_.fill(Black);
    }
    x_ = 0;
    trackingRow_ = -1;
    lineX_ = -1;
}

void SpectrogramRenderer::EndSession() {
    block_ = QImage();
    session_ = RendererSession{};
    trackingRow_ = -1;
}

void SpectrogramRenderer::SetColumnMajor(bool on) {
    Rows();
    columnMajor_ = on;
    columns_ = QImage();
}

const QImage& SpectrogramRenderer::Picture() const {
    if (pictureStale_) {
        TransposePicture(columns_, picture_);
        pictureStale_ = false;
    }
    return picture_;
}

QImage& SpectrogramRenderer::Rows() {
    Picture();
    columnsStale_ = true;
    return picture_;
}

PixelGrid SpectrogramRenderer::ColumnTarget() {
    if (!columnMajor_ || session_.updateRate > 0 || picture_.isNull()) {
        return PixelGrid::RowMajor(Rows());
    }
    if (columnsStale_) {
        TransposePicture(picture_, columns_);
        columnsStale_ = false;
    }
    pictureStale_ = true;
    return PixelGrid::ColumnMajor(columns_);
}

void SpectrogramRenderer::SetX(int x) {
    x_ = width_ > 0 ? ((x % width_) + width_) % width_ : 0;
}

void SpectrogramRenderer::DrawColumn(std::span<const float> values, int rows, int low, int high,
                                     bool overloaded) {
    if (picture_.isNull()) {
        trackingRow_ = -1;
        return;
    }
    rows = std::clamp(rows, 0, static_cast<int>(std::min<size_t>(values.size(), INT_MAX)));
    const int u = session_.updateRate;
    const int c = u > 0 ? x_ % u : x_;

    // Row 0 sits at the bottom of the block, or at row H - 1 of the picture when drawing straight on it.
    const PixelGrid picture = ColumnTarget();
    if (u > 0) {
        DrawSpectrum(PixelGrid::RowMajor(block_), c, block_.height() - 1, values, rows);
    } else {
        DrawSpectrum(picture, c, height_ - 1, values, rows);
    }

    // Without a block there is nothing to scroll: the lines stand at x in every mode.
    int p = x_;
    if (Scrolling() && u > 0) {
        p = width_ - u + c;
    }
    DrawLines(picture, p, low, high, overloaded);
    lineX_ = p;
    FinishColumn(c);
}

void SpectrogramRenderer::FinishColumn(int c) {
    const int u = session_.updateRate;
    if (u > 0 && c == u - 1) {
        TransferBlock(x_);
        if (Scrolling()) {
            lineX_ -= u; // the transfer moved the lines left with the picture
        }
    }
    x_ = (x_ + 1) % width_;
}

void SpectrogramRenderer::DrawStereoColumn(std::span<const float> upper, std::span<const float> lower,
                                           int halfRows, const std::array<StereoLevel, 2>& levels,
                                           bool redBlue, const std::array<int, 2>& trackingRows) {
    trackingRow_ = -1;
    if (picture_.isNull()) {
        return;
    }
    halfRows = std::clamp(halfRows, 0, static_cast<int>(std::min(upper.size(), lower.size())));
    const int u = session_.updateRate;
    const int c = u > 0 ? x_ % u : x_;
    const PixelGrid picture = ColumnTarget();
    const PixelGrid target = u > 0 ? PixelGrid::RowMajor(block_) : picture;
    const int bottom = u > 0 ? block_.height() - 1 : height_ - 1;
    const int top = bottom - (session_.rows - 1);
    if (c < target.Width()) {
        for (int j = 0; j < halfRows; ++j) {
            const auto i = static_cast<std::size_t>(j);
            target.Set(c, top + halfRows - 1 - j, palette_.Lookup(upper[i]));
            uint32_t colour = palette_.Lookup(lower[i]);
            if (redBlue) {
                const double r = std::max(lower[i] - 24.0, 0.0);
                const double l = std::max(upper[i] - 24.0, 0.0);
                const auto channel = [](double v) {
                    return static_cast<uint32_t>(std::clamp(RoundToInt32(v), 0, 255));
                };
                colour = 0xff000000u | channel(4 * r) << 16 | channel(r + l) << 8 | channel(4 * l);
            }
            target.Set(c, top + 2 * halfRows - 1 - j, colour);
        }
        for (int ch = 0; ch < 2; ++ch) {
            const int row = trackingRows[static_cast<std::size_t>(ch)];
            if (row >= 0 && row < halfRows) {
                target.Set(c, top + halfRows * (ch + 1) - 1 - row, PureRed);
            }
        }
    }
    int p = x_;
    if (Scrolling() && u > 0) {
        p = width_ - u + c;
    }
    DrawBand(picture, p);
    for (int ch = 0; ch < 2; ++ch) {
        const StereoLevel& level = levels[static_cast<std::size_t>(ch)];
        picture.VerticalLine(p, height_ + 36 * ch + 38 + level.high, height_ + 36 * ch + 37 + level.low,
                             level.overloaded ? PureRed : Black);
    }
    lineX_ = p;
    FinishColumn(c);
}

void SpectrogramRenderer::DrawSpectrum(const PixelGrid& target, int column, int bottomRow,
                                       std::span<const float> values, int rows) {
    const int trackingRow = trackingRow_;
    trackingRow_ = -1;
    if (column < 0 || column >= target.Width()) {
        return;
    }
    // Only rows whose y = bottomRow - j lies inside the target are written.
    const int first = std::max(0, bottomRow - (target.Height() - 1));
    const int last = std::min(rows - 1, bottomRow);
    if (first <= last) {
        palette_.LookupRun(
            values.subspan(static_cast<std::size_t>(first), static_cast<std::size_t>(last - first + 1)),
            target.At(column, bottomRow - first), -target.YStep());
    }

    const FrequencyMarkers& markers = session_.markers;
    if (markers.enabled) {
        const uint32_t colour = palette_.Entry(markers.level);
        for (const int row : markers.rows) {
            if (row > 0) {
                target.Set(column, bottomRow - row, colour);
            }
        }
    }
    if (trackingRow >= 0) {
        target.Set(column, bottomRow - trackingRow, PureRed);
    }
}

void SpectrogramRenderer::DrawTick(uint32_t colour) {
    ColumnTarget().VerticalLine(lineX_, height_ + 10, height_ + 16, colour | OpaqueAlpha);
}

void SpectrogramRenderer::DrawLines(const PixelGrid& target, int p, int low, int high, bool overloaded) {
    DrawBand(target, p);
    target.VerticalLine(p, height_ + 16 + high, height_ + 16 + low, overloaded ? PureRed : Black);
}

// The strip and the white band of column p (and the sweep cursor after it).
void SpectrogramRenderer::DrawBand(const PixelGrid& target, int p) {
    const int h = height_;
    target.VerticalLine(p, h, h + 16, borderColour_);
    target.VerticalLine(p, session_.scrollMode == 2 ? h + 16 : h + 17, h + 96, White);
    if (!Scrolling()) {
        target.VerticalLine(p + 1, h + 16, h + 96, borderColour_);
    }
}

void SpectrogramRenderer::TransferBlock(int x) {
    const int u = session_.updateRate;
    const int top = height_ - block_.height();
    QImage& picture = Rows();
    if (Scrolling()) {
        CopyPicture(block_, picture, width_ - u, top);
        ShiftLeft(picture, u);
    } else {
        CopyPicture(block_, picture, x - u + 1, top);
    }
}

void SpectrogramRenderer::RestoreCopy() {
    if (!copy_.isNull() && copy_.size() == picture_.size()) {
        Rows() = copy_;
    }
    copy_ = QImage();
}

} // namespace ondrix
