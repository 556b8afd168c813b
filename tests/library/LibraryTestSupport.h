#pragma once

#include "support/Id3Writer.h"
#include "support/TempDir.h"

#include <QString>

namespace vok::library::test {

// A small MP3 with an ID3v2 title and artist, written into the folder.
inline QString WriteSong(const vok::test::TempDir& dir, const QString& relative,
                         const QString& title, const QString& artist, int bodyBytes = 2000) {
    vok::test::Id3v2Tag tag;
    tag.Add(vok::test::Id3Frame::Text("TIT2", title, vok::test::Id3Encoding::Utf8))
        .Add(vok::test::Id3Frame::Text("TPE1", artist, vok::test::Id3Encoding::Utf8));
    tag.version = 4;
    return dir.Write(relative, vok::test::Mp3File(tag.Build(), bodyBytes));
}

}  // namespace vok::library::test
