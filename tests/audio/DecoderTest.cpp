#include "audio/Decoder.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QFile>

#include <sys/stat.h>

#include <cmath>
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
    "wma_mono_22k.wma",
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
