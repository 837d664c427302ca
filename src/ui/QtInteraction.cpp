#include "ui/QtInteraction.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace ondrix {

namespace {

const QString kTitle = QStringLiteral("Ondrix");

QMessageBox::Icon ToQt(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// "*.wav *.WAV" style name filters; an empty list shows every file.
QStringList NameFilters(const std::vector<std::string>& patterns) {
    QStringList filters;
    for (const std::string& pattern : patterns) {
        filters << QString::fromStdString(pattern);
    }
    if (!filters.isEmpty()) {
        filters << QStringLiteral("*");
    }
    return filters;
}

std::optional<std::string> FirstFile(const QStringList& files) {
    if (files.isEmpty() || files.front().isEmpty()) {
        return std::nullopt;
    }
    return files.front().toStdString();
}

} // namespace

void QtInteraction::Run(QDialog* dialog, std::function<void(int)> finished) {
    if (!CaptureRunning()) {
        dialog->setWindowModality(Qt::ApplicationModal);
        const int result = dialog->exec();
        finished(result);
        delete dialog;
        return;
    }
    // Window-modal and answered from the event loop: no nested loop stalls the capture.
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(dialog, &QDialog::finished, dialog, [finished](int result) { finished(result); });
    dialog->open();
}

void QtInteraction::ShowMessage(const std::string& text, MessageIcon icon, std::function<void()> then) {
    auto* box = new QMessageBox(ToQt(icon), kTitle, QString::fromStdString(text), QMessageBox::Ok, parent_);
    Run(box, [then](int) {
        if (then) {
            then();
        }
    });
}

void QtInteraction::AskYesNo(const std::string& text, MessageIcon icon, std::function<void(bool)> answer) {
    Ask(text, icon, true, std::move(answer));
}

void QtInteraction::AskYesNoDefaultNo(const std::string& text, MessageIcon icon,
                                      std::function<void(bool)> answer) {
    Ask(text, icon, false, std::move(answer));
}

void QtInteraction::Ask(const std::string& text, MessageIcon icon, bool defaultYes,
                        std::function<void(bool)> answer) {
    auto* box = new QMessageBox(ToQt(icon), kTitle, QString::fromStdString(text),
                                QMessageBox::Yes | QMessageBox::No, parent_);
    box->setDefaultButton(defaultYes ? QMessageBox::Yes : QMessageBox::No);
    box->setEscapeButton(QMessageBox::No);
    Run(box, [answer](int result) { answer(result == QMessageBox::Yes); });
}

void QtInteraction::AskText(const std::string& prompt, const std::string& initial,
                            std::function<void(std::optional<std::string>)> answer) {
    auto* dialog = new QInputDialog(parent_);
    dialog->setWindowTitle(kTitle);
    dialog->setLabelText(QString::fromStdString(prompt));
    dialog->setTextValue(QString::fromStdString(initial));
    Run(dialog, [dialog, answer](int result) {
        if (result == QDialog::Accepted) {
            answer(dialog->textValue().toStdString());
        } else {
            answer(std::nullopt);
        }
    });
}

void QtInteraction::ChooseFiles(const FileDialogRequest& request, int mode,
                                std::function<void(QStringList)> answer) {
    auto* dialog = new QFileDialog(parent_, QString::fromStdString(request.title),
                                   QString::fromStdString(request.folder));
    dialog->setFileMode(static_cast<QFileDialog::FileMode>(mode));
    if (mode == QFileDialog::AnyFile) {
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setOption(QFileDialog::DontConfirmOverwrite); // SaveFileDialog asks, once
        if (!request.fileName.empty()) {
            dialog->selectFile(QString::fromStdString(request.fileName));
        }
    }
    if (mode == QFileDialog::Directory) {
        dialog->setOption(QFileDialog::ShowDirsOnly);
    } else if (const QStringList filters = NameFilters(request.patterns); !filters.isEmpty()) {
        dialog->setNameFilter(filters.join(' '));
    }
    Run(dialog, [dialog, answer](int result) {
        answer(result == QDialog::Accepted ? dialog->selectedFiles() : QStringList());
    });
}

void QtInteraction::ChooseOpenFile(const FileDialogRequest& request,
                                   std::function<void(std::optional<std::string>)> answer) {
    ChooseFiles(request, QFileDialog::ExistingFile,
                [answer](const QStringList& files) { answer(FirstFile(files)); });
}

void QtInteraction::ChooseOpenFiles(const FileDialogRequest& request,
                                    std::function<void(std::vector<std::string>)> answer) {
    ChooseFiles(request, QFileDialog::ExistingFiles, [answer](const QStringList& files) {
        std::vector<std::string> paths;
        for (const QString& file : files) {
            paths.push_back(file.toStdString());
        }
        answer(std::move(paths));
    });
}

void QtInteraction::ChooseSaveFile(const FileDialogRequest& request,
                                   std::function<void(std::optional<std::string>)> answer) {
    ChooseFiles(request, QFileDialog::AnyFile,
                [answer](const QStringList& files) { answer(FirstFile(files)); });
}

void QtInteraction::ChooseFolder(const FileDialogRequest& request,
                                 std::function<void(std::optional<std::string>)> answer) {
    ChooseFiles(request, QFileDialog::Directory,
                [answer](const QStringList& files) { answer(FirstFile(files)); });
}

} // namespace ondrix
