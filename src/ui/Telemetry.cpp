#include "ui/Telemetry.h"

#include "remote/GpsLogger.h"
#include "remote/GpsPositionReceiver.h"
#include "settings/MenuModel.h"
#include "settings/SettingsModel.h"
#include "ui/TcpReceiverWindow.h"

#include <QEvent>
#include <QPointer>

namespace ondrix {

namespace {

class Telemetry : public QObject {
public:
    Telemetry(QWidget& mainWindow, QWidget& specialSettings, SettingsModel& settings, MenuModel& menus,
              Interaction& interaction, const std::string& programFolder)
        : QObject(&mainWindow), logger_(settings.Options2(), interaction, programFolder),
          positions_(settings, interaction) {
        specialSettings.installEventFilter(this);
        menus.SetHandler("SetTcpIp", [this, &mainWindow, &settings, &interaction] {
            if (!tcp_) {
                tcp_ =
                    new TcpReceiverWindow(settings, interaction, TcpBlockReceiver::kDefaultPort, &mainWindow);
                tcp_->setAttribute(Qt::WA_DeleteOnClose);
            }
            tcp_->show();
            tcp_->raise();
            tcp_->activateWindow();
        });
    }

protected:
    // The window closing (not minimised with the main window) ends the GPS reading.
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Hide && !event->spontaneous()) {
            logger_.Stop();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    GpsLogger logger_;
    GpsPositionReceiver positions_;
    QPointer<TcpReceiverWindow> tcp_;
};

} // namespace

void AttachTelemetry(QWidget& mainWindow, QWidget& specialSettings, SettingsModel& settings, MenuModel& menus,
                     Interaction& interaction, const std::string& programFolder) {
    new Telemetry(mainWindow, specialSettings, settings, menus, interaction, programFolder);
}

} // namespace ondrix
