#include "app/QtUserDialogs.h"

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

}  // namespace

void QtUserDialogs::Message(const QString& caption, const QString& text, Icon icon) {
    QMessageBox box(ToQtIcon(icon), caption, text, QMessageBox::Ok, parent_);
    box.exec();
}

bool QtUserDialogs::AskYesNo(const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Yes | QMessageBox::No,
                    parent_);
    return box.exec() == QMessageBox::Yes;
}

QString QtUserDialogs::OpenFile(const OpenRequest& request) {
    // One dialog shared by every open: without a folder of its own it starts where it was last.
    QFileDialog dialog(parent_, request.Title,
                       request.Folder.isEmpty() ? lastFolder_ : request.Folder, request.Filter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (!request.DefaultSuffix.isEmpty()) {
        dialog.setDefaultSuffix(request.DefaultSuffix);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return QString();
    }
    const QString picked = dialog.selectedFiles().constFirst();
    lastFolder_ = QFileInfo(picked).absolutePath();
    return picked;
}

}  // namespace vok
