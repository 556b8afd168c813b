#include "audio/FileReader.h"

extern "C" {
#include <libavformat/avio.h>
#include <libavutil/error.h>
#include <libavutil/mem.h>
}

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace vok::audio {

namespace {

constexpr int kIoBufferBytes = 32 * 1024;  // as FFmpeg's own file reads
// Files with more tags than this in a row are not songs.
constexpr int kMaxLeadingTags = 16;

// Size of the ID3v2 tag at `header` (10 bytes), 0 when there is none.
std::int64_t Id3v2TagBytes(const std::uint8_t* header) {
    if (header[0] != 'I' || header[1] != 'D' || header[2] != '3' || header[3] == 0xFF ||
        header[4] == 0xFF) {
        return 0;
    }
    std::int64_t size = 0;
    for (int i = 6; i < 10; ++i) {
        if ((header[i] & 0x80) != 0) {
            return 0;  // not sync-safe: not a tag
        }
        size = (size << 7) | header[i];
    }
    const bool footer = (header[5] & 0x10) != 0;
    return 10 + size + (footer ? 10 : 0);
}

}  // namespace

FileReader::~FileReader() {
    FreeContext();
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

std::unique_ptr<FileReader> FileReader::Open(const std::filesystem::path& file,
                                             std::string* error) {
    auto fail = [error](const char* why) {
        if (error != nullptr) {
            *error = why;
        }
        return nullptr;
    };
    // O_NONBLOCK: a FIFO must not block the open; it is refused below as not a regular file.
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return fail("cannot open the file");
    }
    std::unique_ptr<FileReader> reader(new FileReader());
    reader->fd_ = fd;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        return fail("not a regular file");
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    for (int tags = 0; tags < kMaxLeadingTags; ++tags) {
        std::uint8_t header[10];
        if (::pread(fd, header, sizeof header, reader->base_) != sizeof header) {
            break;
        }
        const std::int64_t tag = Id3v2TagBytes(header);
        if (tag == 0) {
            break;
        }
        reader->base_ += tag;
    }
    if (reader->Size() <= 0) {
        return fail("empty, or nothing after its tags");
    }
    return reader;
}

std::int64_t FileReader::Size() const {
    struct stat info {};
    if (::fstat(fd_, &info) != 0) {
        return 0;
    }
    return std::clamp<std::int64_t>(info.st_size - base_, 0, end_);
}

void FileReader::FreeContext() {
    if (io_ != nullptr) {
        av_freep(&io_->buffer);
        avio_context_free(&io_);
    }
}

AVIOContext* FileReader::NewContext() {
    FreeContext();
    pos_ = 0;
    sinceProgress_ = 0;
    starved_ = false;
    auto* buffer = static_cast<unsigned char*>(av_malloc(kIoBufferBytes));
    if (buffer == nullptr) {
        return nullptr;
    }
    io_ = avio_alloc_context(buffer, kIoBufferBytes, 0, this, &FileReader::ReadPacket, nullptr,
                             &FileReader::Seek);
    if (io_ == nullptr) {
        av_free(buffer);
    }
    return io_;
}

int FileReader::ReadPacket(void* opaque, std::uint8_t* buffer, int size) {
    auto* self = static_cast<FileReader*>(opaque);
    if (self->sinceProgress_ >= self->budget_) {
        if (!self->starved_) {
            self->starved_ = true;
            self->starvedAt_ = self->pos_;
        }
        return AVERROR_EOF;
    }
    const std::int64_t left =
        std::min(self->end_ - self->pos_, self->budget_ - self->sinceProgress_);
    const auto want = static_cast<std::size_t>(std::clamp<std::int64_t>(left, 0, size));
    if (want == 0) {
        return AVERROR_EOF;
    }
    ssize_t got = -1;
    do {
        got = ::pread(self->fd_, buffer, want, self->base_ + self->pos_);
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        return AVERROR(EIO);
    }
    if (got == 0) {
        return AVERROR_EOF;
    }
    self->pos_ += got;
    self->sinceProgress_ += got;
    return static_cast<int>(got);
}

std::int64_t FileReader::Seek(void* opaque, std::int64_t offset, int whence) {
    auto* self = static_cast<FileReader*>(opaque);
    const std::int64_t size = self->Size();
    if ((whence & AVSEEK_SIZE) != 0) {
        return size;
    }
    std::int64_t target = 0;
    switch (whence & ~AVSEEK_FORCE) {
        case SEEK_SET:
            target = offset;
            break;
        case SEEK_CUR:
            target = self->pos_ + offset;
            break;
        case SEEK_END:
            target = size + offset;
            break;
        default:
            return AVERROR(EINVAL);
    }
    if (target < 0) {
        return AVERROR(EINVAL);
    }
    self->pos_ = target;
    return target;
}

}  // namespace vok::audio
