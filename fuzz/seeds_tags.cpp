// Seeds for the ID3 harness: tags of every version and the shapes the reader must survive.
#include "Seeds.h"
#include "support/Id3Writer.h"

namespace vok::fuzz {
namespace {

using test::Id3Encoding;
using test::Id3Frame;
using test::Id3v1Tag;
using test::Id3v2Tag;

Id3v2Tag FullTag(std::uint8_t version) {
    const bool shortIds = version == 2;
    Id3v2Tag tag;
    tag.version = version;
    tag.Add(Id3Frame::Text(shortIds ? "TT2" : "TIT2", "Title", Id3Encoding::Utf16Bom))
        .Add(Id3Frame::Text(shortIds ? "TP1" : "TPE1", "Artist"))
        .Add(Id3Frame::Text(shortIds ? "TRK" : "TRCK", "3/9"))
        .Add(Id3Frame::Text(shortIds ? "TCO" : "TCON", "(17)Rock"))
        .Add(Id3Frame::Described(shortIds ? "COM" : "COMM", "d", "c", Id3Encoding::Utf16Bom))
        .Add(Id3Frame::Described(shortIds ? "WXX" : "WXXX", "", "http://a", Id3Encoding::Latin1,
                                 nullptr));
    tag.padding = 32;
    return tag;
}

const SeedRegistration kTagSeeds([] {
    SeedSet set{"tags_id3", {}};
    Id3v1Tag v1;
    v1.title = "Title";
    v1.artist = "Artist";
    v1.track = 4;
    for (std::uint8_t version : {2, 3, 4}) {
        set.seeds.push_back(test::Mp3File(FullTag(version).Build(), 200, v1.Build()));
    }
    Id3v2Tag extended = FullTag(3);
    extended.flags = 0x40 | 0x10;
    set.seeds.push_back(test::Mp3File(extended.Build(), 100));
    Id3v2Tag liar = FullTag(4);
    liar.frames[1].declaredSize = 0x7FFFFFFF;
    liar.syncSafeFrameSizes = false;
    set.seeds.push_back(liar.Build());
    Id3v2Tag modern = FullTag(4);  // a size past seven bits first, then UTF-8 and frame flags
    modern.frames.insert(modern.frames.begin(), Id3Frame::Raw("APIC", QByteArray(300, '\xFF')));
    modern.frames[1] = Id3Frame::Text("TIT2", QStringLiteral("\u00C5 \u266A"), Id3Encoding::Utf8);
    modern.frames[2].formatFlags = 0x43;
    set.seeds.push_back(modern.Build());
    set.seeds.push_back(test::Mp3File({}, 300, v1.Build()));
    set.seeds.push_back(QByteArray("ID3\x04\x00\x00\x7F\x7F\x7F\x7F", 10));
    return set;
});

}  // namespace
}  // namespace vok::fuzz
