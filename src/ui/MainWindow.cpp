#include "ui/MainWindow.h"

#include "settings/ProgramIdentity.h"
#include "settings/SettingsModel.h"
#include "ui/AxesView.h"
#include "ui/PictureView.h"
#include "ui/SpectrogramView.h"
#include "ui/WindowLayout.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace ondrix {

namespace {

using Look = ControlBinder::Look;

// The Quick Settings panel, in the order of the settings it holds.
Group QuickSettingsGroup() {
    return {.frame = "Frame1",
            .title = "Quick Settings",
            .rows = {{{"BlockSize"}},
                     {{"SampleRate"}},
                     {{"FFTSize"}},
                     {{"WindowSize"}},
                     {{"WindowType"}},
                     {{"ScanStep"}},
                     {{"Combo7"}},
                     {{"Combo8"}},
                     {{"Picture2"}},
                     {{"Combo12"}},
                     {{"Combo10", "Device"}},
                     {{"Text1", "Colour Shift"}, {"UpDown1"}},
                     {{"Text2", "Gain"}, {"UpDown2"}},
                     {{"Check1"}, {"Text5"}},
                     {{"ZoomFlag"}, {"ZoomBaseField"}, {"UpDown5"}},
                     {{"Combo9"}}},
            .children = {
                {.frame = "Frame4CH",
                 .rows = {{{"SetCH1", "L channel"}, {"UpDown3"}}, {{"SetCH2", "R channel"}, {"UpDown4"}}}}}};
}

Group SessionGroup() {
    return {.title = "Session",
            .rows = {{{"StartStop"}, {"Command23"}},
                     {{"PauseButton", {}, Look::ToggleButton}, {"RecPauseFlag", {}, Look::ToggleButton}},
                     {{"QuickRecButton"}},
                     {{"GoToS"}, {"Text4"}},
                     {{"Check2"}, {"ShowDateTime"}},
                     {{"Label28", "Fails"}, {"Label27", "CPU"}}}};
}

// The navigation buttons carry no caption of their own; the window shows where each one moves.
Group FileNavigationGroup() {
    return {.frame = "Frame4",
            .title = "File navigation",
            .rows = {{{"Command1", "|<"},
                      {"Command3", "< 1"},
                      {"Command7", "< 1/4"},
                      {"Command12", "< 1/16"},
                      {"Command13", "1/16 >"},
                      {"Command11", "1/4 >"},
                      {"Command6", "1 >"},
                      {"Command5", ">|"}},
                     {{"GoToS2"}, {"Text3"}, {"Jump"}, {"Text6"}, {"RefreshButton"}, {"Command9"}}}};
}

// The status lines and the counters of a run, each under a short name of what it counts.
std::vector<Row> StatusRows() {
    return {{{"Label4"}},
            {{"StatusLine", "Info"}},
            {{"HeadLine", "Events"}},
            {{"L24", "Fails"},
             {"L25", "Overloads"},
             {"CounterLabel"},
             {"Label6", "CPU"},
             {"BufferLabel", "Buffer"}},
            {{"Label3", "Elapsed"}, {"DateTime", "Date"}, {"Label18", "Rec size"}, {"Label5", "Track"}},
            {{"LabelCursors", "Cursor"},
             {"UDPTXT", "GPS"},
             {"Label20", "Buffers"},
             {"Label21", "Peak"},
             {"Label7", "Mean"}}};
}

// Readouts look like readouts, also while empty.
void FrameReadouts(ControlBinder& binder, const std::vector<Row>& rows) {
    for (const Row& row : rows) {
        for (const Field& field : row) {
            if (auto* label = qobject_cast<QLabel*>(binder.Widget(field.name))) {
                label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
                label->setMinimumWidth(64);
                label->setTextInteractionFlags(Qt::TextSelectableByMouse);
            }
        }
    }
}

} // namespace

MainWindow::MainWindow(SettingsModel& settings, MenuModel& menus, const SpectrogramRenderer& renderer)
    : controls_(std::make_unique<ControlBinder>(settings.Form1())) {
    setObjectName("Form1");
    setWindowTitle(QString::fromUtf8(kWindowCaption.data(), static_cast<qsizetype>(kWindowCaption.size())));
    menus_ = std::make_unique<MenuBinder>(menus, *menuBar());

    auto* central = new QWidget(this);
    auto* columns = new QHBoxLayout(central);

    auto* left = new QVBoxLayout;
    left->addWidget(BuildQuickSettings(central));
    left->addWidget(BuildSessionButtons(central));
    left->addStretch(1);
    columns->addLayout(left, 0);

    auto* right = new QVBoxLayout;
    spectrogram_ = new SpectrogramView(renderer, central);
    spectrogram_->setObjectName("SpecGram");
    axes_ = new AxesView(spectrogram_, central);
    axes_->setObjectName("SpecGramAxes");
    right->addWidget(axes_, 0, Qt::AlignLeft);
    right->addWidget(BuildFileNavigation(central));
    right->addWidget(BuildStatusArea(central));
    right->addStretch(1);
    columns->addLayout(right, 1);

    setCentralWidget(central);
}

MainWindow::~MainWindow() = default;

QWidget* MainWindow::BuildQuickSettings(QWidget* parent) {
    QWidget* panel = BuildGroup(*controls_, QuickSettingsGroup(), parent);
    panel->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    return panel;
}

QWidget* MainWindow::BuildSessionButtons(QWidget* parent) {
    QWidget* box = BuildGroup(*controls_, SessionGroup(), parent);
    if (auto* start = qobject_cast<QPushButton*>(controls_->Widget("StartStop"))) {
        QFont font = start->font();
        font.setBold(true);
        start->setFont(font);
        start->setMinimumHeight(2 * start->sizeHint().height());
    }
    FrameReadouts(*controls_, SessionGroup().rows);
    return box;
}

QWidget* MainWindow::BuildFileNavigation(QWidget* parent) {
    return BuildGroup(*controls_, FileNavigationGroup(), parent);
}

QWidget* MainWindow::BuildStatusArea(QWidget* parent) {
    auto* box = new QGroupBox(parent);
    box->setObjectName("StatusArea");
    auto* grid = new QGridLayout(box);
    grid->setVerticalSpacing(3);
    const std::vector<Row> rows = StatusRows();
    const int columns = ColumnsOf(*controls_, rows);
    for (std::size_t row = 0; row < rows.size(); ++row) {
        AddRow(*controls_, *grid, static_cast<int>(row), rows[row], box, columns);
    }
    FrameReadouts(*controls_, rows);
    return box;
}

PictureView& MainWindow::ColourPreview() {
    return *controls_->Picture("Picture2");
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (closeHandler_ && !closeHandler_()) {
        event->ignore();
        return;
    }
    event->accept();
}

} // namespace ondrix
