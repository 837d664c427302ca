#include "ui/UtilityWindows.h"

#include "audio/DeviceLists.h"
#include "cd/CdPlayerPanel.h"
#include "settings/MenuModel.h"
#include "settings/SettingsModel.h"
#include "system/SystemCommands.h"

#include <QGridLayout>
#include <QLabel>
#include <QPointer>
#include <QPrinterInfo>
#include <QPushButton>
#include <QVBoxLayout>

namespace ondrix {

namespace {

// The status is shown twice a second.
constexpr int kStatusIntervalMs = 500;

std::vector<std::string> PrinterNames() {
    std::vector<std::string> names;
    for (const QString& name : QPrinterInfo::availablePrinterNames()) {
        names.push_back(name.toStdString());
    }
    return names;
}

} // namespace

CdPlayerWindow::CdPlayerWindow(SettingsModel& settings, DeviceLists& devices, Interaction& interaction,
                               QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint) {
    setObjectName("CDplayer");
    setWindowTitle("CD Player");
    DeviceCatalog& catalog = devices.Catalog();
    engine_ =
        std::make_unique<CdEngine>(MakeLibcdioSource(), [&catalog](int position, const StreamFormat& format) {
            return catalog.OpenOutput(position, format);
        });
    panel_ = std::make_unique<CdPlayerPanel>(*engine_, interaction, [&settings, &devices] {
        return devices.FindOutputDevice(settings.Options0().Text("Combo9"));
    });

    auto* layout = new QVBoxLayout(this);
    totalPlay_ = new QLabel(this);
    totalPlay_->setObjectName("totalplay");
    trackTime_ = new QLabel(this);
    trackTime_->setObjectName("tracktime");
    timeWindow_ = new QLabel(this);
    timeWindow_->setObjectName("TimeWindow");
    for (QLabel* label : {totalPlay_, trackTime_, timeWindow_}) {
        layout->addWidget(label);
    }
    auto* grid = new QGridLayout;
    layout->addLayout(grid);
    const struct {
        const char* name;
        const char* text;
        void (CdPlayerPanel::*press)();
    } buttons[] = {
        {"btrack", "|<", &CdPlayerPanel::PreviousTrack}, {"rew", "<<", &CdPlayerPanel::Rewind},
        {"play", "Play", &CdPlayerPanel::Play},          {"pause", "Pause", &CdPlayerPanel::Pause},
        {"stopbtn", "Stop", &CdPlayerPanel::StopButton}, {"ff", ">>", &CdPlayerPanel::FastForward},
        {"ftrack", ">|", &CdPlayerPanel::NextTrack},     {"eject", "Eject", &CdPlayerPanel::Eject},
    };
    int column = 0;
    for (const auto& entry : buttons) {
        auto* button = new QPushButton(QString::fromLatin1(entry.text), this);
        button->setObjectName(QString::fromLatin1(entry.name));
        button->setEnabled(false);
        QObject::connect(button, &QPushButton::clicked, this, [this, press = entry.press] {
            (panel_.get()->*press)();
            Refresh();
        });
        grid->addWidget(button, 0, column++);
        if (entry.press == &CdPlayerPanel::Eject) {
            eject_ = button;
        } else {
            buttons_.push_back(button);
        }
    }
    timer_.setInterval(kStatusIntervalMs);
    QObject::connect(&timer_, &QTimer::timeout, this, [this] {
        panel_->StatusUpdate();
        Refresh();
    });
}

CdPlayerWindow::~CdPlayerWindow() {
    timer_.stop();
    panel_.reset();
    engine_.reset();
}

void CdPlayerWindow::Toggle() {
    if (isVisible()) {
        hide();
        timer_.stop();
        return;
    }
    show();
    raise();
    if (!loaded_) {
        loaded_ = true;
        panel_->Load();
    }
    timer_.start();
    panel_->StatusUpdate();
    Refresh();
}

void CdPlayerWindow::Refresh() {
    const CdPlayerView& view = panel_->View();
    totalPlay_->setText(QString::fromStdString(view.totalPlay));
    trackTime_->setText(QString::fromStdString(view.trackTime));
    timeWindow_->setText(QString::fromStdString(view.timeWindow));
    for (QPushButton* button : buttons_) {
        button->setEnabled(view.buttons);
    }
    eject_->setEnabled(view.eject);
}

void AttachUtilities(UtilityParts parts) {
    AttachSystemUtilities(SystemEnvironment{.settings = parts.settings,
                                            .menus = parts.menus,
                                            .interaction = parts.interaction,
                                            .volumes = parts.volumes,
                                            .palette = parts.palette,
                                            .programFolder = parts.programFolder,
                                            .showReport = parts.showReport,
                                            .printers = PrinterNames,
                                            .updateForm = parts.updateForm,
                                            .restoreSpecGram = parts.restoreSpecGram});
    // The player window is made the first time it is asked for; the main window owns it.
    auto player = std::make_shared<QPointer<CdPlayerWindow>>();
    parts.menus.SetHandler("CDCommands", [player, &settings = parts.settings, &devices = parts.devices,
                                          &interaction = parts.interaction, parent = parts.parent] {
        if (!*player) {
            *player = new CdPlayerWindow(settings, devices, interaction, parent);
        }
        (*player)->Toggle();
    });
}

} // namespace ondrix
