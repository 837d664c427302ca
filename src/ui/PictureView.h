// A drawing surface of a window: a small picture (colour bars) or lines of fixed-pitch text.
#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

namespace ondrix {

// Shows its image at the top-left corner at the image's own size, and any text below it in the
// system's fixed-pitch font, one line per "\n". The area beyond is the window colour.
class PictureView : public QWidget {
    Q_OBJECT

public:
    explicit PictureView(QWidget* parent = nullptr);

    void SetImage(const QImage& image);
    const QImage& Image() const { return image_; }

    void SetText(const QString& text);
    const QString& Text() const { return text_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage image_;
    QString text_;
};

} // namespace ondrix
