// The splash window of start-up (frmSplash): the credits, a line of progress dots and a picture.
#pragma once

#include <QWidget>

#include <chrono>

class QLabel;
class QLineEdit;

namespace ondrix {

class SplashWindow : public QWidget {
    Q_OBJECT

public:
    // The length of the progress and the step at which it gains a dot.
    static constexpr std::chrono::milliseconds kLength{2000};
    static constexpr std::chrono::milliseconds kStep{10};

    explicit SplashWindow(const QString& credits, QWidget* parent = nullptr);

    // Shows the window and appends "." to the progress text each time a monotonic clock has advanced by
    // another step, for `length`, while events are processed; a click on the window, its picture or its
    // texts ends it early. Closes the window before returning.
    void Run(std::chrono::milliseconds length = kLength);

    QString Progress() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(class QMouseEvent* event) override;

signals:
    void Clicked();

private:
    QLabel* title_ = nullptr;
    QLineEdit* progress_ = nullptr;
    QLabel* picture_ = nullptr;
    bool clicked_ = false;
};

} // namespace ondrix
