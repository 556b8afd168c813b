#include "controls/ControlPanel.h"

#include "controls/ButtonPictures.h"

namespace vok {

namespace {

constexpr TColor kGrey55 = 0x555555;
constexpr TColor kGrey66 = 0x666666;

TKestButton* MakeButton(QWidget* parent, const char* name, QRect geometry, const QString& caption,
                        int pixelSize, TColor mouseOverText, bool lighterAtBottom) {
    auto* button = new TKestButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(pixelSize);
    button->setFont(font);
    button->SetFontColor(colors::Green);
    button->SetTextColorMO(mouseOverText);
    // The two rows are mirrored so they meet in their lighter edge.
    button->SetBgFromColor(lighterAtBottom ? colors::Black : kGrey55);
    button->SetBgToColor(lighterAtBottom ? kGrey55 : colors::Black);
    button->SetBgOMFromColor(lighterAtBottom ? colors::Black : kGrey66);
    button->SetBgOMToColor(lighterAtBottom ? kGrey66 : colors::Black);
    button->SetCaption(caption);
    return button;
}

TVokPanel* MakePanel(QWidget* parent, const char* name, QRect geometry, TColor infoColor,
                     bool lighterAtBottom) {
    auto* panel = new TVokPanel(parent);
    panel->setObjectName(QLatin1String(name));
    panel->setGeometry(geometry);
    panel->TitleColor = colors::Lime;
    panel->InfoColor = infoColor;
    panel->FromColor = lighterAtBottom ? colors::Black : kGrey55;
    panel->ToColor = lighterAtBottom ? kGrey55 : colors::Black;
    return panel;
}

TImageEx* MakeImage(QWidget* parent, const char* name, QRect geometry) {
    auto* image = new TImageEx(parent);
    image->setObjectName(QLatin1String(name));
    image->setGeometry(geometry);
    image->ShowImage(KnapparFor(image->objectName()), 0);
    return image;
}

}  // namespace

TImageEx* PanelControls::TransportButtons(int i) const {
    switch (i) {
        case 0:
            return PrevBtn;
        case 1:
            return StopBtn;
        case 2:
            return PlayBtn;
        case 3:
            return PausBtn;
        case 4:
            return NextBtn;
        default:
            return nullptr;
    }
}

PanelControls CreatePanelControls(QWidget* panelen) {
    PanelControls c;
    const QString unload = QStringLiteral("Unload");
    c.VokBtn = MakeButton(panelen, "VokBtn", {3, 16, 102, 41}, QStringLiteral("Load Vokalento"), 13,
                          colors::Lime, true);
    c.VokText = MakePanel(panelen, "VokText", {104, 16, 481, 41}, colors::Olive, true);
    c.UnloadVokBtn =
        MakeButton(panelen, "UnloadVokBtn", {584, 16, 53, 41}, unload, 11, colors::Yellow, true);
    c.MP3Btn = MakeButton(panelen, "MP3Btn", {3, 57, 102, 41}, QStringLiteral("Load song..."), 13,
                          colors::Yellow, false);
    c.MP3Text = MakePanel(panelen, "MP3Text", {104, 57, 481, 41}, colors::Silver, false);
    c.UnloadMP3Btn =
        MakeButton(panelen, "UnloadMP3Btn", {584, 57, 53, 41}, unload, 11, colors::Yellow, false);
    c.PrevBtn = MakeImage(panelen, "PrevBtn", {56, 120, 16, 16});
    c.StopBtn = MakeImage(panelen, "StopBtn", {84, 120, 16, 15});
    c.PlayBtn = MakeImage(panelen, "PlayBtn", {112, 120, 17, 15});
    c.PausBtn = MakeImage(panelen, "PausBtn", {140, 120, 16, 15});
    c.NextBtn = MakeImage(panelen, "NextBtn", {168, 120, 16, 16});
    return c;
}

}  // namespace vok
