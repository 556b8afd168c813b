#include "app/AddSelectorFrm.h"

#include <QCheckBox>
#include <QDir>
#include <QFileSystemModel>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

#include <utility>

namespace vok {

TAddSelectorFrm::TAddSelectorFrm(const QString& startFolder, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("AddSelectorFrm"));
    setFixedSize(386, 463);

    chDirectory_ = new QLabel(this);
    chDirectory_->setObjectName(QStringLiteral("CHDirectory"));
    chDirectory_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    chDirectory_->setAlignment(Qt::AlignCenter);
    chDirectory_->setFixedHeight(17);

    folders_ = new QFileSystemModel(this);
    folders_->setFilter(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Drives);
    // The tree is read when a folder is opened and not watched afterwards.
    folders_->setOption(QFileSystemModel::DontWatchForChanges);
    folders_->setRootPath(QDir::rootPath());
    dirSelector_ = new QTreeView(this);
    dirSelector_->setObjectName(QStringLiteral("DirSelector"));
    dirSelector_->setModel(folders_);
    dirSelector_->setHeaderHidden(true);
    for (int column = 1; column < folders_->columnCount(); ++column) {
        dirSelector_->hideColumn(column);
    }
    dirSelector_->setFixedSize(385, 345);
    connect(dirSelector_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { chDirectory_->setText(SelectedFolder()); });
    // The folders above the selection are listed in the background and sorted afterwards; each
    // listing pushes the selection down, so it is brought back into view once sorted.
    connect(folders_, &QFileSystemModel::directoryLoaded, this, [this](const QString& loaded) {
        const QString selected = SelectedFolder();
        const QString above =
            loaded.endsWith(QLatin1Char('/')) ? loaded : loaded + QLatin1Char('/');
        if (selected != loaded && selected.startsWith(above)) {
            followSelection_ = true;
            ScrollToSelection();
        }
    });
    connect(folders_, &QAbstractItemModel::layoutChanged, this, [this] {
        if (std::exchange(followSelection_, false)) {
            ScrollToSelection();
        }
    });

    auto* group = new QGroupBox(QStringLiteral("Add files..."), this);
    group->setFixedSize(385, 57);
    vokCB_ = new QCheckBox(QStringLiteral("Vokalento-files"), group);
    vokCB_->setObjectName(QStringLiteral("VOKCB"));
    mp3CB_ = new QCheckBox(QStringLiteral("MP3s"), group);
    mp3CB_->setObjectName(QStringLiteral("MP3CB"));
    recCB_ = new QCheckBox(QStringLiteral("Add recursevly"), group);
    recCB_->setObjectName(QStringLiteral("RecCB"));
    for (QCheckBox* box : {vokCB_, mp3CB_, recCB_}) {
        box->setChecked(true);
    }
    auto* line = new QFrame(group);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    auto* boxes = new QHBoxLayout(group);
    boxes->addWidget(vokCB_);
    boxes->addWidget(mp3CB_);
    boxes->addWidget(line);
    boxes->addWidget(recCB_);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ok);
    buttons->addStretch(1);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 4);
    layout->setSpacing(4);
    layout->addWidget(chDirectory_);
    layout->addWidget(dirSelector_);
    layout->addWidget(group);
    layout->addLayout(buttons);

    SelectFolder(startFolder);
}

QString TAddSelectorFrm::SelectedFolder() const {
    const QModelIndex current = dirSelector_->currentIndex();
    return current.isValid() ? folders_->filePath(current) : QString();
}

void TAddSelectorFrm::SelectFolder(const QString& folder) {
    if (folder.isEmpty() || !QDir(folder).exists()) {
        return;
    }
    const QModelIndex index = folders_->index(QDir(folder).absolutePath());
    if (index.isValid()) {
        dirSelector_->setCurrentIndex(index);
        ScrollToSelection();
        chDirectory_->setText(SelectedFolder());
    }
}

void TAddSelectorFrm::ScrollToSelection() {
    const QModelIndex current = dirSelector_->currentIndex();
    if (current.isValid()) {
        dirSelector_->scrollTo(current, QAbstractItemView::PositionAtCenter);
    }
}

void TAddSelectorFrm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Laid out only now: a scroll made while hidden has no height to work in.
    ScrollToSelection();
}

UserDialogs::FolderChoice TAddSelectorFrm::Choice() const {
    UserDialogs::FolderChoice choice;
    choice.Folder = SelectedFolder();
    choice.LyricFiles = vokCB_->isChecked();
    choice.Mp3s = mp3CB_->isChecked();
    choice.Recursive = recCB_->isChecked();
    return choice;
}

}  // namespace vok
