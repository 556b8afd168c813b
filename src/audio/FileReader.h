#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

struct AVIOContext;

namespace vok::audio {

// The bytes FFmpeg sees of one audio file, read through our own I/O so that how much is read is
// ours to decide, whatever the file holds:
// - leading ID3v2 tags are skipped (our tag reader handles them; FFmpeg would load their pictures
//   into memory, and a tag bigger than its probe buffer spoils format detection);
// - reading without progress is cut off: after `budget` bytes without a call to Progress(), reads
//   report the end of the file. A demuxer that finds no frame start keeps everything it reads in
//   one packet, so this bounds both the memory and the time junk can cost;
// - an end can be set, so playback sees exactly the bytes the pre-scan saw.
class FileReader {
  public:
    ~FileReader();
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    // nullptr when the file is not a regular, readable file with something after its tags.
    static std::unique_ptr<FileReader> Open(const std::filesystem::path& file, std::string* error);

    // A fresh I/O context at the start of the file (the previous one is freed); nullptr on
    // allocation failure. Owned by the reader.
    AVIOContext* NewContext();

    void Progress() { sinceProgress_ = 0; }
    void SetBudget(std::int64_t bytes) { budget_ = bytes; }
    // Reads stop at `end` (bytes after the skipped tags) from now on.
    void SetEnd(std::int64_t end) { end_ = end; }
    // The budget ran out; StarvedAt() is where reading stopped.
    bool Starved() const { return starved_; }
    std::int64_t StarvedAt() const { return starvedAt_; }
    std::int64_t TagBytes() const { return base_; }

  private:
    FileReader() = default;
    static int ReadPacket(void* opaque, std::uint8_t* buffer, int size);
    static std::int64_t Seek(void* opaque, std::int64_t offset, int whence);
    std::int64_t Size() const;
    void FreeContext();

    int fd_ = -1;
    std::int64_t base_ = 0;  // first byte after the leading tags
    std::int64_t end_ = INT64_MAX;
    std::int64_t pos_ = 0;
    std::int64_t sinceProgress_ = 0;
    std::int64_t budget_ = INT64_MAX;
    bool starved_ = false;
    std::int64_t starvedAt_ = 0;
    AVIOContext* io_ = nullptr;
};

}  // namespace vok::audio
