#include "ui/ControlBinder.h"

#include "ui/PictureView.h"
#include "ui/UpDownButtons.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>

#include <map>
#include <vector>

namespace ondrix {

namespace {

QString ToQt(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string FromQt(const QString& text) {
    return text.toStdString();
}

} // namespace

struct ControlBinder::State {
    struct Binding {
        QPointer<QWidget> widget;
        std::vector<QPointer<QLabel>> captionLabels;
        std::string fallbackCaption;
    };

    explicit State(ControlModel& model) : model(model) {}

    // Shows one change of the model on the control's widgets. Nothing shown here reaches the model.
    void Show(const std::string& name, ControlModel::Change what);
    void ShowText(const Control& control, QWidget* widget);
    void ShowItems(const Control& control, QWidget* widget);
    void ShowCaption(const Control& control, Binding& binding);
    void ShowRange(const Control& control, QWidget* widget);
    void ShowColour(const Control& control, QWidget* widget);
    void ShowAll(const std::string& name);

    ControlModel& model;
    std::map<std::string, Binding, std::less<>> bindings;
    int updating = 0; // > 0 while the widgets are being brought in line with the model
};

namespace {

// Counts the model-to-widget update in progress, so the widgets' signals are ignored meanwhile.
class UpdatingScope {
public:
    explicit UpdatingScope(int& counter) : counter_(counter) { ++counter_; }
    ~UpdatingScope() { --counter_; }
    UpdatingScope(const UpdatingScope&) = delete;
    UpdatingScope& operator=(const UpdatingScope&) = delete;

private:
    int& counter_;
};

} // namespace

void ControlBinder::State::ShowText(const Control& control, QWidget* widget) {
    const QString text = ToQt(control.text);
    switch (control.kind) {
    case ControlKind::Text:
        if (auto* edit = qobject_cast<QLineEdit*>(widget); edit && edit->text() != text) {
            edit->setText(text);
        }
        break;
    case ControlKind::List:
        if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            combo->setCurrentIndex(control.listIndex < combo->count() ? control.listIndex : -1);
            if (combo->currentText() != text) {
                combo->setEditText(text);
            }
            // A text longer than the box shows its beginning, where the number is.
            combo->lineEdit()->setCursorPosition(0);
        }
        break;
    case ControlKind::Check:
    case ControlKind::Option:
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            button->setChecked(model.Checked(control.name));
        }
        break;
    case ControlKind::Spin:
        if (auto* spin = qobject_cast<QSpinBox*>(widget)) {
            spin->setValue(model.IntValue(control.name));
        }
        break;
    case ControlKind::Scroll:
        if (auto* bar = qobject_cast<QScrollBar*>(widget)) {
            bar->setValue(model.IntValue(control.name));
        }
        break;
    case ControlKind::Label:
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            label->setText(text);
        }
        break;
    case ControlKind::Picture:
        if (auto* picture = qobject_cast<PictureView*>(widget)) {
            picture->SetText(text);
        }
        break;
    default:
        break;
    }
}

void ControlBinder::State::ShowItems(const Control& control, QWidget* widget) {
    if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        combo->clear();
        for (const std::string& item : control.items) {
            combo->addItem(ToQt(item));
        }
        ShowText(control, widget);
    }
}

void ControlBinder::State::ShowCaption(const Control& control, Binding& binding) {
    const QString caption = ToQt(control.caption.empty() ? binding.fallbackCaption : control.caption);
    if (auto* group = qobject_cast<QGroupBox*>(binding.widget)) {
        group->setTitle(caption);
    } else if (auto* button = qobject_cast<QAbstractButton*>(binding.widget)) {
        button->setText(caption);
    }
    for (const QPointer<QLabel>& label : binding.captionLabels) {
        if (label && !control.caption.empty()) {
            label->setText(caption);
        }
    }
}

void ControlBinder::State::ShowRange(const Control& control, QWidget* widget) {
    if (auto* spin = qobject_cast<QSpinBox*>(widget)) {
        spin->setRange(control.minimum, control.maximum);
    } else if (auto* bar = qobject_cast<QScrollBar*>(widget)) {
        bar->setRange(control.minimum, control.maximum);
    }
    ShowText(control, widget);
}

void ControlBinder::State::ShowColour(const Control& control, QWidget* widget) {
    if (!widget) {
        return;
    }
    if (!control.background) {
        widget->setPalette(QPalette());
        return;
    }
    const QColor colour = QColor::fromRgb(static_cast<QRgb>(*control.background | 0xff000000u));
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Button, colour);
    palette.setColor(QPalette::Window, colour);
    palette.setColor(QPalette::Base, colour);
    // Keep the caption readable on dark colours.
    const QColor text = colour.lightness() < 128 ? QColor(Qt::white) : QColor(Qt::black);
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::WindowText, text);
    widget->setPalette(palette);
}

void ControlBinder::State::Show(const std::string& name, ControlModel::Change what) {
    const auto found = bindings.find(name);
    if (found == bindings.end()) {
        return;
    }
    Binding& binding = found->second;
    QWidget* widget = binding.widget;
    const Control& control = model.At(name);
    UpdatingScope scope(updating);
    switch (what) {
    case ControlModel::Change::Text:
        ShowText(control, widget);
        break;
    case ControlModel::Change::Items:
        ShowItems(control, widget);
        break;
    case ControlModel::Change::Caption:
        ShowCaption(control, binding);
        break;
    case ControlModel::Change::Enabled:
    case ControlModel::Change::Visible:
        if (widget) {
            widget->setEnabled(control.enabled);
            widget->setVisible(control.visible);
        }
        for (const QPointer<QLabel>& label : binding.captionLabels) {
            if (label) {
                label->setEnabled(control.enabled);
                label->setVisible(control.visible);
            }
        }
        break;
    case ControlModel::Change::Range:
        ShowRange(control, widget);
        break;
    case ControlModel::Change::Colour:
        ShowColour(control, widget);
        break;
    }
}

void ControlBinder::State::ShowAll(const std::string& name) {
    for (ControlModel::Change what :
         {ControlModel::Change::Items, ControlModel::Change::Range, ControlModel::Change::Text,
          ControlModel::Change::Caption, ControlModel::Change::Enabled, ControlModel::Change::Colour}) {
        Show(name, what);
    }
}

ControlBinder::ControlBinder(ControlModel& model) : model_(model), state_(std::make_shared<State>(model)) {
    std::weak_ptr<State> weak = state_;
    model_.AddListener([weak](const std::string& name, ControlModel::Change what) {
        if (const std::shared_ptr<State> state = weak.lock()) {
            state->Show(name, what);
        }
    });
}

ControlBinder::~ControlBinder() = default;

QWidget* ControlBinder::Create(std::string_view name, QWidget* parent, Look look,
                               std::string_view fallbackCaption) {
    const Control& control = model_.At(name);
    const std::string controlName = control.name;
    std::weak_ptr<State> weak = state_;
    ControlModel* model = &model_;
    // Runs a user operation unless the widget is only being brought in line with the model, and then
    // shows the model's state again (a rule may have refused or changed what the user did). The
    // operation may close the window and end this binder (and a start click returns only when its run
    // has ended), so the state is looked up again afterwards.
    auto userOperation = [weak, controlName](auto operation) {
        if (const std::shared_ptr<State> state = weak.lock(); !state || state->updating > 0) {
            return;
        }
        operation();
        if (const std::shared_ptr<State> state = weak.lock()) {
            state->ShowAll(controlName);
        }
    };

    QWidget* widget = nullptr;
    switch (control.kind) {
    case ControlKind::Text: {
        auto* edit = new QLineEdit(parent);
        QObject::connect(edit, &QLineEdit::editingFinished, &context_, [=] {
            // Leaving a field that was not changed is no edit.
            if (FromQt(edit->text()) != model->Text(controlName)) {
                userOperation([&] { model->Type(controlName, FromQt(edit->text())); });
            }
        });
        widget = edit;
        break;
    }
    case ControlKind::List: {
        auto* combo = new QComboBox(parent);
        // A finished edit is a typed text, never a pick: the box itself "activates" an entry whose text was
        // typed. Our handler is connected before the box's own, so the typed text reaches the model first
        // and the box, shown the model's entry again, finds nothing left to activate.
        auto* edit = new QLineEdit(combo);
        QObject::connect(edit, &QLineEdit::editingFinished, &context_, [=] {
            if (FromQt(edit->text()) != model->Text(controlName)) {
                userOperation([&] { model->Type(controlName, FromQt(edit->text())); });
            }
        });
        combo->setLineEdit(edit);
        combo->setInsertPolicy(QComboBox::NoInsert);
        // No completion: typing "10" must stay "10", not become the entry "1024".
        combo->setCompleter(nullptr);
        combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        combo->setMinimumContentsLength(8);
        QObject::connect(combo, &QComboBox::activated, &context_,
                         [=](int index) { userOperation([&] { model->Pick(controlName, index); }); });
        widget = combo;
        break;
    }
    case ControlKind::Check:
    case ControlKind::Option:
    case ControlKind::Button: {
        QAbstractButton* button = nullptr;
        if (control.kind == ControlKind::Button) {
            button = new QPushButton(parent);
        } else if (control.kind == ControlKind::Option) {
            auto* radio = new QRadioButton(parent);
            // The model keeps the options of a group exclusive, across any widget parents.
            radio->setAutoExclusive(false);
            button = radio;
        } else if (look == Look::ToggleButton) {
            button = new QPushButton(parent);
            button->setCheckable(true);
        } else {
            button = new QCheckBox(parent);
        }
        QObject::connect(button, &QAbstractButton::clicked, &context_,
                         [=] { userOperation([&] { model->Click(controlName); }); });
        widget = button;
        break;
    }
    case ControlKind::Spin: {
        auto* spin = new UpDownButtons(parent);
        QObject::connect(spin, &QSpinBox::valueChanged, &context_,
                         [=](int value) { userOperation([&] { model->Spin(controlName, value); }); });
        widget = spin;
        break;
    }
    case ControlKind::Scroll: {
        auto* bar = new QScrollBar(Qt::Horizontal, parent);
        QObject::connect(bar, &QScrollBar::valueChanged, &context_,
                         [=](int value) { userOperation([&] { model->Spin(controlName, value); }); });
        widget = bar;
        break;
    }
    case ControlKind::Label:
        widget = new QLabel(parent);
        break;
    case ControlKind::Frame:
        widget = new QGroupBox(parent);
        break;
    case ControlKind::Picture:
        widget = new PictureView(parent);
        break;
    case ControlKind::Socket:
    case ControlKind::Serial:
        return nullptr;
    }

    widget->setObjectName(ToQt(controlName));
    widget->setToolTip(ToQt(control.tooltip));
    State::Binding& binding = state_->bindings[controlName];
    binding.widget = widget;
    binding.fallbackCaption = std::string(fallbackCaption);
    state_->ShowAll(controlName);
    if (!control.visible) {
        widget->setVisible(false);
    }
    return widget;
}

QLabel* ControlBinder::CaptionLabel(std::string_view name, QWidget* parent, std::string_view fallback) {
    const Control& control = model_.At(name);
    auto* label =
        new QLabel(ToQt(control.caption.empty() ? fallback : std::string_view(control.caption)), parent);
    label->setToolTip(ToQt(control.tooltip));
    label->setEnabled(control.enabled);
    if (!control.visible) {
        label->setVisible(false);
    }
    State::Binding& binding = state_->bindings[control.name];
    binding.captionLabels.emplace_back(label);
    if (QWidget* widget = binding.widget) {
        label->setBuddy(widget);
    }
    return label;
}

QWidget* ControlBinder::Widget(std::string_view name) const {
    const auto found = state_->bindings.find(name);
    return found == state_->bindings.end() ? nullptr : found->second.widget.data();
}

PictureView* ControlBinder::Picture(std::string_view name) const {
    return qobject_cast<PictureView*>(Widget(name));
}

} // namespace ondrix
