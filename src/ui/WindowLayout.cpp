#include "ui/WindowLayout.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>

#include <algorithm>

namespace ondrix {

namespace {

// Check boxes, options, buttons and frames show their caption themselves.
bool CarriesOwnCaption(ControlKind kind) {
    return kind == ControlKind::Check || kind == ControlKind::Option || kind == ControlKind::Button ||
           kind == ControlKind::Frame;
}

bool HasSideLabel(const Control& control, const Field& field) {
    return !CarriesOwnCaption(control.kind) && (!control.caption.empty() || !field.label.empty());
}

int CellsOf(const ControlModel& model, const Row& fields) {
    int cells = 0;
    for (const Field& field : fields) {
        cells += HasSideLabel(model.At(field.name), field) ? 2 : 1;
    }
    return cells;
}

} // namespace

int ColumnsOf(const ControlBinder& binder, const std::vector<Row>& rows) {
    int columns = 1;
    for (const Row& row : rows) {
        columns = std::max(columns, CellsOf(binder.Model(), row));
    }
    return columns;
}

void AddRow(ControlBinder& binder, QGridLayout& grid, int row, const Row& fields, QWidget* parent,
            int columns) {
    int column = 0;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const Field& field = fields[i];
        const Control& control = binder.Model().At(field.name);
        if (HasSideLabel(control, field)) {
            grid.addWidget(binder.CaptionLabel(field.name, parent, field.label), row, column++);
        }
        QWidget* widget = binder.Create(field.name, parent, field.look, field.label);
        if (!widget) {
            continue;
        }
        const bool last = i + 1 == fields.size();
        const int span = last ? std::max(1, columns - column) : 1;
        grid.addWidget(widget, row, column, 1, span);
        column += span;
    }
}

QWidget* BuildGroup(ControlBinder& binder, const Group& group, QWidget* parent) {
    QWidget* box = nullptr;
    if (!group.frame.empty()) {
        box = binder.Create(group.frame, parent, ControlBinder::Look::Default, group.title);
    } else if (!group.title.empty()) {
        box = new QGroupBox(QString::fromUtf8(group.title.data(), static_cast<qsizetype>(group.title.size())),
                            parent);
    } else {
        box = new QWidget(parent);
    }
    auto* grid = new QGridLayout(box);
    grid->setVerticalSpacing(3);
    if (group.frame.empty() && group.title.empty()) {
        grid->setContentsMargins(0, 0, 0, 0);
    }
    const int columns = ColumnsOf(binder, group.rows);
    int row = 0;
    for (const Row& fields : group.rows) {
        AddRow(binder, *grid, row++, fields, box, columns);
    }
    for (const Group& child : group.children) {
        grid->addWidget(BuildGroup(binder, child, box), row++, 0, 1, columns);
    }
    return box;
}

} // namespace ondrix
