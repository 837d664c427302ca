// The spectrogram picture of the main window (SpecGram): paints the renderer's picture.
#pragma once

#include <QWidget>

#include <functional>
#include <string>
#include <vector>

namespace ondrix {

class SpectrogramRenderer;

// Paints SpectrogramRenderer::Picture() by reference (a kept copy would make the renderer copy the whole
// picture before its next column). The view asks for the picture's size (W x (H + 97)) and is exactly as
// tall; the picture's width is decided once for the screen, so resizing the window never disturbs it.
// Mouse presses and moves (tracked also without a button) reach the handlers with the buttons counted
// as the cursor readout counts them (left 1, right 2, middle 4) and the point in picture pixels.
class SpectrogramView : public QWidget {
    Q_OBJECT

public:
    explicit SpectrogramView(const SpectrogramRenderer& renderer, QWidget* parent = nullptr);

    // Takes the height of the renderer's picture after a layout change, repaints, and tells the layout
    // handler.
    void FitPicture();

    using MouseHandler = std::function<void(int buttons, int x, int y)>;
    void SetMouseHandlers(MouseHandler press, MouseHandler move);
    void SetLayoutHandler(std::function<void()> handler) { layoutHandler_ = std::move(handler); }
    // The labels of the two stacked halves ("L" and "R", ...), painted over the top of each half of the
    // picture's `rows` spectrogram rows; none for a single display.
    void SetHalfLabels(std::vector<std::string> labels, int rows);
    const std::vector<std::string>& HalfLabels() const { return halfLabels_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    const SpectrogramRenderer& renderer_;
    MouseHandler press_;
    MouseHandler move_;
    std::function<void()> layoutHandler_;
    std::vector<std::string> halfLabels_;
    int labelRows_ = 0;
};

} // namespace ondrix
