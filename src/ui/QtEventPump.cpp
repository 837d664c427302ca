#include "ui/QtEventPump.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QThread>
#include <QTimer>

namespace ondrix {

void QtEventPump::ProcessEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtEventPump::WaitForEvents(std::chrono::milliseconds timeout) {
    QAbstractEventDispatcher* dispatcher = QThread::currentThread()->eventDispatcher();
    if (timeout.count() <= 0 || dispatcher == nullptr) {
        ProcessEvents();
        return;
    }
    // The timer bounds the wait: its expiry is itself an event that wakes the dispatcher.
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    deadline.start(timeout);
    dispatcher->processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    QCoreApplication::sendPostedEvents();
}

} // namespace ondrix
