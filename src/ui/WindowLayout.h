// Windows laid out from a short description: groups of rows of controls.
#pragma once

#include "ui/ControlBinder.h"

#include <string_view>
#include <vector>

class QGridLayout;
class QWidget;

namespace ondrix {

// A control in a row. `label` is the text shown beside a field, list, spin or label control that has
// no caption of its own (the window's wording, never a model text); `look` as for ControlBinder.
struct Field {
    std::string_view name;
    std::string_view label = {};
    ControlBinder::Look look = ControlBinder::Look::Default;
};

using Row = std::vector<Field>;

// A group box with rows of controls. `frame` names the model's frame control for the box (its caption,
// enabled and visible state then come from the model); without it the box is a plain one titled
// `title`. `title` is also the title of a frame whose control has no caption. Without frame and title
// the rows stand without a box (a row of window buttons).
struct Group {
    std::string_view frame = {};
    std::string_view title = {};
    std::vector<Row> rows = {};
    std::vector<Group> children = {}; // boxes inside this one, below its rows
};

// Builds the group box with its controls bound through the binder.
QWidget* BuildGroup(ControlBinder& binder, const Group& group, QWidget* parent);

// Adds one row of controls to a grid: each control with its caption label in the column before it; the
// last control of the row spans to the grid's last column.
void AddRow(ControlBinder& binder, QGridLayout& grid, int row, const Row& fields, QWidget* parent,
            int columns);

// The number of grid columns the rows need.
int ColumnsOf(const ControlBinder& binder, const std::vector<Row>& rows);

} // namespace ondrix
