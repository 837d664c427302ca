#include "ui/SplashWindow.h"

#include "display/Palette.h"
#include "display/ScalePreview.h"

#include <QEvent>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPixmap>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace ondrix {

namespace {

// The colour scale the picture shows, and the picture's height.
constexpr int kPictureScale = 0;
constexpr int kPictureHeight = 48;

} // namespace

SplashWindow::SplashWindow(const QString& credits, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName("frmSplash");
    // Closing it before the main window shows must not end the program.
    setAttribute(Qt::WA_QuitOnClose, false);

    title_ = new QLabel(credits, this);
    title_->setObjectName("Title");
    title_->setAlignment(Qt::AlignCenter);

    Palette palette;
    palette.BuildPalette(kPictureScale);
    picture_ = new QLabel(this);
    picture_->setObjectName("Picture");
    picture_->setPixmap(
        QPixmap::fromImage(ColourScalePreview(palette).scaled(ScalePreviewWidth, kPictureHeight)));
    picture_->setAlignment(Qt::AlignCenter);

    progress_ = new QLineEdit(this);
    progress_->setObjectName("TextProgress");
    progress_->setReadOnly(true);
    progress_->setFocusPolicy(Qt::NoFocus);
    progress_->setFrame(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title_);
    layout->addWidget(picture_);
    layout->addWidget(progress_);
    for (QWidget* child :
         {static_cast<QWidget*>(title_), static_cast<QWidget*>(picture_), static_cast<QWidget*>(progress_)}) {
        child->installEventFilter(this);
    }
}

QString SplashWindow::Progress() const {
    return progress_->text();
}

bool SplashWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        clicked_ = true;
        emit Clicked();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void SplashWindow::mousePressEvent(QMouseEvent* event) {
    clicked_ = true;
    emit Clicked();
    event->accept();
}

void SplashWindow::Run(std::chrono::milliseconds length) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    const auto steps = static_cast<int>(length / kStep);
    int shown = 0;

    QEventLoop loop;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        // A late tick catches up: the dots count the steps of the clock, not the ticks.
        const auto due = std::min(steps, static_cast<int>((Clock::now() - start) / kStep));
        if (due > shown) {
            progress_->setText(progress_->text() + QString(due - shown, QLatin1Char('.')));
            progress_->setCursorPosition(progress_->text().size());
            shown = due;
        }
        if (shown >= steps) {
            loop.quit();
        }
    });
    QObject::connect(this, &SplashWindow::Clicked, &loop, &QEventLoop::quit);

    show();
    raise();
    if (!clicked_ && steps > 0) {
        tick.start(kStep);
        loop.exec();
    }
    close();
}

} // namespace ondrix
