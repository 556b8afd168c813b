#include "audio/Decoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/intreadwrite.h>
#include <libavutil/log.h>
}

#include <algorithm>
#include <system_error>
#include <unordered_map>

namespace vok::audio {

namespace {

// Decoded frames to throw away before a seek target so the decoder has settled (MP3's bit
// reservoir, Vorbis and WMA overlap); grows when the demuxer lands late.
constexpr std::int64_t kPrerollFrames = 16 * 1152;

// Sample rates we play. Real songs lie far inside; a header claiming a few hertz (or millions)
// is broken, and converting it to the device rate would need absurd buffers.
constexpr int kMinRate = 1000;
constexpr int kMaxRate = 768000;

struct SeekPoint {
    std::int64_t start;  // first frame of the packet's output
    std::int64_t key;    // packet timestamp, or its byte position (MP3)
};

float SampleAt(const AVFrame* frame, int channel, int index, int channels) {
    const auto fmt = static_cast<AVSampleFormat>(frame->format);
    const bool planar = av_sample_fmt_is_planar(fmt) != 0;
    const int plane = planar ? channel : 0;
    const int at = planar ? index : index * channels + channel;
    const std::uint8_t* data = frame->extended_data[plane];
    switch (av_get_packed_sample_fmt(fmt)) {
        case AV_SAMPLE_FMT_FLT:
            return reinterpret_cast<const float*>(data)[at];
        case AV_SAMPLE_FMT_DBL:
            return static_cast<float>(reinterpret_cast<const double*>(data)[at]);
        case AV_SAMPLE_FMT_S16:
            return static_cast<float>(reinterpret_cast<const std::int16_t*>(data)[at]) / 32768.0f;
        case AV_SAMPLE_FMT_S32:
            return static_cast<float>(reinterpret_cast<const std::int32_t*>(data)[at]) /
                   2147483648.0f;
        case AV_SAMPLE_FMT_U8:
            return (static_cast<float>(data[at]) - 128.0f) / 128.0f;
        default:
            return 0.0f;
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
    // MP3 timestamps after a seek are guesses from the bitrate; byte positions are not.
    bool keyIsPosition = false;
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
    avformat_close_input(&ff_->format);
    ff_->stream = -1;
    ff_->drained = false;
}

bool Decoder::OpenContext() {
    CloseContext();
    AVDictionary* options = nullptr;
    // Local files only: a crafted playlist or tag must never make us open a URL.
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    const std::string name = file_.string();
    const int opened = avformat_open_input(&ff_->format, name.c_str(), nullptr, &options);
    av_dict_free(&options);
    if (opened < 0) {
        ff_->format = nullptr;
        return false;
    }
    if (avformat_find_stream_info(ff_->format, nullptr) < 0) {
        return false;
    }
    const AVCodec* codec = nullptr;
    ff_->stream = av_find_best_stream(ff_->format, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (ff_->stream < 0 || codec == nullptr) {
        return false;
    }
    for (unsigned i = 0; i < ff_->format->nb_streams; ++i) {
        if (static_cast<int>(i) != ff_->stream) {
            ff_->format->streams[i]->discard = AVDISCARD_ALL;
        }
    }
    const AVCodecParameters* par = ff_->format->streams[ff_->stream]->codecpar;
    ff_->codec = avcodec_alloc_context3(codec);
    if (ff_->codec == nullptr || avcodec_parameters_to_context(ff_->codec, par) < 0) {
        return false;
    }
    ff_->codec->pkt_timebase = ff_->format->streams[ff_->stream]->time_base;
    if (avcodec_open2(ff_->codec, codec, nullptr) < 0) {
        return false;
    }
    ff_->packet = av_packet_alloc();
    ff_->frame = av_frame_alloc();
    if (ff_->packet == nullptr || ff_->frame == nullptr) {
        return false;
    }
    rate_ = ff_->codec->sample_rate;
    channels_ = ff_->codec->ch_layout.nb_channels;
    bits_ = par->bits_per_raw_sample;
    ff_->drained = false;
    return rate_ >= kMinRate && rate_ <= kMaxRate && channels_ > 0 && channels_ <= 8;
}

std::unique_ptr<Decoder> Decoder::Open(const std::filesystem::path& file, std::string* error) {
    auto fail = [error](const char* why) {
        if (error != nullptr) {
            *error = why;
        }
        return nullptr;
    };
    std::error_code ec;
    // Not a regular file (folder, FIFO, device): opening could block forever.
    if (!std::filesystem::is_regular_file(file, ec) || std::filesystem::file_size(file, ec) == 0 ||
        ec) {
        return fail("not a readable, non-empty file");
    }
    static const bool quiet = [] {
        av_log_set_level(AV_LOG_QUIET);  // broken files are reported by the result, not stderr
        return true;
    }();
    (void)quiet;
    std::unique_ptr<Decoder> decoder(new Decoder());
    decoder->file_ = file;
    if (!decoder->OpenContext()) {
        return fail("no decodable audio stream");
    }
    if (!decoder->Prescan() || decoder->length_ <= 0) {
        return fail("no audio frames");
    }
    if (!decoder->SeekTo(0)) {
        return fail("cannot decode the first frame");
    }
    return decoder;
}

// MP3 packets carry their own frame counts and the demuxer marks delay and padding as side
// data, so walking the packets gives the exact decoded length without decoding. Other codecs are
// decoded once (Vorbis and WMA packet sizes vary and need the decoder's view).
bool Decoder::Prescan() {
    const AVStream* st = ff_->format->streams[ff_->stream];
    const AVRational frameBase{1, rate_};
    ff_->points.clear();
    ff_->byKey.clear();
    std::int64_t total = 0;
    auto addPoint = [this](std::int64_t key, std::int64_t start) {
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
    };

    ff_->keyIsPosition = ff_->codec->codec_id == AV_CODEC_ID_MP3;
    if (ff_->keyIsPosition) {
        std::int64_t pendingSkip = 0;
        while (av_read_frame(ff_->format, ff_->packet) >= 0) {
            if (ff_->packet->stream_index == ff_->stream) {
                std::int64_t frames = av_rescale_q(ff_->packet->duration, st->time_base, frameBase);
                std::size_t size = 0;
                const std::uint8_t* side =
                    av_packet_get_side_data(ff_->packet, AV_PKT_DATA_SKIP_SAMPLES, &size);
                std::int64_t discardEnd = 0;
                if (side != nullptr && size >= 8) {
                    pendingSkip += AV_RL32(side);
                    discardEnd = AV_RL32(side + 4);
                } else if (frames > 0) {
                    addPoint(ff_->packet->pos, total);
                }
                const std::int64_t skipped = std::min(pendingSkip, frames);
                frames -= skipped;
                pendingSkip -= skipped;
                frames -= std::min(frames, discardEnd);
                total += std::max<std::int64_t>(frames, 0);
            }
            av_packet_unref(ff_->packet);
        }
        length_ = total;
        return OpenContext();
    }

    // Decode once; frames keep the packet timestamps a later seek will see again.
    counting_ = true;
    next_ = 0;
    ended_ = false;
    for (;;) {
        const int got = avcodec_receive_frame(ff_->codec, ff_->frame);
        if (got == 0) {
            addPoint(ff_->frame->pts, total);
            total += ff_->frame->nb_samples;
            av_frame_unref(ff_->frame);
            continue;
        }
        if (got != AVERROR(EAGAIN)) {
            break;  // end of stream or a broken decoder state
        }
        const int read = av_read_frame(ff_->format, ff_->packet);
        if (read < 0) {
            avcodec_send_packet(ff_->codec, nullptr);
            continue;
        }
        if (ff_->packet->stream_index == ff_->stream) {
            avcodec_send_packet(ff_->codec, ff_->packet);  // bad packets are skipped
        }
        av_packet_unref(ff_->packet);
    }
    length_ = total;
    return OpenContext();
}

bool Decoder::DecodeFrame() {
    pending_.clear();
    pendingOffset_ = 0;
    for (;;) {
        const int got = avcodec_receive_frame(ff_->codec, ff_->frame);
        if (got == 0) {
            AVFrame* f = ff_->frame;
            const auto known = ff_->byKey.find(ff_->keyIsPosition ? f->pkt_pos : f->pts);
            if (known != ff_->byKey.end() && known->second >= 0) {
                next_ = known->second;
                counting_ = true;
            }
            const int n = f->nb_samples;
            if (!counting_ || f->ch_layout.nb_channels != channels_ || n <= 0) {
                av_frame_unref(f);
                continue;  // before the first frame we can place, or unusable
            }
            pending_.resize(static_cast<std::size_t>(n) * static_cast<std::size_t>(channels_));
            for (int i = 0; i < n; ++i) {
                for (int c = 0; c < channels_; ++c) {
                    pending_[static_cast<std::size_t>(i * channels_ + c)] =
                        SampleAt(f, c, i, channels_);
                }
            }
            av_frame_unref(f);
            return true;
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
            avcodec_send_packet(ff_->codec, ff_->packet);
        }
        av_packet_unref(ff_->packet);
    }
}

bool Decoder::SkipPacketsBefore(std::int64_t position) {
    while (av_read_frame(ff_->format, ff_->packet) >= 0) {
        if (ff_->packet->stream_index == ff_->stream && ff_->packet->pos >= position) {
            avcodec_send_packet(ff_->codec, ff_->packet);
            av_packet_unref(ff_->packet);
            return true;
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
