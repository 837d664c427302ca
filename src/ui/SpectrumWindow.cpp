#include "ui/SpectrumWindow.h"

#include "display/SpectrumPlot.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace ondrix {

namespace {

// Paints the plot's picture by reference: a copy per column would copy the whole picture.
class PlotPicture : public QWidget {
public:
    PlotPicture(const SpectrumPlot& plot, QWidget* parent) : QWidget(parent), plot_(plot) {
        setObjectName("Picture1");
        setAttribute(Qt::WA_OpaquePaintEvent);
        setFixedSize(plot.Picture().size());
    }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).drawImage(0, 0, plot_.Picture()); }

private:
    const SpectrumPlot& plot_;
};

} // namespace

SpectrumWindow::SpectrumWindow(SpectrumPlot& plot, QWidget* parent)
    : QWidget(parent, Qt::Tool), plot_(plot), picture_(new PlotPicture(plot, this)),
      weight_(new QLineEdit(QString::fromStdString(plot.WeightText()), this)) {
    setObjectName("SpecForm");
    setWindowTitle("Spec");
    weight_->setObjectName("Text1");
    weight_->setToolTip("Weight of the newest column in the plotted average (from the next Reset All)");
    auto* reset = new QPushButton("Reset All", this);
    reset->setObjectName("Command1");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(picture_);
    auto* row = new QHBoxLayout;
    row->addWidget(weight_);
    row->addWidget(reset);
    row->addStretch(1);
    layout->addLayout(row);
    connect(weight_, &QLineEdit::editingFinished, this,
            [this] { plot_.SetWeightText(weight_->text().toStdString()); });
    connect(reset, &QPushButton::clicked, this, [this] {
        plot_.Reset();
        Refresh();
    });
}

void SpectrumWindow::Refresh() {
    const QString weight = QString::fromStdString(plot_.WeightText());
    if (weight_->text() != weight && !weight_->hasFocus()) {
        weight_->setText(weight);
    }
    picture_->update();
}

} // namespace ondrix
