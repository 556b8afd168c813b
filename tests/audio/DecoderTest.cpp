#include "audio/Decoder.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace vok::audio {
namespace {

std::filesystem::path Fixture(const char* name) {
    return std::filesystem::path(VOK_AUDIO_FIXTURE_DIR) / name;
}

const char* const kCompressed[] = {
    "cbr_stereo_44k.mp3",    "vbr_mono_22k.mp3",    "vbr_noxing_stereo_48k.mp3",
    "vorbis_stereo_48k.ogg", "vorbis_mono_22k.ogg", "wma_stereo_44k.wma",
    "wma_mono_22k.wma",      "joined_44k_22k.mp3",
};

std::vector<float> DecodeAll(Decoder& decoder) {
    std::vector<float> all;
    while (decoder.Read(all, 4096) > 0) {
    }
    return all;
}

class EachFormat : public ::testing::TestWithParam<const char*> {};

TEST_P(EachFormat, LengthIsWhatAFullDecodeGives) {
    const auto file = Fixture(GetParam());
    auto decoder = Decoder::Open(file);
    ASSERT_NE(decoder, nullptr);
    EXPECT_EQ(decoder->Length(), Decoder::FullDecodeFrames(file));
    // Reading from the start delivers exactly that many frames.
    const auto all = DecodeAll(*decoder);
    EXPECT_EQ(static_cast<std::int64_t>(all.size()) / decoder->Channels(), decoder->Length());
}

TEST_P(EachFormat, SeekLandsOnTheExactFrameOfAFullDecode) {
    const auto file = Fixture(GetParam());
    auto reference = Decoder::Open(file);
    ASSERT_NE(reference, nullptr);
    const auto all = DecodeAll(*reference);
    const int channels = reference->Channels();
    const std::int64_t length = reference->Length();
    const int rate = reference->Rate();

    auto decoder = Decoder::Open(file);
    ASSERT_NE(decoder, nullptr);
    // Backwards and forwards, near the start, on frame boundaries and near the end.
    const std::int64_t targets[] = {rate + 123,   1, 1151,         1152,        length - 1,
                                    2 * rate / 3, 0, length - 700, rate / 2 + 1};
    for (const std::int64_t target : targets) {
        SCOPED_TRACE(target);
        ASSERT_TRUE(decoder->SeekTo(target));
        EXPECT_EQ(decoder->NextFrame(), target);
        std::vector<float> got;
        const std::int64_t frames = decoder->Read(got, 512);
        ASSERT_EQ(frames, std::min<std::int64_t>(512, length - target));
        for (std::int64_t i = 0; i < frames * channels; ++i) {
            ASSERT_NEAR(got[static_cast<std::size_t>(i)],
                        all[static_cast<std::size_t>(target * channels + i)], 1e-4)
                << "sample " << i;
        }
    }
    EXPECT_FALSE(decoder->SeekTo(length));
    EXPECT_FALSE(decoder->SeekTo(-1));
}

INSTANTIATE_TEST_SUITE_P(Formats, EachFormat, ::testing::ValuesIn(kCompressed));

TEST(DecoderLength, XingFramesTrimEncoderDelayAndPadding) {
    // 3 s at 44.1 kHz: LAME's info frame lets the delay and padding go.
    auto decoder = Decoder::Open(Fixture("cbr_stereo_44k.mp3"));
    ASSERT_NE(decoder, nullptr);
    EXPECT_EQ(decoder->Length(), 3 * 44100);
    EXPECT_EQ(decoder->Rate(), 44100);
    EXPECT_EQ(decoder->Channels(), 2);
}

void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    QFile out(QString::fromStdString(path.string()));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

std::string ReadBytes(const std::filesystem::path& path) {
    return test::ReadAll(QString::fromStdString(path.string())).toStdString();
}

TEST(DecoderRobustness, BadFilesAreRefused) {
    test::TempDir dir;
    const std::filesystem::path root = dir.Path().toStdString();
    WriteBytes(root / "empty.mp3", "");
    WriteBytes(root / "text.mp3", "This is not a song, just a line of text.\n");
    std::string noise;
    for (int i = 0; i < 20000; ++i) {
        noise.push_back(static_cast<char>((i * 7919 + 13) % 251));
    }
    WriteBytes(root / "noise.wma", noise);
    std::filesystem::create_directory(root / "folder.mp3");
    ASSERT_EQ(mkfifo((root / "fifo.mp3").c_str(), 0600), 0);

    for (const char* name :
         {"missing.mp3", "empty.mp3", "text.mp3", "noise.wma", "folder.mp3", "fifo.mp3"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(Decoder::Open(root / name), nullptr);  // the FIFO must not block
    }
}

TEST(DecoderRobustness, TruncatedFilesPlayWhatIsThere) {
    test::TempDir dir;
    const std::filesystem::path root = dir.Path().toStdString();
    for (const char* name : {"cbr_stereo_44k.mp3", "vorbis_stereo_48k.ogg", "wma_stereo_44k.wma"}) {
        SCOPED_TRACE(name);
        const std::string bytes = ReadBytes(Fixture(name));
        const auto cut = root / name;
        WriteBytes(cut, bytes.substr(0, bytes.size() / 2 + 77));  // cut inside a packet
        auto decoder = Decoder::Open(cut);
        if (decoder == nullptr) {
            // FFmpeg's Ogg demuxer refuses a file whose last page is cut: a clean refusal.
            EXPECT_EQ(std::string(name).substr(0, 6), "vorbis");
            continue;
        }
        EXPECT_GT(decoder->Length(), 0);
        const auto all = DecodeAll(*decoder);
        EXPECT_EQ(static_cast<std::int64_t>(all.size()) / decoder->Channels(), decoder->Length());
        // Only the header left: nothing to play.
        WriteBytes(cut, bytes.substr(0, 40));
        EXPECT_EQ(Decoder::Open(cut), nullptr);
    }
}

TEST(DecoderRobustness, FileShrinkingUnderAnOpenDecoderEndsIt) {
    test::TempDir dir;
    const std::filesystem::path file = std::filesystem::path(dir.Path().toStdString()) / "s.mp3";
    const std::string bytes = ReadBytes(Fixture("cbr_stereo_44k.mp3"));
    WriteBytes(file, bytes);
    auto decoder = Decoder::Open(file);
    ASSERT_NE(decoder, nullptr);
    WriteBytes(file, bytes.substr(0, bytes.size() / 3));
    const auto all = DecodeAll(*decoder);  // must return, with less than the full length
    EXPECT_LT(static_cast<std::int64_t>(all.size()) / 2, decoder->Length());
    EXPECT_FALSE(decoder->SeekTo(decoder->Length() - 10));
}

}  // namespace
}  // namespace vok::audio

namespace vok::audio {
namespace {

// Files that must cost bounded time and memory: junk is refused or cut off, never read whole.
class HostileFiles : public ::testing::Test {
  protected:
    test::TempDir dir;
    std::filesystem::path root{dir.Path().toStdString()};

    std::filesystem::path Sparse(const char* name, off_t size) {
        const auto path = root / name;
        const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
        EXPECT_GE(fd, 0);
        EXPECT_EQ(::ftruncate(fd, size), 0);
        ::close(fd);
        return path;
    }
    static std::string Random(std::size_t size, unsigned seed) {
        std::mt19937 generator(seed);
        std::string bytes(size, '\0');
        for (char& c : bytes) {
            c = static_cast<char>(generator() & 0xFF);
        }
        return bytes;
    }
    static void Append(const std::filesystem::path& path, const std::string& bytes) {
        QFile out(QString::fromStdString(path.string()));
        ASSERT_TRUE(out.open(QIODevice::Append));
        out.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }
};

TEST_F(HostileFiles, ZerosAndNoiseAreRefused) {
    std::string error;
    // A sparse 2 GB file costs no disk; only the probe buffer is ever read of it.
    EXPECT_EQ(Decoder::Open(Sparse("sparse.mp3", off_t{2} << 30), &error), nullptr);
    EXPECT_NE(error.find("probe score"), std::string::npos) << error;
    WriteBytes(root / "noise.mp3", Random(20 << 20, 7));
    EXPECT_EQ(Decoder::Open(root / "noise.mp3"), nullptr);
    WriteBytes(root / "noise.ogg", Random(3 << 20, 8));
    EXPECT_EQ(Decoder::Open(root / "noise.ogg"), nullptr);
    // A tag claiming more than the file holds leaves nothing to play.
    WriteBytes(root / "tag.mp3", std::string("ID3\x03\x00\x00\x7F\x7F\x7F\x7F", 10) +
                                     ReadBytes(Fixture("cbr_stereo_44k.mp3")));
    EXPECT_EQ(Decoder::Open(root / "tag.mp3"), nullptr);
}

TEST_F(HostileFiles, SongFollowedByJunkPlaysTheSongOnly) {
    const std::string song = ReadBytes(Fixture("cbr_stereo_44k.mp3"));
    struct Case {
        const char* name;
        std::string tail;
    };
    for (const Case& c :
         {Case{"zeros.mp3", std::string(20 << 20, '\0')}, Case{"noise.mp3", Random(20 << 20, 9)}}) {
        SCOPED_TRACE(c.name);
        WriteBytes(root / c.name, song);
        Append(root / c.name, c.tail);
        std::string error;
        auto decoder = Decoder::Open(root / c.name, &error);
        ASSERT_NE(decoder, nullptr) << error;
        // Noise may hold chance frame headers; they are dropped or decode to little. Behind
        // zeros the song's own length holds, its end padding trimmed.
        EXPECT_GE(decoder->Length(), 3 * 44100);
        EXPECT_LT(decoder->Length(), 4 * 44100);
        if (c.tail[0] == '\0') {
            EXPECT_EQ(decoder->Length(), 3 * 44100);
        }
        const auto all = DecodeAll(*decoder);
        EXPECT_EQ(static_cast<std::int64_t>(all.size()) / 2, decoder->Length());
        ASSERT_TRUE(decoder->SeekTo(decoder->Length() - 1));
        std::vector<float> last;
        EXPECT_EQ(decoder->Read(last, 100), 1);
    }
}

TEST_F(HostileFiles, LargeLeadingTagsAreSkippedNotRead) {
    // 3 MB of tag (a big cover picture) before the song, twice over.
    std::string tag("ID3\x04\x00\x00", 6);
    const int size = 3 << 20;
    for (int shift : {21, 14, 7, 0}) {
        tag.push_back(static_cast<char>((size >> shift) & 0x7F));
    }
    tag += std::string(size, '\x55');
    WriteBytes(root / "tagged.mp3", tag + tag + ReadBytes(Fixture("cbr_stereo_44k.mp3")));
    std::string error;
    auto decoder = Decoder::Open(root / "tagged.mp3", &error);
    ASSERT_NE(decoder, nullptr) << error;
    EXPECT_EQ(decoder->Length(), 3 * 44100);
}

TEST(DecoderLength, FramesAtAnotherRateAreDroppedFromLengthAndPlayback) {
    // The 22.05 kHz second half of the file is not played at the first half's rate. The first
    // half's end padding stays (its info frame does not mark the end of the file): under one
    // frame more.
    auto decoder = Decoder::Open(Fixture("joined_44k_22k.mp3"));
    ASSERT_NE(decoder, nullptr);
    EXPECT_EQ(decoder->Rate(), 44100);
    EXPECT_GE(decoder->Length(), 3 * 44100);
    EXPECT_LT(decoder->Length(), 3 * 44100 + 1152);
}

}  // namespace
}  // namespace vok::audio
