#include "library/SongFacts.h"

#include "core/FileNames.h"
#include "karaoke/GraphicsSong.h"
#include "karaoke/KaraokeName.h"
#include "lyrics/SongSearch.h"
#include "lyrics/Vokalento.h"

#include <zip.h>

#include <QFile>
#include <QFileInfo>

#include <array>
#include <cstdint>

namespace vok::library {

namespace {

constexpr qint64 kFrameSearchBytes = 4096;
constexpr qint64 kOggTailBytes = 65536;
constexpr qint64 kMaxZipMembers = 10000;

std::uint32_t BigEndian32(const char* bytes) {
    const auto* u = reinterpret_cast<const unsigned char*>(bytes);
    return (std::uint32_t{u[0]} << 24) | (std::uint32_t{u[1]} << 16) | (std::uint32_t{u[2]} << 8) |
           u[3];
}

std::uint64_t LittleEndian(const char* bytes, int count) {
    const auto* u = reinterpret_cast<const unsigned char*>(bytes);
    std::uint64_t value = 0;
    for (int i = count - 1; i >= 0; --i) {
        value = (value << 8) | u[i];
    }
    return value;
}

struct MpegFrame {
    int BitrateKbps = 0;
    int SampleRate = 0;
    int SamplesPerFrame = 0;
    int Length = 0;    // bytes, with padding
    int SideInfo = 0;  // bytes between the header and a Xing/Info header
    bool Valid() const { return BitrateKbps > 0; }
};

MpegFrame ParseFrameHeader(std::uint32_t header) {
    static constexpr std::array<std::array<int, 15>, 5> kBitrates = {{
        {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},  // 1, layer I
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},     // 1, layer II
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},      // 1, layer III
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},     // 2, layer I
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},          // 2, II and III
    }};
    static constexpr std::array<int, 3> kRates = {44100, 48000, 32000};
    MpegFrame frame;
    if ((header & 0xFFE00000U) != 0xFFE00000U) {
        return frame;
    }
    const unsigned version = (header >> 19) & 3;  // 0: 2.5, 2: 2, 3: 1
    const unsigned layer = 4 - ((header >> 17) & 3);
    const unsigned bitrateIndex = (header >> 12) & 15;
    const unsigned rateIndex = (header >> 10) & 3;
    if (version == 1 || layer == 4 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3) {
        return frame;
    }
    const bool mpeg1 = version == 3;
    const bool mono = ((header >> 6) & 3) == 3;
    const int padding = static_cast<int>((header >> 9) & 1);
    const std::size_t table = mpeg1 ? layer - 1 : (layer == 1 ? 3 : 4);
    frame.BitrateKbps = kBitrates.at(table).at(bitrateIndex);
    frame.SampleRate = kRates.at(rateIndex) >> (mpeg1 ? 0 : (version == 2 ? 1 : 2));
    frame.SamplesPerFrame = layer == 1 ? 384 : (layer == 3 && !mpeg1 ? 576 : 1152);
    frame.Length =
        layer == 1
            ? (12000 * frame.BitrateKbps / frame.SampleRate + padding) * 4
            : frame.SamplesPerFrame / 8 * 1000 * frame.BitrateKbps / frame.SampleRate + padding;
    frame.SideInfo = mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17);
    return frame;
}

int FramesToMs(std::uint32_t frames, const MpegFrame& frame) {
    return static_cast<int>(std::uint64_t{frames} *
                            static_cast<std::uint64_t>(frame.SamplesPerFrame) * 1000 /
                            static_cast<std::uint64_t>(frame.SampleRate));
}

bool HasCdgMember(const QString& zipPath) {
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(zipPath).constData(), ZIP_RDONLY, &error);
    if (archive == nullptr) {
        return false;
    }
    bool found = false;
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count && i < kMaxZipMembers && !found; ++i) {
        const char* name = zip_get_name(archive, static_cast<zip_uint64_t>(i), 0);
        found = name != nullptr && IsCdgFileName(QString::fromUtf8(name));
    }
    zip_discard(archive);
    return found;
}

}  // namespace

TitleArtist ReadSongTitle(const QString& path) {
    TitleArtist tags = TagTitleArtist(path);
    if (tags.Artist.isEmpty() && IsGraphicsSongName(path)) {
        // A graphics song: the tags of its audio, else the karaoke naming of its file.
        const QString audio = IsCdgFileName(path) ? FindAudioBesideCdg(path) : QString();
        if (!audio.isEmpty()) {
            tags = TagTitleArtist(audio);
        }
        if (tags.Artist.isEmpty()) {
            const KaraokeName named = ParseKaraokeName(path);
            tags = {named.Title, named.Artist};
        }
    }
    return tags;
}

std::optional<SongKind> SongKindOfName(const QString& path) {
    const QString extension = TagExtension(path);
    if (extension == QLatin1String("vok")) {
        return SongKind::Lyrics;
    }
    if (extension == QLatin1String("lrc")) {
        return SongKind::Lrc;
    }
    if (extension == QLatin1String("cdg") || extension == QLatin1String("zip")) {
        return SongKind::Graphics;
    }
    if (extension == QLatin1String("mp3") || extension == QLatin1String("ogg") ||
        extension == QLatin1String("wma")) {
        return SongKind::Audio;
    }
    return std::nullopt;
}

SongFacts ReadSongFacts(const QString& path) {
    SongFacts facts;
    const std::optional<SongKind> kind = SongKindOfName(path);
    if (!kind || !QFileInfo(path).isFile()) {
        return facts;
    }
    facts.Kind = *kind;
    if (facts.Kind == SongKind::Lyrics) {
        TVokalento song;
        song.LoadFromFile(path);
        if (!song.Valid) {
            return facts;
        }
        facts.Title = song.Title;
        facts.Artist = song.Artist;
        const AudioSearchResult found = FindAudioForLyrics(song.SongFile, path, {}, {});
        facts.Audio = found.Source == AudioSource::None ? QString() : found.Path;
        facts.DurationMs = facts.Audio.isEmpty() ? 0 : AudioDurationMs(facts.Audio);
        if (facts.DurationMs == 0) {
            facts.DurationMs = song.SongLength > 0 ? song.SongLength : 0;
        }
        facts.IsSong = true;
        return facts;
    }
    const TitleArtist tags = ReadSongTitle(path);
    facts.Title = tags.Title;
    facts.Artist = tags.Artist;
    if (facts.Kind == SongKind::Lrc) {
        facts.Audio = FindAudioBesideLrc(path);
    } else if (IsCdgFileName(path)) {
        facts.Audio = FindAudioBesideCdg(path);
        if (facts.Audio.isEmpty()) {
            return facts;  // the player would have to ask for its audio: no song to list
        }
    } else if (IsZipFileName(path)) {
        if (!HasCdgMember(path)) {
            return facts;
        }
    } else {
        facts.DurationMs = AudioDurationMs(path);
    }
    if (!facts.Audio.isEmpty()) {
        facts.DurationMs = AudioDurationMs(facts.Audio);
    }
    facts.IsSong = true;
    return facts;
}

int Mp3DurationMs(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return 0;
    }
    const qint64 fileSize = file.size();
    qint64 audioStart = 0;
    const QByteArray head = file.read(10);
    if (head.size() == 10 && head.startsWith("ID3")) {
        const auto* u = reinterpret_cast<const unsigned char*>(head.constData());
        audioStart = 10 + ((qint64{u[6] & 0x7F} << 21) | (qint64{u[7] & 0x7F} << 14) |
                           (qint64{u[8] & 0x7F} << 7) | (u[9] & 0x7F));
        if ((u[5] & 0x10) != 0) {
            audioStart += 10;  // a footer
        }
    }
    if (!file.seek(audioStart)) {
        return 0;
    }
    const QByteArray block = file.read(kFrameSearchBytes);
    for (qsizetype at = 0; at + 4 <= block.size(); ++at) {
        const MpegFrame frame = ParseFrameHeader(BigEndian32(block.constData() + at));
        if (!frame.Valid()) {
            continue;
        }
        // A sync word by chance is no frame: the next one must follow where this one ends.
        const qsizetype next = at + frame.Length;
        if (next + 4 <= block.size() &&
            !ParseFrameHeader(BigEndian32(block.constData() + next)).Valid()) {
            continue;
        }
        const qsizetype xing = at + 4 + frame.SideInfo;
        if (xing + 12 <= block.size()) {
            const QByteArray id = block.mid(xing, 4);
            if ((id == "Xing" || id == "Info") &&
                (BigEndian32(block.constData() + xing + 4) & 1) != 0) {
                return FramesToMs(BigEndian32(block.constData() + xing + 8), frame);
            }
        }
        const qsizetype vbri = at + 4 + 32;
        if (vbri + 18 <= block.size() && block.mid(vbri, 4) == "VBRI") {
            return FramesToMs(BigEndian32(block.constData() + vbri + 14), frame);
        }
        qint64 audioBytes = fileSize - audioStart - at;
        if (file.seek(fileSize - 128) && file.read(3) == "TAG") {
            audioBytes -= 128;
        }
        return audioBytes > 0 ? static_cast<int>(audioBytes * 8 / frame.BitrateKbps) : 0;
    }
    return 0;
}

int OggDurationMs(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return 0;
    }
    const QByteArray first = file.read(4096);
    if (first.size() < 28 || !first.startsWith("OggS")) {
        return 0;
    }
    const qsizetype packet = 27 + static_cast<unsigned char>(first.at(26));
    std::uint64_t rate = 0;
    std::uint64_t preSkip = 0;
    if (first.mid(packet, 7) == QByteArray("\x01vorbis", 7) && packet + 16 <= first.size()) {
        rate = LittleEndian(first.constData() + packet + 12, 4);
    } else if (first.mid(packet, 8) == "OpusHead" && packet + 12 <= first.size()) {
        rate = 48000;  // Opus positions count at 48 kHz whatever the input was
        preSkip = LittleEndian(first.constData() + packet + 10, 2);
    }
    if (rate == 0) {
        return 0;
    }
    const qint64 tailStart = qMax<qint64>(0, file.size() - kOggTailBytes);
    if (!file.seek(tailStart)) {
        return 0;
    }
    const QByteArray tail = file.read(kOggTailBytes);
    const qsizetype last = tail.lastIndexOf("OggS");
    if (last < 0 || last + 14 > tail.size()) {
        return 0;
    }
    const std::uint64_t granule = LittleEndian(tail.constData() + last + 6, 8);
    if (granule <= preSkip || granule == ~std::uint64_t{0}) {
        return 0;
    }
    return static_cast<int>(qMin<std::uint64_t>((granule - preSkip) * 1000 / rate, INT32_MAX));
}

int AudioDurationMs(const QString& path) {
    const QString extension = TagExtension(path);
    if (extension == QLatin1String("mp3")) {
        return Mp3DurationMs(path);
    }
    if (extension == QLatin1String("ogg") || extension == QLatin1String("opus")) {
        return OggDurationMs(path);
    }
    return 0;
}

QString SearchName(const QString& path) {
    QString name = LocalFileName(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot > 0) {
        name.truncate(dot);
    }
    for (QChar& c : name) {
        if (!c.isLetterOrNumber()) {
            c = QLatin1Char(' ');
        }
    }
    return name.simplified();
}

}  // namespace vok::library
