#include "app/LibraryFrm.h"

#include "settings/WindowPlacement.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTreeView>
#include <QVBoxLayout>

namespace vok {

namespace {

constexpr int kDefaultWidth = 620;
constexpr int kDefaultHeight = 440;
constexpr int kArtistWidth = 180;
constexpr int kKindWidth = 60;
constexpr int kLengthWidth = 56;
constexpr int kRefreshMs = 300;

// The playlist window's look: black, grey text, green captions.
const char* const kStyle =
    "#LibraryFrm { background: #000000; }"
    "QLineEdit { background: #101010; color: #e0e0e0; border: 1px solid #555555;"
    "  padding: 3px; font-family: Arial; font-size: 10pt; }"
    "QLineEdit:disabled { color: #555555; }"
    "QTreeView { background: #000000; color: #c0c0c0; font-family: Arial; font-size: 9pt;"
    "  border: 1px solid #333333; selection-background-color: #005000;"
    "  selection-color: #ffffff; }"
    "QHeaderView::section { background: #181818; color: #c0c0c0; border: 0px;"
    "  border-right: 1px solid #333333; padding: 2px 4px; font-family: Arial; font-size: 8pt; }"
    "QPushButton { color: #00ff00; background: #101010; border: 1px solid #555555;"
    "  padding: 3px 10px; }"
    "QPushButton:hover { background: #202020; }"
    "QPushButton:disabled { color: #555555; }"
    "QLabel { color: #c0c0c0; font-family: Arial; font-size: 8pt; }"
    "QLabel#Fault { color: #ff8080; font-size: 9pt; }"
    "QScrollBar:vertical { background: #101010; width: 12px; margin: 0px; }"
    "QScrollBar::handle:vertical { background: #404040; min-height: 24px; }"
    "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0px; }"
    "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: #101010; }";

bool IsEnter(const QKeyEvent* key) {
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

}  // namespace

TLibraryFrm::TLibraryFrm(PlayerController& controller, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      controller_(controller),
      model_(controller.Library()) {
    setObjectName(QStringLiteral("LibraryFrm"));
    setWindowTitle(QStringLiteral("Library"));
    setMinimumSize(320, 220);
    setStyleSheet(QLatin1String(kStyle));
    setAttribute(Qt::WA_StyledBackground);
    BuildLayout();
    resize(kDefaultWidth, kDefaultHeight);

    refresh_.setSingleShot(true);
    refresh_.setInterval(kRefreshMs);
    connect(&refresh_, &QTimer::timeout, this, &TLibraryFrm::Refresh);
    library::SongLibrary& songs = controller_.Library();
    connect(&songs, &library::SongLibrary::SongsChanged, this, [this] {
        if (isVisible() && !refresh_.isActive()) {
            refresh_.start();
        }
    });
    connect(&songs, &library::SongLibrary::ScanProgressed, this, [this] {
        if (isVisible()) {
            ShowStatus();
        }
    });
    connect(&songs, &library::SongLibrary::StatusChanged, this, &TLibraryFrm::ShowAvailability);
    controller_.AttachLibraryWindow(this);
}

TLibraryFrm::~TLibraryFrm() {
    controller_.AttachLibraryWindow(nullptr);
}

void TLibraryFrm::BuildLayout() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 4);
    layout->setSpacing(4);

    search_ = new QLineEdit(this);
    search_->setObjectName(QStringLiteral("Search"));
    search_->setPlaceholderText(QStringLiteral("Title, artist or file name"));
    search_->setClearButtonEnabled(true);
    search_->installEventFilter(this);
    connect(search_, &QLineEdit::textChanged, this, &TLibraryFrm::Search);
    layout->addWidget(search_);

    auto* faultRow = new QHBoxLayout;
    fault_ = new QLabel(this);
    fault_->setObjectName(QStringLiteral("Fault"));
    fault_->setWordWrap(true);
    faultRow->addWidget(fault_, 1);
    rebuild_ = new QPushButton(QStringLiteral("Rebuild"), this);
    connect(rebuild_, &QPushButton::clicked, this, [this] {
        controller_.RebuildLibrary();
        ShowAvailability();
        if (search_->isEnabled()) {
            search_->setFocus(Qt::OtherFocusReason);
        }
    });
    faultRow->addWidget(rebuild_);
    layout->addLayout(faultRow);

    rows_ = new QTreeView(this);
    rows_->setObjectName(QStringLiteral("Rows"));
    rows_->setModel(&model_);
    rows_->setRootIsDecorated(false);
    rows_->setItemsExpandable(false);
    rows_->setUniformRowHeights(true);
    rows_->setAllColumnsShowFocus(true);
    rows_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    rows_->setSelectionBehavior(QAbstractItemView::SelectRows);
    rows_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    rows_->setDragEnabled(true);
    rows_->setDragDropMode(QAbstractItemView::DragOnly);
    rows_->setDefaultDropAction(Qt::CopyAction);
    QHeaderView* header = rows_->header();
    header->setStretchLastSection(false);
    header->setSectionsMovable(false);
    header->setSectionResizeMode(LibraryModel::TitleColumn, QHeaderView::Stretch);
    header->resizeSection(LibraryModel::ArtistColumn, kArtistWidth);
    header->resizeSection(LibraryModel::KindColumn, kKindWidth);
    header->resizeSection(LibraryModel::DurationColumn, kLengthWidth);
    rows_->installEventFilter(this);
    connect(rows_, &QAbstractItemView::doubleClicked, this, &TLibraryFrm::Append);
    rows_->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* appendAction = new QAction(QStringLiteral("Add to playlist"), rows_);
    connect(appendAction, &QAction::triggered, this, &TLibraryFrm::Append);
    rows_->addAction(appendAction);
    auto* nextAction = new QAction(QStringLiteral("Play next"), rows_);
    connect(nextAction, &QAction::triggered, this, &TLibraryFrm::PlayNext);
    rows_->addAction(nextAction);
    layout->addWidget(rows_, 1);

    auto* buttons = new QHBoxLayout;
    append_ = new QPushButton(QStringLiteral("Add to playlist"), this);
    connect(append_, &QPushButton::clicked, this, &TLibraryFrm::Append);
    buttons->addWidget(append_);
    playNext_ = new QPushButton(QStringLiteral("Play next"), this);
    connect(playNext_, &QPushButton::clicked, this, &TLibraryFrm::PlayNext);
    buttons->addWidget(playNext_);
    buttons->addStretch(1);
    rescan_ = new QPushButton(QStringLiteral("Rescan"), this);
    connect(rescan_, &QPushButton::clicked, this, [this] {
        controller_.RescanLibrary();
        ShowStatus();
    });
    buttons->addWidget(rescan_);
    for (QPushButton* button : {append_, playNext_, rescan_, rebuild_}) {
        button->setFocusPolicy(Qt::NoFocus);  // the keyboard stays with the field and the rows
        button->setAutoDefault(false);
    }
    layout->addLayout(buttons);

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("Status"));
    layout->addWidget(status_);
}

void TLibraryFrm::Place() {
    const QWidget* player = parentWidget();
    const QScreen* screen = player != nullptr ? player->screen() : this->screen();
    if (screen == nullptr) {
        return;
    }
    const QRect free = screen->availableGeometry();
    const QRect anchor =
        player != nullptr ? player->frameGeometry() : QRect(free.topLeft(), QSize());
    move(PlaceBeside(anchor, frameGeometry().size(), free).topLeft());
}

void TLibraryFrm::Open() {
    if (!placed_) {
        placed_ = true;
        Place();
    }
    if (!searched_) {
        Search(search_->text());
    }
    ShowAvailability();
    show();
    raise();
    activateWindow();
    search_->setFocus(Qt::ShortcutFocusReason);
    search_->selectAll();
}

void TLibraryFrm::Search(const QString& text) {
    searched_ = true;
    model_.Search(text);
    // The best match is ready for Enter.
    SelectRow(0);
}

void TLibraryFrm::Refresh() {
    const QStringList selected = SelectedSongs();
    model_.Refresh();
    const int row = selected.isEmpty() ? -1 : model_.RowOf(selected.constFirst());
    SelectRow(row < 0 ? 0 : row);
    ShowStatus();
}

void TLibraryFrm::SelectRow(int row) {
    if (row < 0 || row >= model_.rowCount()) {
        rows_->clearSelection();
        return;
    }
    const QModelIndex index = model_.index(row, 0);
    rows_->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    rows_->scrollTo(index);
}

QStringList TLibraryFrm::SelectedSongs() const {
    return model_.Paths(rows_->selectionModel()->selectedRows());
}

void TLibraryFrm::Append() {
    controller_.AppendSongs(SelectedSongs());
}

void TLibraryFrm::PlayNext() {
    controller_.PlayNext(SelectedSongs());
}

void TLibraryFrm::ShowStatus() {
    const library::SongLibrary& songs = controller_.Library();
    status_->setText(songs.Available() ? LibraryStatusText(songs.SongCount(), songs.Progress())
                                       : QStringLiteral("No library"));
}

void TLibraryFrm::ShowAvailability() {
    const library::LibraryStatus& state = controller_.Library().Status();
    const bool usable = state.Fault == library::LibraryFault::None;
    fault_->setText(state.Message);
    fault_->setVisible(!usable);
    rebuild_->setVisible(!usable && state.CanRebuild);
    for (QWidget* control : {static_cast<QWidget*>(search_), static_cast<QWidget*>(append_),
                             static_cast<QWidget*>(playNext_), static_cast<QWidget*>(rescan_)}) {
        control->setEnabled(usable);
    }
    if (usable && searched_) {
        Refresh();
    }
    ShowStatus();
}

bool TLibraryFrm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress &&
        HandleKey(watched, static_cast<const QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

bool TLibraryFrm::HandleKey(QObject* watched, const QKeyEvent* key) {
    const Qt::KeyboardModifiers modifiers = key->modifiers();
    if (key->key() == Qt::Key_Escape) {
        hide();
        return true;
    }
    if (IsEnter(key) && (modifiers & (Qt::AltModifier | Qt::ControlModifier)) == 0) {
        if ((modifiers & Qt::ShiftModifier) != 0) {
            PlayNext();
        } else {
            Append();
        }
        return true;
    }
    if (key->key() == Qt::Key_F && (modifiers & Qt::ControlModifier) != 0) {
        search_->setFocus(Qt::ShortcutFocusReason);
        search_->selectAll();
        return true;
    }
    if (watched == search_ && (key->key() == Qt::Key_Down || key->key() == Qt::Key_PageDown)) {
        if (model_.rowCount() > 0) {
            if (!rows_->selectionModel()->hasSelection()) {
                SelectRow(0);
            }
            rows_->setFocus(Qt::TabFocusReason);
        }
        return true;
    }
    if (watched == rows_) {
        if (key->key() == Qt::Key_Up && rows_->currentIndex().row() <= 0) {
            search_->setFocus(Qt::TabFocusReason);
            return true;
        }
        // Typing on the rows goes on with the search.
        const QString text = key->text();
        if (search_->isEnabled() && !text.isEmpty() && text.at(0).isPrint() &&
            (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) == 0) {
            search_->setFocus(Qt::OtherFocusReason);
            search_->end(false);
            search_->insert(text);
            return true;
        }
    }
    return false;
}

}  // namespace vok
