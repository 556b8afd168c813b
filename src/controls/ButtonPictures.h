#pragma once

#include <QImage>
#include <QString>

#include "controls/ImageEx.h"

namespace vok {

// The pictures of the transport buttons, drawn in code. Index convention of every list:
// 0 released, 1 pressed, 2 lit (Play while playing, Pause while paused).
enum class TransportSymbol { Prev, Stop, Play, Pause, Next };
enum class PictureState { Released = 0, Pressed = 1, Lit = 2 };

QImage DrawTransportPicture(TransportSymbol symbol, QSize size, PictureState state);

TImageList PrevKnappar();  // 2 images of 16 x 16
TImageList StopKnappar();  // 2 images of 16 x 16
TImageList PlayKnappar();  // 3 images of 16 x 15
TImageList PausKnappar();  // 3 images of 16 x 15
TImageList NextKnappar();  // 2 images of 16 x 16

// The list of a transport button by its name ("PrevBtn", "StopBtn", "PlayBtn", "PausBtn",
// "NextBtn"); empty for any other name.
TImageList KnapparFor(const QString& buttonName);

// Channel states as the audio layer reports them.
inline constexpr int ChannelPlaying = 1;
inline constexpr int ChannelPaused = 3;

// The picture a transport button shows after the mouse is released on it: lit for Play while
// the stream plays and for Pause while it is paused, released otherwise.
int ReleasedImageIndex(const QString& buttonName, int channelActive);

// Shared mouse handlers of the transport buttons: pressed picture at once on any button; on
// release the picture for the stream state (the click, when there was one, has already run).
void BtnMouseDown(TImageEx* sender);
void BtnMouseUp(TImageEx* sender, int channelActive);

}  // namespace vok
