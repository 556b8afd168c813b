#include "cdg/CdgPicture.h"

#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <algorithm>
#include <array>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/error.h>
#include <libavutil/mem.h>
}

namespace vok::cdg {

namespace {

Q_LOGGING_CATEGORY(lcCdg, "vok.cdg", QtWarningMsg)

constexpr int kIoBufferBytes = 64 * 1024;
// Opening needs one of the first graphics packets to decode; a file where none of these does is
// not a graphics stream.
constexpr int kOpenTries = 16;

QString AvError(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromLocal8Bit(text);
}

}  // namespace

struct CdgPicture::Ffmpeg {
    AVFormatContext* format = nullptr;
    AVIOContext* io = nullptr;
    AVCodecContext* codec = nullptr;
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    bool havePacket = false;  // `packet` holds the next packet, not yet decoded
    bool ended = false;

    ~Ffmpeg() {
        avcodec_free_context(&codec);
        avformat_close_input(&format);  // custom I/O: the context is ours to free
        if (io != nullptr) {
            av_freep(&io->buffer);
            avio_context_free(&io);
        }
        av_packet_free(&packet);
        av_frame_free(&frame);
    }
};

CdgPicture::CdgPicture() : picture_(kWidth, kHeight, QImage::Format_RGB32) {
    picture_.fill(Qt::black);
}

CdgPicture::~CdgPicture() = default;

bool CdgPicture::Fail(const QString& why) {
    error_ = why;
    qCDebug(lcCdg) << "not opened:" << why;
    Close();
    return false;
}

void CdgPicture::Close() {
    ff_.reset();
    bytes_.clear();
    readPos_ = 0;
    decodedThrough_ = -1;
    frameWaiting_ = false;
    frameLost_ = false;
    ShowBlack();
}

void CdgPicture::ShowBlack() {
    if (!indicesShown_) {
        return;  // black already: only ShowFrame draws anything else
    }
    indicesShown_ = false;
    QImage black(kWidth, kHeight, QImage::Format_RGB32);
    black.fill(Qt::black);
    if (black != picture_) {
        picture_.swap(black);
        ++generation_;
    }
}

bool CdgPicture::Open(const QString& path) {
    static const bool quiet = [] {
        av_log_set_level(AV_LOG_QUIET);  // broken files are reported by the result, not stderr
        return true;
    }();
    (void)quiet;
    Close();
    error_.clear();
    const QFileInfo info(path);
    if (!info.exists()) {
        return Fail(QStringLiteral("the file does not exist"));
    }
    if (!info.isFile()) {
        return Fail(QStringLiteral("not a regular file"));
    }
    if (info.size() == 0) {
        return Fail(QStringLiteral("the file is empty"));
    }
    if (info.size() > kMaxBytes) {
        return Fail(QStringLiteral("too large for a song (%1 bytes)").arg(info.size()));
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return Fail(QStringLiteral("cannot be read: ") + file.errorString());
    }
    // read() with a bound: the file may have grown since it was measured.
    bytes_ = file.read(kMaxBytes);
    if (bytes_.isEmpty()) {
        return Fail(QStringLiteral("the file is empty or unreadable"));
    }
    ff_ = std::make_unique<Ffmpeg>();
    if (ff_->packet == nullptr || ff_->frame == nullptr) {
        return Fail(QStringLiteral("out of memory"));
    }
    if (!OpenDemuxer() || !OpenDecoder()) {
        return false;
    }
    bool decoded = false;
    for (int tries = 0; tries < kOpenTries && !decoded && PeekPacket(); ++tries) {
        decoded = DecodeNext();
    }
    if (!decoded) {
        return Fail(QStringLiteral("no graphics packet decodes"));
    }
    // The check must not show in the pictures: they start from a decoder that has seen nothing.
    return Restart() || Fail(error_);
}

bool CdgPicture::OpenDemuxer() {
    const AVInputFormat* format = av_find_input_format("cdg");
    if (format == nullptr) {
        return Fail(QStringLiteral("this FFmpeg has no CD+G demuxer"));
    }
    ff_->format = avformat_alloc_context();
    auto* buffer = static_cast<unsigned char*>(av_malloc(kIoBufferBytes));
    if (ff_->format == nullptr || buffer == nullptr) {
        av_free(buffer);
        return Fail(QStringLiteral("out of memory"));
    }
    ff_->io = avio_alloc_context(buffer, kIoBufferBytes, 0, this, &CdgPicture::ReadBytes, nullptr,
                                 &CdgPicture::SeekBytes);
    if (ff_->io == nullptr) {
        av_free(buffer);
        return Fail(QStringLiteral("out of memory"));
    }
    ff_->format->pb = ff_->io;
    ff_->format->flags |= AVFMT_FLAG_CUSTOM_IO;
    AVDictionary* options = nullptr;
    // The bytes come from memory; should anything ask for a protocol, only local files.
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    const int opened = avformat_open_input(&ff_->format, "", format, &options);
    av_dict_free(&options);
    if (opened < 0) {
        ff_->format = nullptr;  // freed by the failed open
        return Fail(QStringLiteral("not opened: ") + AvError(opened));
    }
    if (ff_->format->nb_streams != 1 ||
        ff_->format->streams[0]->codecpar->codec_id != AV_CODEC_ID_CDGRAPHICS) {
        return Fail(QStringLiteral("no CD+G stream"));
    }
    return true;
}

bool CdgPicture::OpenDecoder() {
    avcodec_free_context(&ff_->codec);
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_CDGRAPHICS);
    if (codec == nullptr) {
        return Fail(QStringLiteral("this FFmpeg has no CD+G decoder"));
    }
    ff_->codec = avcodec_alloc_context3(codec);
    if (ff_->codec == nullptr ||
        avcodec_parameters_to_context(ff_->codec, ff_->format->streams[0]->codecpar) < 0) {
        return Fail(QStringLiteral("out of memory"));
    }
    ff_->codec->pkt_timebase = ff_->format->streams[0]->time_base;
    ff_->codec->thread_count = 1;
    const int opened = avcodec_open2(ff_->codec, codec, nullptr);
    if (opened < 0) {
        return Fail(QStringLiteral("decoder not opened: ") + AvError(opened));
    }
    return true;
}

bool CdgPicture::Restart() {
    av_packet_unref(ff_->packet);
    ff_->havePacket = false;
    ff_->ended = false;
    av_frame_unref(ff_->frame);
    frameWaiting_ = false;
    frameLost_ = false;
    decodedThrough_ = -1;
    if (!SeekDemuxer(0)) {
        return false;
    }
    // A new decoder, not a flushed one: flushing keeps part of the colour table and the scroll
    // offsets, which a straight decode from the start has not seen yet.
    return OpenDecoder();
}

bool CdgPicture::SeekDemuxer(std::int64_t packet) {
    av_packet_unref(ff_->packet);
    ff_->havePacket = false;
    ff_->ended = false;
    const int sought = av_seek_frame(ff_->format, -1, packet * kPacketBytes, AVSEEK_FLAG_BYTE);
    if (sought < 0) {
        error_ = QStringLiteral("cannot seek to packet %1: ").arg(packet) + AvError(sought);
        return false;
    }
    return true;
}

bool CdgPicture::PeekPacket() {
    if (ff_->havePacket) {
        return true;
    }
    if (ff_->ended) {
        return false;
    }
    const int read = av_read_frame(ff_->format, ff_->packet);
    if (read < 0) {
        ff_->ended = true;
        return false;
    }
    if (ff_->packet->pts == AV_NOPTS_VALUE) {
        ff_->packet->pts = ff_->packet->pos / kPacketBytes;
    }
    ff_->havePacket = true;
    return true;
}

bool CdgPicture::DecodeNext() {
    // The decoder draws into its own frame; a reference kept here would make it copy the whole
    // picture for every packet.
    const bool dropping = frameWaiting_;
    av_frame_unref(ff_->frame);
    decodedThrough_ = std::max(decodedThrough_, ff_->packet->pts);
    // A packet the decoder refuses (a tile out of range) leaves its picture as it was, as in any
    // straight play.
    const bool sent = avcodec_send_packet(ff_->codec, ff_->packet) >= 0;
    av_packet_unref(ff_->packet);
    ff_->havePacket = false;
    frameWaiting_ = sent && avcodec_receive_frame(ff_->codec, ff_->frame) >= 0;
    frameLost_ = !frameWaiting_ && (frameLost_ || dropping);
    return frameWaiting_;
}

void CdgPicture::DecodeThrough(std::int64_t last) {
    while (PeekPacket() && ff_->packet->pts <= last) {
        DecodeNext();
    }
    if (!frameLost_) {
        return;
    }
    // The last packet was refused after others drew: the decoder's picture is theirs, and an
    // undefined instruction, which draws nothing, brings it out.
    frameLost_ = false;
    AVPacket* probe = av_packet_alloc();
    if (probe != nullptr && av_new_packet(probe, kPacketBytes) == 0) {
        std::memset(probe->data, 0, kPacketBytes);
        probe->data[0] = 0x09;
        probe->pts = decodedThrough_;
        frameWaiting_ = avcodec_send_packet(ff_->codec, probe) >= 0 &&
                        avcodec_receive_frame(ff_->codec, ff_->frame) >= 0;
    }
    av_packet_free(&probe);
}

int CdgPicture::LengthMs() const {
    const std::int64_t packets = (bytes_.size() + kPacketBytes - 1) / kPacketBytes;
    return static_cast<int>(packets * 1000 / kPacketsPerSecond);
}

const QImage& CdgPicture::PictureAt(int ms) {
    if (ff_ == nullptr) {
        return picture_;
    }
    const std::int64_t last = ms < 0 ? -1 : std::int64_t{ms} * kPacketsPerSecond / 1000;
    if (last < decodedThrough_ && !Restart()) {
        qCWarning(lcCdg) << error_;
        Close();
        return picture_;
    }
    DecodeThrough(last);
    if (decodedThrough_ < 0) {
        ShowBlack();
    } else if (frameWaiting_) {
        ShowFrame();
    }
    return picture_;
}

void CdgPicture::ShowFrame() {
    const AVFrame* frame = ff_->frame;
    frameWaiting_ = false;
    if (frame->format != AV_PIX_FMT_PAL8 || frame->width != kWidth || frame->height != kHeight ||
        frame->data[1] == nullptr) {
        return;
    }
    // Most frames change a tile or two, so only rows whose colour numbers differ from those shown
    // are converted, unless the colour table changed. The colour table's alpha only matters over
    // a video; the picture is shown opaque.
    const auto* palette = reinterpret_cast<const std::uint32_t*>(frame->data[1]);
    const bool allRows =
        !indicesShown_ || std::memcmp(palette, shownPalette_.data(), sizeof shownPalette_) != 0;
    std::memcpy(shownPalette_.data(), palette, sizeof shownPalette_);
    indicesShown_ = true;
    bool changed = false;
    std::array<QRgb, kWidth> row{};
    for (int y = 0; y < kHeight; ++y) {
        const std::uint8_t* in = frame->data[0] + std::ptrdiff_t{y} * frame->linesize[0];
        std::uint8_t* shown = shownIndices_.data() + std::ptrdiff_t{y} * kWidth;
        if (!allRows && std::memcmp(in, shown, kWidth) == 0) {
            continue;
        }
        std::memcpy(shown, in, kWidth);
        for (int x = 0; x < kWidth; ++x) {
            row[x] = 0xFF000000u | palette[in[x]];
        }
        // Two colour numbers may stand for one colour: the picture changes only if a pixel does.
        const auto* current = reinterpret_cast<const QRgb*>(picture_.constScanLine(y));
        if (std::memcmp(current, row.data(), sizeof row) != 0) {
            std::memcpy(picture_.scanLine(y), row.data(), sizeof row);
            changed = true;
        }
    }
    if (changed) {
        ++generation_;
    }
}

int CdgPicture::ReadBytes(void* opaque, std::uint8_t* buffer, int size) {
    auto* self = static_cast<CdgPicture*>(opaque);
    const std::int64_t left = self->bytes_.size() - self->readPos_;
    if (left <= 0) {
        return AVERROR_EOF;
    }
    const int count = static_cast<int>(std::min<std::int64_t>(left, size));
    std::memcpy(buffer, self->bytes_.constData() + self->readPos_, static_cast<std::size_t>(count));
    self->readPos_ += count;
    return count;
}

std::int64_t CdgPicture::SeekBytes(void* opaque, std::int64_t offset, int whence) {
    auto* self = static_cast<CdgPicture*>(opaque);
    const std::int64_t size = self->bytes_.size();
    switch (whence & ~AVSEEK_FORCE) {
        case AVSEEK_SIZE:
            return size;
        case SEEK_SET:
            break;
        case SEEK_CUR:
            offset += self->readPos_;
            break;
        case SEEK_END:
            offset += size;
            break;
        default:
            return -1;
    }
    if (offset < 0 || offset > size) {
        return -1;
    }
    self->readPos_ = offset;
    return offset;
}

}  // namespace vok::cdg
