#include "app/VokPlayForm.h"

#include "app/PlayListFrm.h"

#include "controls/ButtonPictures.h"
#include "controls/MiniSpectrum.h"
#include "controls/VolumeBar.h"
#include "display/Pixels.h"
#include "display/ScreenGeometry.h"
#include "player/PlayerLog.h"
#include "settings/WindowPlacement.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDateTime>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>

namespace vok {

namespace {

constexpr int kPanelTop = geometry::DisplayHeight;
// A fixed window with a caption, a minimise and a close box.
constexpr Qt::WindowFlags kWindowFlags = Qt::Window | Qt::CustomizeWindowHint |
                                         Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                         Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
constexpr int kPanelHeight = geometry::ClientHeight - geometry::DisplayHeight;

// Plain buttons of the control panel, in the panel's colours. They never take the focus: the
// window handles every key itself.
const char* const kPanelStyle =
    "#Panelen, #SpecPanel { background: #000000; }"
    "QPushButton { background: #000000; color: #00c000; border: 1px solid #555555;"
    " padding: 0px; }"
    "QPushButton:hover { color: #00ff00; border-color: #999999; }"
    "QPushButton:checked { background: #005500; color: #00ff00; }"
    "QPushButton:disabled { color: #555555; border-color: #333333; }";

QPushButton* MakePlainButton(QWidget* parent, const char* name, const QString& caption,
                             QRect geometry, bool checkable) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    button->setCheckable(checkable);
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

TVokPlayForm::TVokPlayForm(PlayerController& controller, QWidget* parent)
    : QWidget(parent), controller_(controller) {
    setObjectName(QStringLiteral("VokPlayForm"));
    BuildLayout();
    spectrum_ = new TMiniSpectrum(controller_.SpectrumData(), specPanel_);
    spectrum_->setObjectName(QStringLiteral("Spectrum"));
    spectrum_->setGeometry(0, 0, 200, 80);
    spectrum_->SetStyle(TSpectrumStyle::ssBlock);
    spectrum_->SetActivateText(QStringLiteral("Click to activate"));
    spectrum_->SetActive(controller_.Settings().SpectrumActive);
    ConnectControls();
    controller_.AttachWindow(this);
    PlaceWindow();
    WatchScreens();
}

void TVokPlayForm::BuildLayout() {
    setWindowFlags(kWindowFlags);
    setFixedSize(geometry::ClientWidth, geometry::ClientHeight);
    // Every pixel comes from the display surface or the controls: nothing is erased first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::StrongFocus);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::black);
    colours.setColor(QPalette::WindowText, QColor(0, 255, 0));
    setPalette(colours);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(8);
    setFont(font);

    panelen_ = new QWidget(this);
    panelen_->setObjectName(QStringLiteral("Panelen"));
    panelen_->setGeometry(0, kPanelTop, geometry::ClientWidth, kPanelHeight);
    panelen_->setAutoFillBackground(true);
    panelen_->setStyleSheet(QLatin1String(kPanelStyle));

    controls_ = CreatePanelControls(panelen_);

    volBar_ = new TVolBar(panelen_);
    volBar_->setObjectName(QStringLiteral("VolBar"));
    volBar_->setGeometry(17, 105, 21, 64);

    randBtn_ =
        MakePlainButton(panelen_, "RandBtn", QStringLiteral("Random"), {48, 152, 57, 17}, true);
    fsBtn_ =
        MakePlainButton(panelen_, "FSBtn", QStringLiteral("Fullscreen"), {111, 153, 74, 16}, false);
    specPanel_ = new QWidget(panelen_);
    specPanel_->setObjectName(QStringLiteral("SpecPanel"));
    specPanel_->setGeometry(240, 97, 200, 80);
    specPanel_->setAutoFillBackground(true);
    plBtn_ =
        MakePlainButton(panelen_, "PLBtn", QStringLiteral("Playlist"), {536, 120, 89, 17}, true);
    instBtn_ = MakePlainButton(panelen_, "InstBtn", QStringLiteral("Settings..."),
                               {540, 148, 81, 21}, false);
    // Each comes alive once its window is attached: the playlist window, the settings dialog.
    plBtn_->setEnabled(false);
    instBtn_->setEnabled(false);

    for (QWidget* child : panelen_->findChildren<QWidget*>()) {
        child->setFocusPolicy(Qt::NoFocus);
    }
}

void TVokPlayForm::ConnectControls() {
    PlayerController* player = &controller_;
    connect(controls_.VokBtn, &TKestButton::OnClick, player, &PlayerController::VoKBtnClick);
    connect(controls_.MP3Btn, &TKestButton::OnClick, player, &PlayerController::MP3BtnClick);
    connect(controls_.UnloadVokBtn, &TKestButton::OnClick, player,
            &PlayerController::UnloadVokBtnClick);
    connect(controls_.UnloadMP3Btn, &TKestButton::OnClick, player,
            &PlayerController::UnloadMP3BtnClick);
    connect(controls_.PrevBtn, &TImageEx::OnClick, player, &PlayerController::PrevBtnClick);
    connect(controls_.StopBtn, &TImageEx::OnClick, player, &PlayerController::StopBtnClick);
    connect(controls_.PlayBtn, &TImageEx::OnClick, player, &PlayerController::PlayBtnClick);
    connect(controls_.PausBtn, &TImageEx::OnClick, player, &PlayerController::PausBtnClick);
    connect(controls_.NextBtn, &TImageEx::OnClick, player, &PlayerController::NextBtnClick);
    for (int i = 0; i < 5; ++i) {
        TImageEx* button = controls_.TransportButtons(i);
        connect(button, &TImageEx::OnMouseDown, this, [](QObject* sender, Qt::MouseButton) {
            BtnMouseDown(qobject_cast<TImageEx*>(sender));
        });
        connect(button, &TImageEx::OnMouseUp, this,
                [this](QObject* sender, Qt::MouseButton) { TransportMouseUp(sender); });
    }
    connect(volBar_, &TVolBar::VolumePicked, player, &PlayerController::ChangeVolume);
    connect(randBtn_, &QPushButton::toggled, player, &PlayerController::SetRandomDown);
    connect(fsBtn_, &QPushButton::clicked, player, &PlayerController::FSBtnClick);
    connect(instBtn_, &QPushButton::clicked, player, &PlayerController::InstBtnClick);
}

void TVokPlayForm::AttachPlaylistWindow(TPlayListFrm* playlist) {
    if (playlist == nullptr) {
        return;
    }
    plBtn_->setEnabled(true);
    plBtn_->setChecked(playlist->isVisible());
    connect(plBtn_, &QPushButton::toggled, playlist, [playlist](bool down) {
        if (down != playlist->isVisible()) {
            playlist->setVisible(down);
        }
    });
    connect(playlist, &TPlayListFrm::VisibilityChanged, plBtn_, [this](bool visible) {
        const QSignalBlocker blocker(plBtn_);
        plBtn_->setChecked(visible);
    });
}

void TVokPlayForm::PlaceWindow() {
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary == nullptr) {
        return;
    }
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) {
        screens.append(screen->geometry());
    }
    const PlayerSettings& settings = controller_.Settings();
    const QRect placed =
        PlaceMainWindow(settings.MainFrmX, settings.MainFrmY, size(), primary->geometry(), screens);
    move(placed.topLeft());
    // The settled corner is what the close write stores, wherever the window is moved later.
    controller_.SetWindowCorner(placed.topLeft());
}

void TVokPlayForm::WatchScreens() {
    const auto changed = [this] { controller_.DisplaysChanged(); };
    const auto watch = [this, changed](QScreen* screen) {
        connect(screen, &QScreen::geometryChanged, &controller_, changed);
    };
    for (QScreen* screen : QGuiApplication::screens()) {
        watch(screen);
    }
    auto* app = qGuiApp;
    connect(app, &QGuiApplication::screenAdded, &controller_, [watch, changed](QScreen* screen) {
        watch(screen);
        changed();
    });
    // Queued: the screen is still in the list while it is being removed.
    connect(app, &QGuiApplication::screenRemoved, &controller_, changed, Qt::QueuedConnection);
    connect(app, &QGuiApplication::primaryScreenChanged, &controller_, changed);
}

void TVokPlayForm::TransportMouseUp(QObject* sender) {
    const PlaybackEngine& engine = controller_.Engine();
    const int active = engine.IsPlaying() ? ChannelPlaying : engine.IsPaused() ? ChannelPaused : 0;
    BtnMouseUp(qobject_cast<TImageEx*>(sender), active);
}

// --- What the controller shows --------------------------------------------------------------

void TVokPlayForm::SetCaption(const QString& caption) {
    setWindowTitle(caption);
}

void TVokPlayForm::ShowInfoPanel(InfoPanelId panel, const InfoPanelText& text) {
    TVokPanel* shown = panel == InfoPanelId::Lyrics ? controls_.VokText : controls_.MP3Text;
    shown->SetTitle(text.Title);
    shown->SetInfo(text.Info);
    shown->setToolTip(text.Hint);
}

void TVokPlayForm::SetLoadButtonsEnabled(bool enabled) {
    controls_.VokBtn->setEnabled(enabled);
    controls_.UnloadVokBtn->setEnabled(enabled);
    controls_.MP3Btn->setEnabled(enabled);
    controls_.UnloadMP3Btn->setEnabled(enabled);
}

void TVokPlayForm::ShowPlayButton(bool lit) {
    controls_.PlayBtn->ShowImage(PlayKnappar(), lit ? 2 : 0);
}

void TVokPlayForm::ShowPauseButton(bool lit) {
    controls_.PausBtn->ShowImage(PausKnappar(), lit ? 2 : 0);
}

void TVokPlayForm::ShowVolume(int volume) {
    volBar_->SetValue(volume);
}

void TVokPlayForm::ShowRandom(bool down) {
    const QSignalBlocker quiet(randBtn_);
    randBtn_->setChecked(down);
}

void TVokPlayForm::UpdateSpectrum() {
    spectrum_->UpdateFrame();
}

void TVokPlayForm::ClearSpectrum() {
    spectrum_->Clear();
}

void TVokPlayForm::EnableSettingsButton(bool enabled) {
    instBtn_->setEnabled(enabled);
}

QList<QRect> TVokPlayForm::Screens() const {
    QList<QRect> screens;
    // Qt lists the primary screen first.
    for (const QScreen* screen : QGuiApplication::screens()) {
        screens.append(screen->geometry());
    }
    return screens;
}

void TVokPlayForm::EnterFullScreen(const QRect& area) {
    windowPosition_ = pos();
    setCursor(Qt::BlankCursor);
    panelen_->hide();
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setFixedSize(area.size());
    move(area.topLeft());
    show();  // new window flags hide the window
    raise();
    activateWindow();
    setFocus(Qt::OtherFocusReason);
}

void TVokPlayForm::LeaveFullScreen() {
    setWindowFlags(kWindowFlags);
    setFixedSize(geometry::ClientWidth, geometry::ClientHeight);
    move(windowPosition_);
    panelen_->show();
    unsetCursor();
    show();
    activateWindow();
    setFocus(Qt::OtherFocusReason);
}

void TVokPlayForm::SurfaceChanged(const QRect& area) {
    // The paint converts the changed area from the 16-bit surface; a 32-bit copy of a full
    // screen would hold 8 MB more for nothing.
    update(area);
}

void TVokPlayForm::BringToFront() {
    // A minimised player must come back into view, not only to the front of its icon.
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

// --- Keys -----------------------------------------------------------------------------------

bool TVokPlayForm::event(QEvent* event) {
    // Tab would otherwise move the focus before keyPressEvent hears it.
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            keyPressEvent(key);
            return true;
        }
    }
    return QWidget::event(event);
}

void TVokPlayForm::keyPressEvent(QKeyEvent* event) {
    const bool consumed = controller_.FormKeyDown(event->key(), event->modifiers());
    controller_.FormKeyPress(event->key());
    if (consumed || event->key() == Qt::Key_Escape) {
        event->accept();
    } else {
        QWidget::keyPressEvent(event);
    }
}

void TVokPlayForm::keyReleaseEvent(QKeyEvent* event) {
    if (event->isAutoRepeat()) {
        event->accept();
        return;
    }
    controller_.FormKeyUp(event->key(), event->modifiers());
    // No control keeps the keyboard: the window hears every key.
    setFocus(Qt::OtherFocusReason);
    event->accept();
}

// --- Window surface and mouse ---------------------------------------------------------------

void TVokPlayForm::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect area = event->rect();
    painter.drawImage(area, controller_.Display().Surface(), area);
    if (!painted_) {
        painted_ = true;
        // Wall-clock time, so that a script can measure the whole start from before exec.
        qCInfo(lcPlayer).noquote()
            << "first frame painted at" << QDateTime::currentMSecsSinceEpoch() << "ms";
    }
}

void TVokPlayForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!shown_) {
        shown_ = true;
        for (int i = 0; i < 5; ++i) {
            TImageEx* button = controls_.TransportButtons(i);
            button->ShowImage(KnapparFor(button->objectName()), 0);
        }
        controller_.FormShow();
    }
}

void TVokPlayForm::closeEvent(QCloseEvent* event) {
    controller_.FormCloseQuery();
    controller_.FormClose();
    event->accept();
}

void TVokPlayForm::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    controller_.DisplayMouseUp(at.x(), at.y());
    event->accept();
}

void TVokPlayForm::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    // The panel's controls pass on the double clicks they do not use; the screen mode belongs
    // to the display area alone.
    if (panelen_->isVisible() && panelen_->geometry().contains(event->position().toPoint())) {
        return;
    }
    controller_.LogoClick();
}

void TVokPlayForm::wheelEvent(QWheelEvent* event) {
    event->accept();  // the wheel has no effect on the player
}

void TVokPlayForm::contextMenuEvent(QContextMenuEvent* event) {
    // The timeline bar's rows seek on the release of any button, the right one included; a menu
    // opened there would take that release.
    if (event->pos().y() >= geometry::BarTop || controller_.Display().FullScreen()) {
        return;
    }
    QMenu menu(this);
    QAction* replace = menu.addAction(QStringLiteral("Replace song file..."));
    replace->setEnabled(controller_.CanReplaceSongFile());
    connect(replace, &QAction::triggered, &controller_, &PlayerController::ReplaceBtnClick);
    menu.addSeparator();
    connect(menu.addAction(QStringLiteral("Copyright...")), &QAction::triggered, &controller_,
            &PlayerController::ShowCopyright);
    menu.exec(event->globalPos());
}

}  // namespace vok
