// Qt widgets for the controls of one window's control model, kept in step with the model both ways.
#pragma once

#include "settings/ControlModel.h"

#include <QObject>

#include <memory>
#include <string>
#include <string_view>

class QLabel;
class QWidget;

namespace ondrix {

class PictureView;

// Creates one widget per control (object name = control name) and binds it:
// - user operations reach the model as its user operations: a finished edit of a field or a list text is
//   Type, an entry chosen from a list is Pick, a check/option/button click is Click, a spin or scroll
//   move is Spin (only the pick fires the coupling rules);
// - every model change (text, items, caption, enabled, visible, range, colour) is shown on the widget.
// Model-to-widget updates never fire model operations. The binder may be destroyed before the model
// (its listener then does nothing) and before its widgets (their signals are then dropped).
class ControlBinder {
public:
    // How a control is shown when its kind allows more than one look.
    enum class Look {
        Default,      // text field, list box, check box, option button, spin arrows, scroll bar, ...
        ToggleButton, // a check shown as a button that stays down while checked
    };

    explicit ControlBinder(ControlModel& model);
    ~ControlBinder();
    ControlBinder(const ControlBinder&) = delete;
    ControlBinder& operator=(const ControlBinder&) = delete;

    ControlModel& Model() { return model_; }
    const ControlModel& Model() const { return model_; }

    // The control's widget, created as a child of parent. Sockets and serial ports have none (nullptr).
    // `fallbackCaption` is shown on a button or frame whose control has no caption of its own.
    QWidget* Create(std::string_view name, QWidget* parent, Look look = Look::Default,
                    std::string_view fallbackCaption = {});

    // A label with the caption of a field or list (the text beside it), or `fallback` when the control
    // has none. It follows the control's caption, tooltip, enabled and visible state.
    QLabel* CaptionLabel(std::string_view name, QWidget* parent, std::string_view fallback = {});

    // The widget created for a control, or nullptr.
    QWidget* Widget(std::string_view name) const;
    PictureView* Picture(std::string_view name) const;

private:
    struct State;

    ControlModel& model_;
    QObject context_; // receiver of the widget signals: destroying the binder drops them
    std::shared_ptr<State> state_;
};

} // namespace ondrix
