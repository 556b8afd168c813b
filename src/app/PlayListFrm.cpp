#include "app/PlayListFrm.h"

#include <algorithm>

#include <QApplication>
#include <QCloseEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QProgressBar>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace vok {

namespace {

constexpr int kDefaultWidth = 277;
constexpr int kDefaultHeight = 391;
constexpr int kNrWidth = 30;
constexpr int kFileWidth = 1;
constexpr int kArtistWidth = 150;

const char* const kStyle =
    "TPlayListFrm { background: #000000; }"
    "QToolBar { spacing: 0px; }"
    "QToolButton { color: #00ff00; min-width: 24px; }"
    "QToolButton:disabled { color: #555555; }"
    "QTreeView { background: #000000; color: #c0c0c0; font-family: Arial; font-size: 8pt; }"
    "QProgressBar { background: #000000; border: 1px solid #555555; }"
    "QProgressBar::chunk { background: #00cc00; }"
    "QStatusBar { background: #000000; color: #c0c0c0; }"
    "QStatusBar QLabel { color: #c0c0c0; }";

}  // namespace

// --- The rows -------------------------------------------------------------------------------

TSpelLista::TSpelLista(QWidget* parent) : QTreeView(parent) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::InternalMove);
    setDefaultDropAction(Qt::MoveAction);
    header()->setSectionsClickable(false);
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(false);
    // "File" is kept one pixel wide: present for the player, practically hidden from the user.
    header()->setMinimumSectionSize(1);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

int TSpelLista::SelectedRow() const {
    const QModelIndexList rows =
        selectionModel() != nullptr ? selectionModel()->selectedRows() : QModelIndexList();
    return rows.isEmpty() ? -1 : rows.constFirst().row();
}

void TSpelLista::SelectRow(int row) {
    if (model() == nullptr || row < 0 || row >= model()->rowCount()) {
        clearSelection();
        return;
    }
    const QModelIndex index = model()->index(row, 0);
    selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
}

bool TSpelLista::TakesDrag(const QDropEvent* event) const {
    // Rows move inside the list, and songs come from the player's own Library window; files from
    // other programs are not taken.
    return event->source() == this || (event->source() != nullptr && event->mimeData()->hasUrls());
}

void TSpelLista::dragEnterEvent(QDragEnterEvent* event) {
    if (TakesDrag(event)) {
        event->setDropAction(event->source() == this ? Qt::MoveAction : Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void TSpelLista::dragMoveEvent(QDragMoveEvent* event) {
    if (TakesDrag(event)) {
        event->setDropAction(event->source() == this ? Qt::MoveAction : Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void TSpelLista::dropEvent(QDropEvent* event) {
    if (!TakesDrag(event) || model() == nullptr) {
        event->ignore();
        return;
    }
    const QModelIndex target = indexAt(event->position().toPoint());
    const int before = target.isValid() ? target.row() : model()->rowCount();
    if (event->source() != this) {
        QStringList songs;
        for (const QUrl& url : event->mimeData()->urls()) {
            if (url.isLocalFile()) {
                songs.append(url.toLocalFile());
            }
        }
        event->setDropAction(Qt::CopyAction);
        event->accept();
        emit SongsDropped(before, songs);
        return;
    }
    const int from = SelectedRow();
    // The list is rewritten by the controller; the view must not remove the dragged row itself.
    event->setDropAction(Qt::IgnoreAction);
    event->accept();
    if (from >= 0) {
        emit RowDropped(from, before);
    }
}

// --- The window -----------------------------------------------------------------------------

TPlayListFrm::TPlayListFrm(PlayerController& controller, QPoint mainCorner, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      controller_(controller),
      model_(controller.Playlist(), controller.Library()) {
    setObjectName(QStringLiteral("PlayListFrm"));
    setWindowTitle(QStringLiteral("Playlist"));
    setMinimumSize(180, 200);
    setStyleSheet(QLatin1String(kStyle));
    setAttribute(Qt::WA_StyledBackground);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    BuildListPopup();
    BuildToolBar();
    layout->addWidget(tBar_);

    playPB_ = new QProgressBar(this);
    playPB_->setObjectName(QStringLiteral("PlayPB"));
    playPB_->setFixedHeight(17);
    playPB_->setTextVisible(false);
    playPB_->setRange(0, 0);
    playPB_->setMaximum(1);
    playPB_->setValue(0);
    playPB_->setCursor(Qt::SizeHorCursor);
    playPB_->installEventFilter(this);
    layout->addWidget(playPB_);

    spelLista_ = new TSpelLista(this);
    spelLista_->setObjectName(QStringLiteral("SpelLista"));
    spelLista_->setModel(&model_);
    spelLista_->installEventFilter(this);
    // The rows' width changes without the window's when the vertical scroll bar comes or goes.
    spelLista_->viewport()->installEventFilter(this);
    connect(spelLista_, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { controller_.VokListaDblClick(index.row()); });
    connect(spelLista_, &TSpelLista::RowDropped, this, &TPlayListFrm::RowDropped);
    connect(spelLista_, &TSpelLista::SongsDropped, &controller_, &PlayerController::InsertSongs);
    layout->addWidget(spelLista_, 1);

    auto* status = new QStatusBar(this);
    status->setObjectName(QStringLiteral("PLSBBar"));
    status->setFixedHeight(19);
    status->setSizeGripEnabled(false);
    plsb_ = new QLabel(status);
    plsb_->setObjectName(QStringLiteral("PLSB"));
    status->addWidget(plsb_, 1);
    layout->addWidget(status);

    installEventFilter(this);
    Place(mainCorner);
    // The model first: the window's own reactions read the rows it has just rebuilt.
    controller_.AddPlaylistView(&model_);
    controller_.AddPlaylistView(this);
    model_.RowsRebuilt();
    RowsRebuilt();
    StatusChanged();
}

TPlayListFrm::~TPlayListFrm() {
    controller_.RemovePlaylistView(this);
    controller_.RemovePlaylistView(&model_);
}

void TPlayListFrm::BuildListPopup() {
    listPopup_ = new QMenu(this);
    listPopup_->setObjectName(QStringLiteral("ListPopup"));
    PlayerController* player = &controller_;
    QMenu* add = listPopup_->addMenu(QStringLiteral("Add"));
    add->addAction(QStringLiteral("Folder..."), player, &PlayerController::AddFolder);
    add->addAction(QStringLiteral("Song(s)..."), player, &PlayerController::AddFilesBtnClick);
    add->addAction(QStringLiteral("Playlist..."), player, [player] { player->LoadPL(true); });
    listPopup_->addAction(QStringLiteral("Load list..."), player,
                          [player] { player->LoadPL(false); });
    listPopup_->addAction(QStringLiteral("Save list..."), player, [player] { player->SavePL(); });
    listPopup_->addSeparator();
    listPopup_->addAction(QStringLiteral("Library..."), player, &PlayerController::OpenLibrary);
    listPopup_->addSeparator();
    listPopup_->addAction(QStringLiteral("Clear list"), player, &PlayerController::ClearListClick);
}

void TPlayListFrm::BuildToolBar() {
    tBar_ = new QToolBar(this);
    tBar_->setObjectName(QStringLiteral("TBar"));
    tBar_->setFixedHeight(21);
    tBar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    tBar_->setFocusPolicy(Qt::NoFocus);

    auto* list = new QToolButton(tBar_);
    list->setText(QStringLiteral("List \\/"));
    list->setMenu(listPopup_);
    list->setPopupMode(QToolButton::InstantPopup);
    tBar_->addWidget(list);
    tBar_->addSeparator();

    const auto transport = [this](const QString& caption, auto slot) {
        QAction* action = tBar_->addAction(caption);
        connect(action, &QAction::triggered, &controller_, slot);
        if (QWidget* button = tBar_->widgetForAction(action)) {
            button->setCursor(Qt::PointingHandCursor);
        }
    };
    transport(QStringLiteral("< Prev"), &PlayerController::PrevBtnClick);
    transport(QStringLiteral("Stop"), &PlayerController::ToolStopClick);
    transport(QStringLiteral("Play"), &PlayerController::PlayBtnClick);
    transport(QStringLiteral("Paus"), &PlayerController::PausBtnClick);
    transport(QStringLiteral("Next >"), &PlayerController::NextBtnClick);
    tBar_->addSeparator();
    fullscreen_ = tBar_->addAction(QStringLiteral("Fullscreen"));
    fullscreen_->setCheckable(true);
    connect(fullscreen_, &QAction::triggered, &controller_, &PlayerController::PLFullscreenClick);
    for (QWidget* child : tBar_->findChildren<QWidget*>()) {
        child->setFocusPolicy(Qt::NoFocus);
    }
}

QToolButton* TPlayListFrm::ToolButton(const QString& caption) const {
    for (QToolButton* button : tBar_->findChildren<QToolButton*>()) {
        if (button->text() == caption) {
            return button;
        }
    }
    return nullptr;
}

void TPlayListFrm::Place(QPoint mainCorner) {
    const PlayerSettings& settings = controller_.Settings();
    const int x = settings.PlayListX == -1 ? mainCorner.x() : settings.PlayListX;
    const int y = settings.PlayListY == -1 ? mainCorner.y() : settings.PlayListY;
    const int w = settings.PlayListW == -1 ? kDefaultWidth : settings.PlayListW;
    const int h = settings.PlayListH == -1 ? kDefaultHeight : settings.PlayListH;
    resize(std::max(w, minimumWidth()), std::max(h, minimumHeight()));
    move(x, y);
}

void TPlayListFrm::StorePlacement() {
    controller_.SetPlaylistPlacement(QRect(pos(), size()), isVisible());
}

void TPlayListFrm::FormResize() {
    QHeaderView* header = spelLista_->header();
    header->resizeSection(PlaylistModel::NrColumn, kNrWidth);
    header->resizeSection(PlaylistModel::FileColumn, kFileWidth);
    header->resizeSection(PlaylistModel::ArtistColumn, kArtistWidth);
    const int title = spelLista_->viewport()->width() - kNrWidth - kFileWidth - kArtistWidth;
    header->resizeSection(PlaylistModel::TitleColumn, std::max(title, 0));
}

void TPlayListFrm::DeleteSelected() {
    const int row = spelLista_->SelectedRow();
    if (row < 0 || !controller_.DeleteEntry(row)) {
        return;
    }
    const int count = model_.rowCount();
    spelLista_->SelectRow(row < count ? row : count - 1);
}

void TPlayListFrm::RowDropped(int from, int before) {
    if (!controller_.MoveEntry(from, before)) {
        return;
    }
    spelLista_->SelectRow(before > from ? before - 1 : before);
}

// --- What the controller shows --------------------------------------------------------------

void TPlayListFrm::RowsChanged() {
    spelLista_->viewport()->update();
}

void TPlayListFrm::RowsRebuilt() {
    if (model_.rowCount() > 0 && spelLista_->SelectedRow() < 0) {
        spelLista_->SelectRow(0);
    }
    StatusChanged();
}

void TPlayListFrm::StatusChanged() {
    plsb_->setText(controller_.PlaylistStatus());
}

void TPlayListFrm::ShowProgress(int positionMs, int lengthMs) {
    progress_ = {positionMs, lengthMs};
    // A progress bar works out its look at every value, seen or not; a hidden window's bar
    // takes the last value when it shows.
    if (isVisible()) {
        ApplyProgress();
    }
}

void TPlayListFrm::ApplyProgress() {
    const int maximum = std::max(progress_.LengthMs, 1);
    playPB_->setMaximum(maximum);
    playPB_->setValue(std::clamp(progress_.PositionMs, 0, maximum));
}

void TPlayListFrm::ShowScanning(bool scanning) {
    tBar_->setEnabled(!scanning);
    if (scanning) {
        spelLista_->setCursor(Qt::WaitCursor);
    } else {
        spelLista_->unsetCursor();
    }
}

void TPlayListFrm::ShowStatusText(const QString& text) {
    plsb_->setText(text);
}

// --- Events ---------------------------------------------------------------------------------

bool TPlayListFrm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == spelLista_->viewport() && event->type() == QEvent::Resize) {
        FormResize();
        return false;
    }
    if (watched == playPB_ && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        controller_.PlayListPB(static_cast<int>(mouse->position().x()), playPB_->width());
        return true;
    }
    if ((event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) &&
        HandleKey(event)) {
        event->accept();  // swallowed: the key must not travel on to the window as well
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

bool TPlayListFrm::HandleKey(QEvent* event) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers();
    const bool keypad = (modifiers & Qt::KeypadModifier) != 0;
    const bool released = event->type() == QEvent::KeyRelease;
    switch (key->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Left:
        case Qt::Key_Right:
            break;
        case Qt::Key_Plus:
        case Qt::Key_Minus:
            if (!keypad) {
                return false;
            }
            break;
        case Qt::Key_F:
            if ((modifiers & Qt::ControlModifier) == 0) {
                return false;
            }
            if (!released) {
                controller_.OpenLibrary();
            }
            return true;
        case Qt::Key_Delete:
            if (released && !key->isAutoRepeat()) {
                DeleteSelected();
            }
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if ((modifiers & Qt::AltModifier) == 0) {
                return false;
            }
            if (released) {
                controller_.FormKeyUp(key->key(), modifiers);
            }
            return true;
        default:
            return false;
    }
    // The player's keys: the list never moves its own selection with them.
    if (!released) {
        controller_.FormKeyDown(key->key(), modifiers);
    }
    return true;
}

void TPlayListFrm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    ApplyProgress();
    FormResize();
    StorePlacement();
    emit VisibilityChanged(true);
}

void TPlayListFrm::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (!event->spontaneous()) {
        StorePlacement();
        emit VisibilityChanged(false);
    }
}

void TPlayListFrm::closeEvent(QCloseEvent* event) {
    // The close box only hides the window; it lives as long as the program.
    event->ignore();
    if (controller_.PlaylistMayClose()) {
        hide();
    }
}

void TPlayListFrm::SetShown(bool shown) {
    if (shown != isVisible()) {
        setVisible(shown);
    }
}

void TPlayListFrm::ShowFullScreen(bool on) {
    fullscreen_->setChecked(on);
}

void TPlayListFrm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    FormResize();
    StorePlacement();
}

void TPlayListFrm::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    StorePlacement();
}

}  // namespace vok
