#include "ui/TcpReceiverWindow.h"

#include "common/Interaction.h"
#include "settings/SettingsModel.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHostInfo>
#include <QLineEdit>
#include <QNetworkInterface>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace ondrix {

namespace {

// The first IPv4 address of this computer that other computers can reach, else the loopback address.
QString LocalAddress() {
    for (const QHostAddress& address : QNetworkInterface::allAddresses()) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback()) {
            return address.toString();
        }
    }
    return QHostAddress(QHostAddress::LocalHost).toString();
}

} // namespace

TcpReceiverWindow::TcpReceiverWindow(SettingsModel& settings, Interaction& interaction, uint16_t port,
                                     QWidget* parent)
    : QWidget(parent, Qt::Window), receiver_([this] { Show(); }) {
    setObjectName("TcpIp");
    auto* form = new QFormLayout;
    for (const auto& [name, label] : {std::pair{"Text4", "State"},
                                      {"Text2", "Block"},
                                      {"Text5", "Total"},
                                      {"Text3", "Echo"},
                                      {"Text1", "Sample 512"}}) {
        auto* field = new QLineEdit;
        field->setObjectName(name);
        field->setReadOnly(true);
        field->setMinimumWidth(320);
        form->addRow(label, field);
        fields_[name] = field;
    }
    auto* echo = new QGroupBox("Echo");
    echo->setObjectName("Frame1");
    auto* acknowledge = new QRadioButton("acknowledge");
    acknowledge->setObjectName("Option2");
    acknowledge->setChecked(true);
    auto* silent = new QRadioButton("no echo");
    silent->setObjectName("Option1");
    auto* echoRow = new QHBoxLayout(echo);
    echoRow->addWidget(acknowledge);
    echoRow->addWidget(silent);
    connect(acknowledge, &QRadioButton::toggled, this, [this](bool on) { receiver_.SetEcho(on); });

    auto* ok = new QPushButton("OK");
    ok->setObjectName("Command1");
    connect(ok, &QPushButton::clicked, this, [this, &settings] {
        settings.Form1().SetText("Label4", "Receiving data from " + receiver_.PeerAddress());
    });
    auto* exit = new QPushButton("Exit");
    exit->setObjectName("Command2");
    exit->setEnabled(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(exit);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(echo);
    layout->addLayout(buttons);

    setWindowTitle(QHostInfo::localHostName() + ": " + LocalAddress());
    const std::string refused = receiver_.Listen(port);
    if (!refused.empty()) {
        interaction.ShowMessage(refused, MessageIcon::Exclamation);
    }
}

void TcpReceiverWindow::Show() {
    const TcpReceiverTexts& texts = receiver_.Texts();
    for (const auto& [name, text] : {std::pair{"Text4", &texts.state},
                                     {"Text2", &texts.block},
                                     {"Text5", &texts.totals},
                                     {"Text3", &texts.target},
                                     {"Text1", &texts.sample}}) {
        fields_[name]->setText(QString::fromStdString(*text));
    }
}

} // namespace ondrix
