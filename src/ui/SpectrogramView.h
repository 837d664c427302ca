// The spectrogram picture of the main window (SpecGram): paints the renderer's picture.
#pragma once

#include <QWidget>

namespace ondrix {

class SpectrogramRenderer;

// Paints SpectrogramRenderer::Picture() by reference (a kept copy would make the renderer copy the whole
// picture before its next column). The view asks for the picture's size (W x (H + 97)) and is exactly as
// tall; the picture's width is decided once for the screen, so resizing the window never disturbs it.
class SpectrogramView : public QWidget {
    Q_OBJECT

public:
    explicit SpectrogramView(const SpectrogramRenderer& renderer, QWidget* parent = nullptr);

    // Takes the height of the renderer's picture after a layout change and repaints.
    void FitPicture();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const SpectrogramRenderer& renderer_;
};

} // namespace ondrix
