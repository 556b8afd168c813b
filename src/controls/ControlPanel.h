#pragma once

#include "controls/ImageEx.h"
#include "controls/KestButton.h"
#include "controls/VokPanel.h"

namespace vok {

// The custom controls of the player's control panel, placed and coloured as the panel shows
// them. The parent owns them; the player window connects their events.
struct PanelControls {
    TKestButton* VokBtn = nullptr;
    TVokPanel* VokText = nullptr;
    TKestButton* UnloadVokBtn = nullptr;
    TKestButton* MP3Btn = nullptr;
    TVokPanel* MP3Text = nullptr;
    TKestButton* UnloadMP3Btn = nullptr;
    TImageEx* PrevBtn = nullptr;
    TImageEx* StopBtn = nullptr;
    TImageEx* PlayBtn = nullptr;
    TImageEx* PausBtn = nullptr;
    TImageEx* NextBtn = nullptr;

    TImageEx* TransportButtons(int i) const;  // 0..4: Prev, Stop, Play, Pause, Next
};

PanelControls CreatePanelControls(QWidget* panelen);

}  // namespace vok
