#include "ui/TerminationSignals.h"

#include <QSocketNotifier>
#include <QTimer>

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace ondrix {

namespace {

constexpr std::array<int, 3> kSignals = {SIGINT, SIGTERM, SIGHUP};

// The pipe's write end for the signal handler.
volatile std::sig_atomic_t signalPipe = -1;
std::array<struct sigaction, kSignals.size()> previousActions{};

// Async-signal-safe: one write of one byte, errno kept.
void OnSignal(int number) {
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(number);
    [[maybe_unused]] const ssize_t written = write(signalPipe, &byte, 1);
    errno = savedErrno;
}

} // namespace

TerminationSignals::TerminationSignals() {
    int fds[2];
    if (signalPipe >= 0 || pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    readFd_ = fds[0];
    writeFd_ = fds[1];
    signalPipe = writeFd_;
    notifier_ = std::make_unique<QSocketNotifier>(readFd_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { Drain(); });

    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        sigaction(kSignals[i], &action, &previousActions[i]);
    }
    installed_ = true;
}

TerminationSignals::~TerminationSignals() {
    if (!installed_) {
        return;
    }
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        sigaction(kSignals[i], &previousActions[i], nullptr);
    }
    notifier_.reset();
    signalPipe = -1;
    close(writeFd_);
    close(readFd_);
}

void TerminationSignals::SetHandler(std::function<void(int)> handler) {
    handler_ = std::move(handler);
    if (pending_ != 0) {
        QTimer::singleShot(0, this, [this] { Deliver(); });
    }
}

void TerminationSignals::Drain() {
    unsigned char bytes[64];
    ssize_t got = 0;
    while ((got = read(readFd_, bytes, sizeof bytes)) > 0) {
        pending_ = bytes[got - 1];
    }
    Deliver();
}

void TerminationSignals::Deliver() {
    if (pending_ == 0 || !handler_) {
        return;
    }
    const int signal = pending_;
    pending_ = 0;
    handler_(signal);
}

} // namespace ondrix
