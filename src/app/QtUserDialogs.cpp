#include "app/QtUserDialogs.h"

#include "app/AddSelectorFrm.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace vok {

namespace {

QMessageBox::Icon ToQtIcon(UserDialogs::Icon icon) {
    switch (icon) {
        case UserDialogs::Icon::Information:
            return QMessageBox::Information;
        case UserDialogs::Icon::Warning:
            return QMessageBox::Warning;
        case UserDialogs::Icon::Error:
            return QMessageBox::Critical;
        case UserDialogs::Icon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

// Over the settings dialog while it is open, so the browser and the colour dialog stay in front
// of it.
QWidget* Owner(QWidget* fallback) {
    QWidget* modal = QApplication::activeModalWidget();
    return modal != nullptr ? modal : fallback;
}

}  // namespace

QtUserDialogs::QtUserDialogs(QWidget* parent) : parent_(parent) {}

QtUserDialogs::~QtUserDialogs() = default;

void QtUserDialogs::Message(const QString& caption, const QString& text, Icon icon) {
    QMessageBox box(ToQtIcon(icon), caption, text, QMessageBox::Ok, parent_);
    box.exec();
}

bool QtUserDialogs::AskYesNo(const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Yes | QMessageBox::No,
                    parent_);
    return box.exec() == QMessageBox::Yes;
}

QStringList QtUserDialogs::Ask(const OpenRequest& request, int fileMode, bool save) {
    // One dialog shared by every open: without a folder of its own it starts where it was last.
    QFileDialog dialog(parent_, request.Title,
                       request.Folder.isEmpty() ? lastFolder_ : request.Folder, request.Filter);
    dialog.setFileMode(static_cast<QFileDialog::FileMode>(fileMode));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (save) {
        // An existing list is replaced without a question.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    }
    if (!request.DefaultSuffix.isEmpty()) {
        dialog.setDefaultSuffix(request.DefaultSuffix);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    const QStringList picked = dialog.selectedFiles();
    lastFolder_ = QFileInfo(picked.constFirst()).absolutePath();
    return picked;
}

QString QtUserDialogs::OpenFile(const OpenRequest& request) {
    return Ask(request, QFileDialog::ExistingFile, false).value(0);
}

QStringList QtUserDialogs::OpenFiles(const OpenRequest& request) {
    return Ask(request, QFileDialog::ExistingFiles, false);
}

QString QtUserDialogs::SaveFile(const OpenRequest& request) {
    return Ask(request, QFileDialog::AnyFile, true).value(0);
}

bool QtUserDialogs::ChooseFolder(const QString& caption, const QString& startFolder,
                                 FolderChoice& choice) {
    if (!selector_) {
        // Without a parent: it is owned here, and outlives no window that could delete it.
        selector_ = std::make_unique<TAddSelectorFrm>(startFolder);
    }
    selector_->setWindowTitle(caption);
    if (selector_->exec() != QDialog::Accepted) {
        return false;
    }
    const FolderChoice picked = selector_->Choice();
    if (picked.Folder.isEmpty()) {
        return false;  // nothing on disk behind the selection
    }
    choice = picked;
    return true;
}

QString QtUserDialogs::BrowseFolder(const QString& instruction, const QString& startFolder) {
    QFileDialog dialog(Owner(parent_), instruction, startFolder);
    dialog.setFileMode(QFileDialog::Directory);
    // Folders only, and no button that makes a new one.
    dialog.setOptions(QFileDialog::ShowDirsOnly | QFileDialog::ReadOnly);
    if (dialog.exec() != QDialog::Accepted) {
        return QString();
    }
    return dialog.selectedFiles().value(0);
}

bool QtUserDialogs::PickColour(QColor& colour) {
    QColorDialog dialog(colour, Owner(parent_));
    if (dialog.exec() != QDialog::Accepted || !dialog.selectedColor().isValid()) {
        return false;
    }
    colour = dialog.selectedColor();
    return true;
}

}  // namespace vok
