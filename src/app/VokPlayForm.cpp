#include "app/VokPlayForm.h"

#include "app/PlayListBridge.h"
#include "app/VolumeBar.h"
#include "controls/ButtonPictures.h"
#include "display/ScreenGeometry.h"
#include "settings/WindowPlacement.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

namespace vok {

namespace {

constexpr int kPanelTop = geometry::DisplayHeight;
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

TVokPlayForm::TVokPlayForm(PlayerOptions options, QWidget* parent)
    : QWidget(parent),
      options_(std::move(options)),
      ownDialogs_(options_.Dialogs == nullptr ? std::make_unique<QtUserDialogs>() : nullptr),
      dialogs_(options_.Dialogs != nullptr ? options_.Dialogs : ownDialogs_.get()),
      paths_(AppPaths::Current()),
      engine_(song_, *this, mp3Lines_, *this),
      bridge_(std::make_unique<PlayListBridge>(*this)),
      playList_(std::make_unique<PlayList>(*bridge_, options_.Draw)),
      display_(*this) {
    if (ownDialogs_) {
        ownDialogs_->SetParent(this);
    }
    if (!options_.Quit) {
        options_.Quit = [] { QCoreApplication::exit(0); };
    }
    setObjectName(QStringLiteral("VokPlayForm"));
    setWindowTitle(kDefaultCaption);
    tmr_.setSingleShot(true);
    tmr_.setInterval(33);
    connect(&tmr_, &QTimer::timeout, this, [this] { tmrTimer(); });
    BuildLayout();
    ConnectControls();
    FormCreate();
}

TVokPlayForm::~TVokPlayForm() {
    tmr_.stop();
    engine_.CloseStream();
    engine_.ShutdownAudio();
}

void TVokPlayForm::BuildLayout() {
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
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
    vokLines_.Attach(controls_.VokText);
    mp3Lines_.Attach(controls_.MP3Text);

    volBar_ = new TVolBar(panelen_);
    volBar_->setObjectName(QStringLiteral("VolBar"));
    volBar_->setGeometry(17, 105, 21, PlaybackEngine::VolumeBarHeight);

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
    // Full screen, the playlist window and the settings dialog are not part of this window yet.
    fsBtn_->setEnabled(false);
    plBtn_->setEnabled(false);
    instBtn_->setEnabled(false);

    for (QWidget* child : panelen_->findChildren<QWidget*>()) {
        child->setFocusPolicy(Qt::NoFocus);
    }
}

void TVokPlayForm::ConnectControls() {
    connect(controls_.VokBtn, &TKestButton::OnClick, this, [this] { VoKBtnClick(); });
    connect(controls_.MP3Btn, &TKestButton::OnClick, this, [this] { MP3BtnClick(); });
    connect(controls_.UnloadVokBtn, &TKestButton::OnClick, this, [this] { UnloadVokBtnClick(); });
    connect(controls_.UnloadMP3Btn, &TKestButton::OnClick, this, [this] { UnloadMP3BtnClick(); });
    connect(controls_.PrevBtn, &TImageEx::OnClick, this, [this] { PrevBtnClick(); });
    connect(controls_.StopBtn, &TImageEx::OnClick, this, [this] { StopBtnClick(); });
    connect(controls_.PlayBtn, &TImageEx::OnClick, this, [this] { PlayBtnClick(); });
    connect(controls_.PausBtn, &TImageEx::OnClick, this, [this] { PausBtnClick(); });
    connect(controls_.NextBtn, &TImageEx::OnClick, this, [this] { NextBtnClick(); });
    for (int i = 0; i < 5; ++i) {
        TImageEx* button = controls_.TransportButtons(i);
        connect(button, &TImageEx::OnMouseDown, this,
                [this](QObject* sender, Qt::MouseButton) { TransportMouseDown(sender); });
        connect(button, &TImageEx::OnMouseUp, this,
                [this](QObject* sender, Qt::MouseButton) { TransportMouseUp(sender); });
    }
    connect(volBar_, &TVolBar::MouseUp, this, [this](int y) { VolBarMouseUp(y); });
    connect(volBar_, &TVolBar::MouseMove, this,
            [this](int y, bool held) { VolBarMouseMove(y, held); });
    connect(randBtn_, &QPushButton::toggled, this, [this](bool down) { SetRandomDown(down); });
}

void TVokPlayForm::FormCreate() {
    if (engine_.StartAudio(options_.AudioDevice) == AudioStartup::WrongVersion) {
        mustEnd_ = true;
        return;
    }
    readyForFiles_ = false;
    startedWithFiles_ = !options_.Parameters.isEmpty();
    readOnlyRun_ = paths_.OnReadOnlyMedium();
    if (readOnlyRun_) {
        instBtn_->setEnabled(false);
    }
    const QString logo = paths_.LogoFile();
    if (!logo.isEmpty()) {
        display_.LoadLogo(logo);
    }
    // The random draw is seeded by the playlist; the display made its images; the engine starts
    // idle with no song.
    settings_ = LoadPlayerSettings(paths_.SettingsFile(), paths_.DefaultLyricFolder());
    setWindowTitle(settings_.Caption);
    QGuiApplication::setApplicationDisplayName(settings_.Caption);
    engine_.SetJumpTime(settings_.JumpTime);
    display_.Colours =
        LyricColours{static_cast<std::uint32_t>(settings_.TextColour),
                     static_cast<std::uint32_t>(settings_.OutlineColour), settings_.OutlinedText};
    PlaceWindow();
    engine_.ChangeVolume(settings_.Volume);

    const QList<QScreen*> screens = QGuiApplication::screens();
    const QScreen* used =
        screens.size() > 1 && settings_.DualDesc ? screens.at(1) : QGuiApplication::primaryScreen();
    if (used != nullptr) {
        display_.SetLayout(RecalcAspect(used->geometry().width(), used->geometry().height()));
    }
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
    const QRect placed = PlaceMainWindow(settings_.MainFrmX, settings_.MainFrmY, size(),
                                         primary->geometry(), screens);
    move(placed.topLeft());
    // The settled corner is what the close write stores, wherever the window is moved later.
    settings_.MainFrmX = placed.x();
    settings_.MainFrmY = placed.y();
}

void TVokPlayForm::FormShow() {
    SetVolumeBar(engine_.Volume());
    for (int i = 0; i < 5; ++i) {
        TImageEx* button = controls_.TransportButtons(i);
        button->ShowImage(KnapparFor(button->objectName()), 0);
    }
    display_.VisaLogo();
    // The start-up files are taken up once the window is on screen and the event loop runs.
    QMetaObject::invokeMethod(
        this, [this] { AfterShow(); }, Qt::QueuedConnection);
}

QString TVokPlayForm::Caption() const {
    return windowTitle();
}

void TVokPlayForm::tmrTimer() {
    display_.tmrTimer();
}

void TVokPlayForm::SetRandomDown(bool down) {
    if (randBtn_->isChecked() != down) {
        randBtn_->setChecked(down);  // comes back here through toggled
        return;
    }
    playList_->SetRandom(down);
}

void TVokPlayForm::TransportMouseDown(QObject* sender) {
    BtnMouseDown(qobject_cast<TImageEx*>(sender));
}

void TVokPlayForm::TransportMouseUp(QObject* sender) {
    BtnMouseUp(qobject_cast<TImageEx*>(sender),
               static_cast<int>(audio::ChannelIsActive(engine_.Stream())));
}

// --- Keys -----------------------------------------------------------------------------------

bool TVokPlayForm::FormKeyDown(int key, Qt::KeyboardModifiers modifiers) {
    switch (key) {
        case Qt::Key_Space:
            if (HasStream()) {
                if (engine_.IsPlaying()) {
                    PausBtnClick();
                } else {
                    PlayBtnClick();
                }
            }
            return true;
        case Qt::Key_Up:
            playList_->UpKey();
            return true;
        case Qt::Key_Down:
            playList_->DownKey();
            return true;
        case Qt::Key_Plus:
            if ((modifiers & Qt::KeypadModifier) == 0) {
                return false;
            }
            engine_.VolumeUp();
            return true;
        case Qt::Key_Minus:
            if ((modifiers & Qt::KeypadModifier) == 0) {
                return false;
            }
            engine_.VolumeDown();
            return true;
        case Qt::Key_Left:
            engine_.JumpBack();
            return true;
        case Qt::Key_Right:
            engine_.JumpForward();
            return true;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return true;  // the focus never moves
        default:
            return false;
    }
}

void TVokPlayForm::FormKeyUp(int key, Qt::KeyboardModifiers /*modifiers*/) {
    if (key == Qt::Key_F10) {
        SetRandomDown(!randBtn_->isChecked());
    }
    // Alt+Enter switches the screen mode once full screen exists; until then it does nothing.
    // No control keeps the keyboard: the window hears every key.
    setFocus(Qt::OtherFocusReason);
}

void TVokPlayForm::FormKeyPress(int key) {
    if (key == Qt::Key_Escape && PlayState() == playstate::Playing) {
        Stoppa();
    }
}

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
    const bool consumed = FormKeyDown(event->key(), event->modifiers());
    FormKeyPress(event->key());
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
    FormKeyUp(event->key(), event->modifiers());
    event->accept();
}

// --- Window surface and mouse ---------------------------------------------------------------

void TVokPlayForm::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect area = event->rect();
    painter.drawImage(area, display_.Surface(), area);
}

void TVokPlayForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void TVokPlayForm::closeEvent(QCloseEvent* event) {
    FormCloseQuery();
    FormClose();
    event->accept();
}

void TVokPlayForm::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    display_.FormMouseUp(at.x(), at.y());
    event->accept();
}

void TVokPlayForm::wheelEvent(QWheelEvent* event) {
    event->accept();  // the wheel has no effect on the player
}

void TVokPlayForm::contextMenuEvent(QContextMenuEvent* event) {
    // The timeline bar's rows seek on the release of any button, the right one included; a menu
    // opened there would take that release.
    if (event->pos().y() >= geometry::BarTop || display_.FullScreen()) {
        return;
    }
    QMenu menu(this);
    QAction* replace = menu.addAction(QStringLiteral("Replace song file..."));
    replace->setEnabled(song_.Valid && !engine_.SongPath().isEmpty());
    connect(replace, &QAction::triggered, this, [this] { ReplaceBtnClick(); });
    menu.addSeparator();
    connect(menu.addAction(QStringLiteral("Copyright...")), &QAction::triggered, this,
            [this] { ShowCopyright(); });
    menu.exec(event->globalPos());
}

}  // namespace vok
