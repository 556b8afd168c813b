#pragma once

#include <QString>
#include <memory>

#include "karaoke/ZipSong.h"

namespace vok {

// The files of a graphics song (a CD+G picture stream and its audio), however it was named.
struct GraphicsSongFiles {
    // True when the name opens as a graphics song; false for a plain audio song and for a refusal.
    bool IsGraphicsSong = false;
    QString CdgPath;
    // Empty when no audio was found beside the .cdg: the player then asks for one, as it does for
    // a lyric file whose song is missing.
    QString AudioPath;
    // Why the song was refused (a short English sentence to show); empty otherwise.
    QString Message;
    // For a zipped song: the unpacked files, which live as long as this is held.
    std::shared_ptr<const ZipSong> Unpacked;

    bool Refused() const { return !Message.isEmpty(); }
};

// The audio of the same base name beside a .cdg (GraphicsAudioExtensions() in order, the case of
// name and extension ignored, an exact spelling first); empty when there is none.
QString FindAudioBesideCdg(const QString& cdgPath);
// The .cdg of the same base name beside an audio file, case ignored; empty when there is none.
QString FindCdgBesideAudio(const QString& audioPath);

// What `path` opens as: a .cdg with the audio beside it, an audio file with a .cdg beside it, or a
// zip holding both (unpacked by ZipSong). Any other name, or an audio file without a .cdg, is no
// graphics song and plays as a plain audio song.
GraphicsSongFiles FindGraphicsSong(const QString& path, const ZipLimits& limits = {});

}  // namespace vok
