#include "audio/Decoder.h"

#include "audio/FileReader.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/intreadwrite.h>
#include <libavutil/log.h>
}

#include <algorithm>
#include <tuple>
#include <unordered_map>
#include <utility>

namespace vok::audio {

namespace {

// Decoded frames to throw away before a seek target so the decoder has settled (MP3's bit
// reservoir, Vorbis and WMA overlap); grows when the demuxer lands late.
constexpr std::int64_t kPrerollFrames = 16 * 1152;

// Sample rates we play. Real songs lie far inside; a header claiming a few hertz (or millions)
// is broken, and converting it to the device rate would need absurd buffers.
constexpr int kMinRate = 1000;
constexpr int kMaxRate = 768000;

// FFmpeg stops widening its probe once a format scores above AVPROBE_SCORE_RETRY (25) and calls
// anything at or below it a possible misdetection. Real MP3s score 50-51 (with the leading tags
// skipped by our reader), Ogg, ASF and WAV 99-100; a file of zeros or noise named .mp3 scores 1
// from its extension alone.
constexpr int kMinProbeScore = AVPROBE_SCORE_RETRY + 1;

// Bytes read without a decoded frame (or, in the MP3 walk, a valid packet) after which the stream
// ends. A real gap (a tag in the middle, a damaged stretch) is far smaller. The demuxer's buffer
// and the time spent on junk are bounded by it.
constexpr std::int64_t kMaxBytesWithoutAudio = 4 << 20;
// Playback reads only what the pre-scan saw, so its cut-off is a safety net, never reached first.
constexpr std::int64_t kPlaybackBudget = 2 * kMaxBytesWithoutAudio;

// find_stream_info reads at most this much.
constexpr const char* kProbeBytes = "2000000";

// One MPEG audio frame header, as the decoder reads it.
struct MpegFrame {
    int rate = 0;
    int channels = 0;
    int samples = 0;  // per frame
    int bytes = 0;    // frame length
};

bool ParseMpegHeader(const std::uint8_t* p, int size, MpegFrame* frame) {
    if (size < 4) {
        return false;
    }
    const std::uint32_t h = AV_RB32(p);
    const int version = static_cast<int>((h >> 19) & 3);  // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
    const int layer = 4 - static_cast<int>((h >> 17) & 3);
    const int bitrateIndex = static_cast<int>((h >> 12) & 15);
    const int rateIndex = static_cast<int>((h >> 10) & 3);
    // Free format (bitrate index 0) needs the next frame to find its length: left to the decoder.
    if ((h & 0xFFE00000u) != 0xFFE00000u || version == 1 || layer == 4 || bitrateIndex == 0 ||
        bitrateIndex == 15 || rateIndex == 3) {
        return false;
    }
    static constexpr int kRates[3] = {44100, 48000, 32000};
    static constexpr short kKbps[2][3][15] = {
        {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
         {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
         {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}},
        {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}}};
    const bool mpeg1 = version == 3;
    frame->rate = kRates[rateIndex] >> (mpeg1 ? 0 : version == 2 ? 1 : 2);
    frame->channels = ((h >> 6) & 3) == 3 ? 1 : 2;
    const int bitrate = kKbps[mpeg1 ? 0 : 1][layer - 1][bitrateIndex] * 1000;
    const int padding = static_cast<int>((h >> 9) & 1);
    if (layer == 1) {
        frame->samples = 384;
        frame->bytes = (12 * bitrate / frame->rate + padding) * 4;
    } else {
        frame->samples = layer == 3 && !mpeg1 ? 576 : 1152;
        frame->bytes = (layer == 3 && !mpeg1 ? 72 : 144) * bitrate / frame->rate + padding;
    }
    return true;
}

std::string AvError(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

// Encoder delay and end padding of an MP3, which the demuxer marks on the first and last packets.
// We trim them ourselves rather than leave it to FFmpeg: FFmpeg applies a packet's marks to the
// next frame it decodes, so a refused frame (played as silence) would shift them onto the next,
// while the packet walk counts them on the packet that carries them. One rule for both keeps the
// length exact.
struct PacketTrim {
    std::int64_t pendingSkip = 0;  // frames still to drop from the front of what comes out
    std::int64_t discardEnd = 0;   // frames to drop from the end of the current packet's frame
    bool marked = false;           // the current packet carried delay or padding

    void Note(const AVPacket* packet) {
        std::size_t size = 0;
        const std::uint8_t* side = av_packet_get_side_data(packet, AV_PKT_DATA_SKIP_SAMPLES, &size);
        marked = side != nullptr && size >= 8;
        discardEnd = marked ? AV_RL32(side + 4) : 0;
        if (marked) {
            pendingSkip += AV_RL32(side);
        }
    }

    // The frames to drop from the front and the back of the current packet's frame of n frames.
    std::pair<std::int64_t, std::int64_t> Take(std::int64_t n) {
        const std::int64_t front = std::min(pendingSkip, n);
        pendingSkip -= front;
        const std::int64_t back = std::min(n - front, discardEnd);
        discardEnd = 0;
        return {front, back};
    }
};

struct SeekPoint {
    std::int64_t start;  // first frame of the packet's output
    std::int64_t key;    // packet timestamp, or its byte position (MP3)
};

// Interleaves `frames` frames of one sample type, converted by `convert`, into `out`.
template <typename T, typename Convert>
void InterleaveAs(const AVFrame* frame, bool planar, int frames, int channels, float* out,
                  Convert convert) {
    if (!planar) {
        const auto* in = reinterpret_cast<const T*>(frame->extended_data[0]);
        for (int i = 0; i < frames * channels; ++i) {
            out[i] = convert(in[i]);
        }
        return;
    }
    for (int c = 0; c < channels; ++c) {
        const auto* in = reinterpret_cast<const T*>(frame->extended_data[c]);
        for (int i = 0; i < frames; ++i) {
            out[i * channels + c] = convert(in[i]);
        }
    }
}

// The decoded frame as interleaved float; silence for a sample format no decoder of ours gives.
// The format is looked at once per frame, not per sample: this loop runs for every sample heard.
void InterleaveFloat(const AVFrame* frame, int frames, int channels, float* out) {
    const auto format = static_cast<AVSampleFormat>(frame->format);
    const bool planar = av_sample_fmt_is_planar(format) != 0;
    switch (av_get_packed_sample_fmt(format)) {
        case AV_SAMPLE_FMT_FLT:
            InterleaveAs<float>(frame, planar, frames, channels, out, [](float v) { return v; });
            return;
        case AV_SAMPLE_FMT_DBL:
            InterleaveAs<double>(frame, planar, frames, channels, out,
                                 [](double v) { return static_cast<float>(v); });
            return;
        case AV_SAMPLE_FMT_S16:
            InterleaveAs<std::int16_t>(frame, planar, frames, channels, out, [](std::int16_t v) {
                return static_cast<float>(v) / 32768.0f;
            });
            return;
        case AV_SAMPLE_FMT_S32:
            InterleaveAs<std::int32_t>(frame, planar, frames, channels, out, [](std::int32_t v) {
                return static_cast<float>(v) / 2147483648.0f;
            });
            return;
        case AV_SAMPLE_FMT_U8:
            InterleaveAs<std::uint8_t>(frame, planar, frames, channels, out, [](std::uint8_t v) {
                return (static_cast<float>(v) - 128.0f) / 128.0f;
            });
            return;
        default:
            std::fill(out, out + static_cast<std::ptrdiff_t>(frames) * channels, 0.0f);
            return;
    }
}

}  // namespace

struct Decoder::Ffmpeg {
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    int stream = -1;
    bool drained = false;                                  // the codec was sent its end
    std::vector<SeekPoint> points;                         // by start
    std::unordered_map<std::int64_t, std::int64_t> byKey;  // key → start
    // MP3: timestamps after a seek are guesses from the bitrate; byte positions are not.
    bool keyIsPosition = false;
    PacketTrim trim;  // MP3 only; other codecs are trimmed by FFmpeg
};

Decoder::Decoder() : ff_(std::make_unique<Ffmpeg>()) {}

Decoder::~Decoder() {
    CloseContext();
}

void Decoder::CloseContext() {
    if (!ff_) {
        return;
    }
    av_frame_free(&ff_->frame);
    av_packet_free(&ff_->packet);
    avcodec_free_context(&ff_->codec);
    avformat_close_input(&ff_->format);  // leaves our I/O context to the reader
    ff_->stream = -1;
    ff_->drained = false;
}

bool Decoder::Fail(std::string why) {
    error_ = std::move(why);
    return false;
}

bool Decoder::OpenContext() {
    CloseContext();
    ff_->format = avformat_alloc_context();
    if (ff_->format == nullptr || (ff_->format->pb = reader_->NewContext()) == nullptr) {
        return Fail("out of memory");
    }
    AVDictionary* options = nullptr;
    // Local files only: a crafted playlist or tag must never make a demuxer open a URL.
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    av_dict_set(&options, "probesize", kProbeBytes, 0);
    const int opened = avformat_open_input(&ff_->format, file_.string().c_str(), nullptr, &options);
    av_dict_free(&options);
    if (opened < 0) {
        ff_->format = nullptr;  // freed by the failed open
        return Fail("not opened: " + AvError(opened));
    }
    if (ff_->format->probe_score < kMinProbeScore) {
        return Fail("probe score too low (" + std::to_string(ff_->format->probe_score) + ", " +
                    ff_->format->iformat->name + ")");
    }
    const int info = avformat_find_stream_info(ff_->format, nullptr);
    if (info < 0) {
        return Fail("no stream information: " + AvError(info));
    }
    const AVCodec* codec = nullptr;
    ff_->stream = av_find_best_stream(ff_->format, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (ff_->stream < 0 || codec == nullptr) {
        return Fail("no audio stream");
    }
    for (unsigned i = 0; i < ff_->format->nb_streams; ++i) {
        if (static_cast<int>(i) != ff_->stream) {
            ff_->format->streams[i]->discard = AVDISCARD_ALL;
        }
    }
    const AVCodecParameters* par = ff_->format->streams[ff_->stream]->codecpar;
    ff_->codec = avcodec_alloc_context3(codec);
    if (ff_->codec == nullptr || avcodec_parameters_to_context(ff_->codec, par) < 0) {
        return Fail("out of memory");
    }
    ff_->codec->pkt_timebase = ff_->format->streams[ff_->stream]->time_base;
    ff_->keyIsPosition = codec->id == AV_CODEC_ID_MP3;
    if (ff_->keyIsPosition) {
        ff_->codec->flags2 |= AV_CODEC_FLAG2_SKIP_MANUAL;  // PacketTrim does it
    }
    ff_->trim = {};
    const int codecOpened = avcodec_open2(ff_->codec, codec, nullptr);
    if (codecOpened < 0) {
        return Fail(std::string("cannot open the ") + codec->name +
                    " decoder: " + AvError(codecOpened));
    }
    ff_->packet = av_packet_alloc();
    ff_->frame = av_frame_alloc();
    if (ff_->packet == nullptr || ff_->frame == nullptr) {
        return Fail("out of memory");
    }
    rate_ = ff_->codec->sample_rate;
    channels_ = ff_->codec->ch_layout.nb_channels;
    bits_ = par->bits_per_raw_sample;
    ff_->drained = false;
    reader_->Progress();
    if (rate_ < kMinRate || rate_ > kMaxRate || channels_ <= 0 || channels_ > 8) {
        return Fail("unplayable format (" + std::to_string(rate_) + " Hz, " +
                    std::to_string(channels_) + " channels)");
    }
    return true;
}

std::unique_ptr<Decoder> Decoder::Open(const std::filesystem::path& file, std::string* error) {
    static const bool quiet = [] {
        av_log_set_level(AV_LOG_QUIET);  // broken files are reported by the result, not stderr
        return true;
    }();
    (void)quiet;
    std::unique_ptr<Decoder> decoder(new Decoder());
    decoder->file_ = file;
    auto fail = [&]() -> std::unique_ptr<Decoder> {
        if (error != nullptr) {
            *error = decoder->error_;
        }
        return nullptr;
    };
    decoder->reader_ = FileReader::Open(file, &decoder->error_);
    if (!decoder->reader_) {
        return fail();
    }
    decoder->reader_->SetBudget(kMaxBytesWithoutAudio);
    if (!decoder->OpenContext() || !decoder->Prescan()) {
        return fail();
    }
    if (!decoder->SeekTo(0)) {
        decoder->error_ = "cannot decode the first frame";
        return fail();
    }
    return decoder;
}

void Decoder::AddSeekPoint(std::int64_t key, std::int64_t start) {
    if (key == AV_NOPTS_VALUE || key < 0) {
        return;
    }
    if (!ff_->byKey.emplace(key, start).second) {
        ff_->byKey[key] = -1;  // ambiguous: never trust it
        return;
    }
    if (ff_->points.empty() || ff_->points.back().start < start) {
        ff_->points.push_back({start, key});
    }
}

// MP3 packets carry their own frame counts and the demuxer marks delay and padding as side
// data, so walking the packets gives the exact decoded length without decoding, as long as
// every packet is a whole frame in the stream's format. Anything else (a change of rate or
// channels, a damaged or cut frame) falls back to counting what the decoder delivers.
bool Decoder::WalkMp3Packets(std::int64_t* total, std::int64_t* end) {
    const AVStream* st = ff_->format->streams[ff_->stream];
    const AVRational frameBase{1, rate_};
    PacketTrim trim;
    bool plain = true;
    *total = 0;
    *end = 0;
    while (plain && av_read_frame(ff_->format, ff_->packet) >= 0) {
        const AVPacket* packet = ff_->packet;
        MpegFrame header;
        if (reader_->Starved()) {
            // Junk the demuxer held when reading was cut off: the stream ends before it.
        } else if (packet->stream_index != ff_->stream) {
        } else if (!ParseMpegHeader(packet->data, packet->size, &header) || header.rate != rate_ ||
                   header.channels != channels_ || header.bytes != packet->size ||
                   av_rescale_q(packet->duration, st->time_base, frameBase) != header.samples) {
            plain = false;
        } else {
            reader_->Progress();
            *end = std::max(*end, packet->pos + packet->size);
            trim.Note(packet);
            if (!trim.marked && trim.pendingSkip == 0) {
                AddSeekPoint(packet->pos, *total);
            }
            const auto [front, back] = trim.Take(header.samples);
            *total += header.samples - front - back;
        }
        av_packet_unref(ff_->packet);
    }
    return plain;
}

bool Decoder::Prescan() {
    ff_->points.clear();
    ff_->byKey.clear();
    std::int64_t total = 0;
    std::int64_t songEnd = 0;
    bool counted = ff_->keyIsPosition && WalkMp3Packets(&total, &songEnd);
    if (counted && reader_->Starved() && total > 0) {
        // Junk follows the song. Seen without it, the song's info frame is trusted again (FFmpeg
        // ignores one that describes much less than the file), so its end padding is trimmed.
        reader_->SetEnd(songEnd);
        ff_->points.clear();
        ff_->byKey.clear();
        counted = OpenContext() && WalkMp3Packets(&total, &songEnd);
    }
    if (!counted) {
        // Decode once through the playback path: what it keeps is what playback delivers, and
        // frames keep the keys a later seek will see again.
        ff_->points.clear();
        ff_->byKey.clear();
        if (ff_->keyIsPosition && !OpenContext()) {
            return false;
        }
        scanning_ = true;
        counting_ = true;
        ended_ = false;
        next_ = 0;
        while (DecodeFrame()) {
            next_ += static_cast<std::int64_t>(pending_.size()) / channels_;
        }
        scanning_ = false;
        total = next_;
    }
    length_ = total;
    if (reader_->Starved()) {
        // Later reads end where this one did, so playback never goes past what was counted.
        reader_->SetEnd(reader_->StarvedAt());
        if (total == 0) {
            return Fail("no audio within " + std::to_string(kMaxBytesWithoutAudio) + " bytes");
        }
    }
    if (total <= 0) {
        return Fail("no audio frames");
    }
    reader_->SetBudget(kPlaybackBudget);
    return OpenContext();
}

bool Decoder::DecodeFrame() {
    pending_.clear();
    pendingOffset_ = 0;
    for (;;) {
        const int got = avcodec_receive_frame(ff_->codec, ff_->frame);
        if (got == 0) {
            AVFrame* f = ff_->frame;
            const int n = f->nb_samples;
            // Another rate or channel count than the stream's is dropped rather than resampled:
            // resampler state would make a frame's output length depend on where decoding began,
            // and the length and seeking must not.
            const bool kept = n > 0 && f->sample_rate == rate_ &&
                              f->ch_layout.nb_channels == channels_ &&
                              Deliver(f, n, ff_->keyIsPosition ? f->pkt_pos : f->pts);
            av_frame_unref(f);
            if (kept) {
                return true;
            }
            continue;
        }
        if (got != AVERROR(EAGAIN) || ff_->drained) {
            return false;
        }
        const int read = av_read_frame(ff_->format, ff_->packet);
        if (read < 0) {
            avcodec_send_packet(ff_->codec, nullptr);
            ff_->drained = true;
            continue;
        }
        if (ff_->packet->stream_index == ff_->stream) {
            if (ff_->keyIsPosition) {
                ff_->trim.Note(ff_->packet);
            }
            if (avcodec_send_packet(ff_->codec, ff_->packet) < 0 && StandInForRefused()) {
                av_packet_unref(ff_->packet);
                return true;
            }
        }
        av_packet_unref(ff_->packet);
    }
}

bool Decoder::Deliver(const AVFrame* decoded, int n, std::int64_t key) {
    std::int64_t front = 0;
    std::int64_t back = 0;
    bool clean = true;
    if (ff_->keyIsPosition) {
        clean = !ff_->trim.marked && ff_->trim.pendingSkip == 0;
        std::tie(front, back) = ff_->trim.Take(n);
    }
    if (front + back >= n || !PlaceFrame(key, clean)) {
        return false;
    }
    const auto samples = [this](std::int64_t frames) {
        return static_cast<std::size_t>(frames) * static_cast<std::size_t>(channels_);
    };
    if (decoded != nullptr) {
        pending_.resize(samples(n));
        InterleaveFloat(decoded, n, channels_, pending_.data());
    } else {
        pending_.assign(samples(n), 0.0F);
    }
    pending_.resize(samples(n - back));
    pending_.erase(pending_.begin(),
                   pending_.begin() + static_cast<std::ptrdiff_t>(samples(front)));
    reader_->Progress();
    return true;
}

bool Decoder::PlaceFrame(std::int64_t key, bool clean) {
    if (scanning_) {
        if (clean) {
            AddSeekPoint(key, next_);
        }
    } else if (const auto known = ff_->byKey.find(key);
               known != ff_->byKey.end() && known->second >= 0) {
        next_ = known->second;
        counting_ = true;
    }
    return counting_;
}

bool Decoder::StandInForRefused() {
    // An MP3 frame whose header is sound but whose data the decoder refuses still counts in the
    // length the packet walk gives: it plays as silence of its own length, keyed like a decoded
    // frame, so the length, the end and every seek stay exact.
    const AVPacket* packet = ff_->packet;
    MpegFrame header;
    if (!ff_->keyIsPosition || !ParseMpegHeader(packet->data, packet->size, &header) ||
        header.rate != rate_ || header.channels != channels_ || header.bytes != packet->size) {
        return false;
    }
    return Deliver(nullptr, header.samples, packet->pos);
}

bool Decoder::SkipPacketsBefore(std::int64_t position) {
    while (av_read_frame(ff_->format, ff_->packet) >= 0) {
        if (ff_->packet->stream_index != ff_->stream) {
        } else if (ff_->packet->pos >= position) {
            ff_->trim.Note(ff_->packet);
            avcodec_send_packet(ff_->codec, ff_->packet);
            av_packet_unref(ff_->packet);
            return true;
        } else {
            reader_->Progress();
        }
        av_packet_unref(ff_->packet);
    }
    return false;
}

bool Decoder::SeekTo(std::int64_t frame) {
    if (frame < 0 || frame >= length_) {
        return false;
    }
    // Tries with growing preroll; the last try decodes from the very start, which is exact.
    for (std::int64_t preroll = kPrerollFrames;; preroll *= 8) {
        const std::int64_t from = frame - preroll;
        auto point = std::upper_bound(
            ff_->points.begin(), ff_->points.end(), from,
            [](std::int64_t value, const SeekPoint& p) { return value < p.start; });
        const bool fromStart = from <= 0 || point == ff_->points.begin();
        if (fromStart) {
            if (!OpenContext()) {
                ended_ = true;
                return false;
            }
            counting_ = true;
            next_ = 0;
        } else {
            --point;
            if (ff_->keyIsPosition) {
                // MP3 seeking in FFmpeg guesses timestamps from the bitrate; walking the packets
                // from the start (no decoding) is exact and cheap.
                if (!OpenContext() || !SkipPacketsBefore(point->key)) {
                    continue;
                }
            } else if (av_seek_frame(ff_->format, ff_->stream, point->key, AVSEEK_FLAG_BACKWARD) <
                       0) {
                continue;
            }
            avcodec_flush_buffers(ff_->codec);
            ff_->drained = false;
            counting_ = false;
        }
        bool late = false;
        while (DecodeFrame()) {
            const auto frames = static_cast<std::int64_t>(pending_.size()) / channels_;
            if (next_ > frame) {
                late = true;  // the demuxer landed after the target
                break;
            }
            if (next_ + frames > frame) {
                pendingOffset_ = static_cast<std::size_t>(frame - next_);
                next_ = frame;
                ended_ = false;
                return true;
            }
            next_ += frames;
        }
        if (fromStart || !late) {
            if (fromStart) {
                ended_ = true;
                return false;  // the file no longer holds the frame (truncated)
            }
            preroll = std::max(preroll, frame);  // fall back to decoding from the start next
        }
    }
}

std::int64_t Decoder::Read(std::vector<float>& out, std::int64_t maxFrames) {
    std::int64_t added = 0;
    while (added < maxFrames && !ended_) {
        const auto have = static_cast<std::int64_t>(pending_.size()) / channels_ -
                          static_cast<std::int64_t>(pendingOffset_);
        if (have <= 0) {
            if (!DecodeFrame()) {
                ended_ = true;
                break;
            }
            continue;
        }
        const std::int64_t take = std::min({have, maxFrames - added, length_ - next_});
        if (take <= 0) {
            ended_ = true;  // the trimmed end: padding beyond the length is never played
            break;
        }
        const auto begin =
            pending_.begin() + static_cast<std::ptrdiff_t>(pendingOffset_) * channels_;
        out.insert(out.end(), begin, begin + static_cast<std::ptrdiff_t>(take) * channels_);
        pendingOffset_ += static_cast<std::size_t>(take);
        next_ += take;
        added += take;
    }
    return added;
}

std::int64_t Decoder::FullDecodeFrames(const std::filesystem::path& file) {
    Decoder d;
    d.file_ = file;
    d.reader_ = FileReader::Open(file, nullptr);
    if (!d.reader_) {
        return -1;
    }
    d.reader_->SetBudget(kMaxBytesWithoutAudio);
    if (!d.OpenContext()) {
        return -1;
    }
    d.counting_ = true;
    std::int64_t total = 0;
    while (d.DecodeFrame()) {
        total += static_cast<std::int64_t>(d.pending_.size()) / d.channels_;
    }
    return total;
}

}  // namespace vok::audio
