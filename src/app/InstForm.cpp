#include "app/InstForm.h"

#include "core/WinColour.h"
#include "settings/SettingsStore.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>

#include <algorithm>
#include <functional>

namespace vok {

// A filled rectangle in a colour; releasing any mouse button over it asks for a new one.
class ColourSwatch : public QWidget {
  public:
    ColourSwatch(QWidget* parent, const char* name, const QRect& bounds,
                 std::function<void()> released)
        : QWidget(parent), released_(std::move(released)) {
        setObjectName(QLatin1String(name));
        setGeometry(bounds);
        setCursor(Qt::PointingHandCursor);
    }

    void SetColour(const QColor& colour) {
        colour_ = colour;
        update();
    }
    QColor Colour() const { return colour_; }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setPen(Qt::black);
        painter.setBrush(colour_);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (rect().contains(event->position().toPoint())) {
            released_();
        }
    }

  private:
    std::function<void()> released_;
    QColor colour_;
};

namespace {

const QColor kSilver(192, 192, 192);
const QColor kGrey(128, 128, 128);

void Paint(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, QPoint at) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->move(at);
    label->adjustSize();
    return label;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, const QRect& bounds,
                        bool flat) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(bounds);
    button->setFlat(flat);
    return button;
}

QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const QString& text,
                        const QRect& bounds) {
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(QLatin1String(name));
    // The desktop's font may be wider than the one the sizes were made for: never cut a caption.
    box->setGeometry(bounds.x(), bounds.y(), std::max(bounds.width(), box->sizeHint().width()),
                     std::max(bounds.height(), box->sizeHint().height()));
    return box;
}

QColor ToQColor(qint32 winColour) {
    return QColor::fromRgb(WinColourToRgb(static_cast<quint32>(winColour)));
}

}  // namespace

TInstForm::TInstForm(PlayerController& controller, UserDialogs& dialogs, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      controller_(controller),
      dialogs_(dialogs) {
    setObjectName(QStringLiteral("InstForm"));
    setWindowTitle(QStringLiteral("Settings"));
    setModal(true);
    setFixedSize(489, 392);
    Paint(this, QPalette::Window, kSilver);
    // The desktop's greyed text can be as light as the silver page: disabled captions ("Delete",
    // "Change") are drawn in a grey that stays readable on it.
    QPalette greyed = palette();
    for (const QPalette::ColorRole role :
         {QPalette::ButtonText, QPalette::WindowText, QPalette::Text}) {
        greyed.setColor(QPalette::Disabled, role, kGrey);
    }
    setPalette(greyed);

    pg_ = new QTabWidget(this);
    pg_->setObjectName(QStringLiteral("PG"));
    pg_->setGeometry(8, 0, 473, 337);
    pg_->addTab(BuildGeneralPage(), QStringLiteral("General"));
    pg_->addTab(BuildTextPage(), QStringLiteral("Text"));
    pg_->addTab(BuildLanguagePage(), QStringLiteral("Language"));
    screenPage_ = BuildScreenPage();
    pg_->addTab(screenPage_, QStringLiteral("Screen"));
    for (int i = 0; i < pg_->count(); ++i) {
        Paint(pg_->widget(i), QPalette::Window, kSilver);
    }
    pg_->setCurrentIndex(0);
    connect(pg_, &QTabWidget::currentChanged, this, [this](int index) {
        if (pg_->widget(index) == screenPage_) {
            ScreenTabShow();
        }
    });

    auto* ok = MakeButton(this, "OkBtn", QStringLiteral("OK"), {21, 347, 76, 36}, true);
    auto* cancel =
        MakeButton(this, "CancelBtn", QStringLiteral("Cancel"), {355, 347, 126, 36}, true);
    ok->setAutoDefault(false);
    cancel->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &TInstForm::OkBtnClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    FormCreate();
}

TInstForm::~TInstForm() = default;

QWidget* TInstForm::BuildGeneralPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("GeneralTab"));
    MakeLabel(page, "PathLabel", QStringLiteral("Path to Vokalento-files:"), {5, 7});
    vokPath_ = new QLineEdit(page);
    vokPath_->setObjectName(QStringLiteral("VokPath"));
    vokPath_->setGeometry(10, 22, 431, 21);
    // Only the browser sets the folder; a typed path would be silently ignored, so none is taken.
    vokPath_->setReadOnly(true);
    Paint(vokPath_, QPalette::Base, kSilver);
    auto* browse = MakeButton(page, "VokPathBtn", QStringLiteral(".."), {423, 22, 26, 21}, false);
    connect(browse, &QPushButton::clicked, this, &TInstForm::VokPathBtnClick);

    MakeLabel(page, "JumptimeLabel", QStringLiteral("Jumptime:"), {50, 60});
    // The read-only edit and its up-down arrows in one control.
    spolTid_ = new QSpinBox(page);
    spolTid_->setObjectName(QStringLiteral("SpolTid"));
    spolTid_->setGeometry(50, 75, 50, 21);
    spolTid_->setRange(kMinJumpTime, kMaxJumpTime);
    spolTid_->setSingleStep(1);
    spolTid_->setValue(5);
    spolTid_->setGroupSeparatorShown(false);
    spolTid_->findChild<QLineEdit*>()->setReadOnly(true);
    Paint(spolTid_, QPalette::Base, kSilver);
    MakeLabel(page, "Label1", QStringLiteral("seconds"), {104, 80});

    accCB_ = MakeCheckBox(page, "AccCB", QStringLiteral("Check MP3s length more accurate"),
                          {264, 92, 193, 17});
    accCB_->setChecked(true);
    accCB_->setVisible(false);

    auto* group = new QGroupBox(QStringLiteral("Path to songs"), page);
    group->setObjectName(QStringLiteral("MP3GB"));
    group->setGeometry(0, 112, 465, 197);
    auto* add = MakeButton(group, "AddBtn", QStringLiteral("Add..."), {7, 23, 86, 18}, true);
    delBtn_ = MakeButton(group, "DelBtn", QStringLiteral("Delete"), {102, 23, 86, 18}, true);
    delBtn_->setEnabled(false);
    mp3DirList_ = new QListWidget(group);
    mp3DirList_->setObjectName(QStringLiteral("MP3DirList"));
    mp3DirList_->setGeometry(2, 47, 461, 148);
    Paint(mp3DirList_, QPalette::Base, kGrey);
    connect(add, &QPushButton::clicked, this, &TInstForm::AddBtnClick);
    connect(delBtn_, &QPushButton::clicked, this, &TInstForm::DelBtnClick);
    connect(mp3DirList_, &QListWidget::itemSelectionChanged, this, &TInstForm::MP3DirListClick);
    return page;
}

QWidget* TInstForm::BuildTextPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TextTab"));
    auto* text = new QGroupBox(QStringLiteral("Text color"), page);
    text->setObjectName(QStringLiteral("TextColor"));
    text->setGeometry(8, 16, 129, 49);
    actTextClr_ =
        new ColourSwatch(text, "ActTextClr", {16, 16, 97, 25}, [this] { PickColour(false); });
    auto* outline = new QGroupBox(QStringLiteral("Text outline color"), page);
    outline->setObjectName(QStringLiteral("TextOutlineColor"));
    outline->setGeometry(160, 16, 129, 49);
    actOLTextClr_ =
        new ColourSwatch(outline, "ActOLTextClr", {16, 16, 97, 25}, [this] { PickColour(true); });
    olCB_ = MakeCheckBox(page, "OLCB", QStringLiteral("Enable outlined text"), {160, 64, 145, 17});
    QFont bold = olCB_->font();
    bold.setBold(true);
    olCB_->setFont(bold);
    olCB_->resize(std::max(olCB_->width(), olCB_->sizeHint().width()), olCB_->height());
    connect(olCB_, &QCheckBox::clicked, this,
            [this](bool checked) { controller_.SetOutlined(checked); });
    return page;
}

QWidget* TInstForm::BuildLanguagePage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("LanguageTab"));
    auto* language = new QLabel(QStringLiteral("English"), page);
    language->setObjectName(QStringLiteral("LanguageText"));
    language->setGeometry(8, 16, 161, 17);
    language->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto* change =
        MakeButton(page, "ChangeBtn", QStringLiteral("Change"), {168, 16, 49, 17}, false);
    change->setEnabled(false);
    return page;
}

QWidget* TInstForm::BuildScreenPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("ScreenTab"));
    dualDescCB_ = MakeCheckBox(
        page, "DualDescCB", QStringLiteral("Use mulitple displays if available"), {8, 8, 193, 17});
    startFSCB_ = MakeCheckBox(page, "StartFSCB", QStringLiteral("Fullscreen at filestart"),
                              {8, 32, 137, 17});
    startFSCB_->setToolTip(
        QStringLiteral("If the program is assigned to the .vok or .vpl fileformat"));
    startFSCB_->setChecked(true);
    sclb_ = new QListWidget(page);
    sclb_->setObjectName(QStringLiteral("SCLB"));
    sclb_->setGeometry(40, 72, 265, 137);
    Paint(sclb_, QPalette::Base, Qt::white);
    return page;
}

void TInstForm::FormCreate() {
    const DialogSettings read = controller_.DialogCreationSettings();
    songFolders_ = read.SongFolders;
    mp3DirList_->addItems(songFolders_);
    lyricFolder_ = read.LyricFolder;
    vokPath_->setText(lyricFolder_);
    spolTid_->setValue(read.JumpTime);
    dualDescCB_->setChecked(read.DualDesc);
    startFSCB_->setChecked(read.AutoStartFS);
}

std::optional<SettingsDialogAnswer> TInstForm::Execute() {
    FormShow();
    if (exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return SettingsDialogAnswer{Current(), accCB_->isChecked()};
}

void TInstForm::FormShow() {
    const PlayerSettings& player = controller_.Settings();
    actTextClr_->SetColour(ToQColor(player.TextColour));
    actOLTextClr_->SetColour(ToQColor(player.OutlineColour));
    olCB_->setChecked(player.OutlinedText);
    if (pg_->currentWidget() == screenPage_) {
        ScreenTabShow();
    }
    if (const QWidget* owner = parentWidget()) {
        // Client area over client area: frames differ between window systems.
        QRect area(QPoint(), size());
        area.moveCenter(owner->geometry().center());
        setGeometry(area);
    }
}

void TInstForm::ScreenTabShow() {
    sclb_->clear();
    sclb_->addItems(controller_.ScreenList());
}

QString TInstForm::BrowseStart() const {
    return lyricFolder_.isEmpty() ? controller_.DefaultLyricFolder() : lyricFolder_;
}

void TInstForm::VokPathBtnClick() {
    const QString folder = dialogs_.BrowseFolder(kLyricFolderInstruction, BrowseStart());
    if (!folder.isEmpty()) {
        lyricFolder_ = folder;
        vokPath_->setText(folder);
    }
}

void TInstForm::AddBtnClick() {
    const QString folder = dialogs_.BrowseFolder(kSongFolderInstruction, BrowseStart());
    if (!folder.isEmpty()) {
        songFolders_.append(folder);
        mp3DirList_->addItem(folder);
    }
}

void TInstForm::DelBtnClick() {
    const QList<QListWidgetItem*> selected = mp3DirList_->selectedItems();
    if (selected.isEmpty()) {
        return;
    }
    const int row = mp3DirList_->row(selected.constFirst());
    delete mp3DirList_->takeItem(row);
    songFolders_.removeAt(row);
    MP3DirListClick();
}

void TInstForm::MP3DirListClick() {
    delBtn_->setEnabled(!mp3DirList_->selectedItems().isEmpty());
}

void TInstForm::PickColour(bool outline) {
    const PlayerSettings& player = controller_.Settings();
    QColor colour = ToQColor(outline ? player.OutlineColour : player.TextColour);
    if (!dialogs_.PickColour(colour)) {
        return;
    }
    const auto value = static_cast<qint32>(RgbToWinColour(colour.rgb()));
    if (outline) {
        controller_.SetOutlineColour(value);
        actOLTextClr_->SetColour(colour);
    } else {
        controller_.SetTextColour(value);
        actTextClr_->SetColour(colour);
    }
}

DialogSettings TInstForm::Current() const {
    return DialogSettings{songFolders_, lyricFolder_, spolTid_->value(), dualDescCB_->isChecked(),
                          startFSCB_->isChecked()};
}

void TInstForm::OkBtnClick() {
    // A refused write leaves the dialog open: nothing is lost and the user can try again.
    if (controller_.SettingsOk(Current())) {
        accept();
    }
}

}  // namespace vok
