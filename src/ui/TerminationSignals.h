// SIGINT, SIGTERM and SIGHUP delivered as events of the window thread.
#pragma once

#include <QObject>

#include <functional>
#include <memory>

class QSocketNotifier;

namespace ondrix {

// While it exists the three signals no longer end the process: the signal handler only writes the
// signal's number to a pipe, and the pipe's notifier calls the handler from the event loop, where the
// program can stop a run and clean up. One instance at a time.
class TerminationSignals : public QObject {
    Q_OBJECT

public:
    TerminationSignals();
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // False when the pipe could not be made; the signals then keep their previous actions.
    bool Installed() const { return installed_; }

    // Called with the signal's number from the event loop. A signal that arrived before the handler was
    // set is handed over once the event loop runs.
    void SetHandler(std::function<void(int signal)> handler);

private:
    void Drain();
    void Deliver();

    int readFd_ = -1;
    int writeFd_ = -1;
    bool installed_ = false;
    int pending_ = 0; // the last signal not yet handed over
    std::unique_ptr<QSocketNotifier> notifier_;
    std::function<void(int)> handler_;
};

} // namespace ondrix
