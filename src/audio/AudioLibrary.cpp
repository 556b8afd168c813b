#include "audio/AudioLibrary.h"

#include "audio/AudioLog.h"
#include "audio/Decoder.h"
#include "audio/Output.h"
#include "audio/Spectrum.h"
#include "audio/Stream.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}
#include <SDL.h>

#include <QFile>

#include <atomic>
#include <cmath>
#include <map>
#include <mutex>
#include <vector>

Q_LOGGING_CATEGORY(lcAudio, "vok.audio", QtWarningMsg)

namespace vok::audio {

namespace {

constexpr std::uint32_t kBytesPerSample = 2;      // positions count 16-bit PCM
constexpr std::uint32_t kSampleDataFrames = 200;  // what a waveform view asks for per channel

struct Library {
    // Guards the stream table against the device callback; held only for table changes on the
    // UI thread and for one mix in the callback.
    std::mutex mutex;
    std::map<Handle, std::unique_ptr<Stream>> streams;
    std::unique_ptr<OutputDevice> device;
    std::atomic<float> gain{1.0f};
    Handle nextHandle = 1;
};

Library& Lib() {
    static Library library;
    return library;
}

Stream* Find(Handle handle) {
    // Only the UI thread changes the table, so a lookup from it needs no lock.
    auto& lib = Lib();
    const auto it = lib.streams.find(handle);
    return it == lib.streams.end() ? nullptr : it->second.get();
}

double Now() {
    auto& lib = Lib();
    return lib.device ? lib.device->Now() : 0.0;
}

std::uint64_t FrameBytes(const Stream& stream) {
    return static_cast<std::uint64_t>(stream.Channels()) * kBytesPerSample;
}

void MixAll(float* out, int frames, double now, bool wait) {
    auto& lib = Lib();
    std::lock_guard lock(lib.mutex);
    const float gain = lib.gain.load(std::memory_order_relaxed);
    for (auto& entry : lib.streams) {
        entry.second->Mix(out, frames, gain, now, wait);
    }
}

}  // namespace

std::uint32_t GetVersion() {
    SDL_version linked{};
    SDL_GetVersion(&linked);
    const bool same = (avformat_version() >> 16) == LIBAVFORMAT_VERSION_MAJOR &&
                      (avcodec_version() >> 16) == LIBAVCODEC_VERSION_MAJOR &&
                      linked.major == SDL_MAJOR_VERSION;
    // Low word: the FFmpeg format library's major and minor, for information only.
    const std::uint32_t low = ((avformat_version() >> 8) & 0xFFFFu);
    return same ? (kVersionExpected << 16) | low : low;
}

bool Init(int device, std::uint32_t freq, std::uint32_t flags, void* win, const void* clsid) {
    (void)flags;
    (void)win;
    (void)clsid;
    auto& lib = Lib();
    if (lib.device || freq == 0 || freq > 384000 || device < kDeviceDefault) {
        return false;
    }
    auto output = device == kDeviceNull ? MakeNullDevice() : MakeSdlDevice();
    if (!output->Open(static_cast<int>(freq), &MixAll)) {
        return false;
    }
    lib.device = std::move(output);
    return true;
}

bool Free() {
    auto& lib = Lib();
    if (!lib.device) {
        return false;
    }
    std::map<Handle, std::unique_ptr<Stream>> streams;
    {
        std::lock_guard lock(lib.mutex);
        streams.swap(lib.streams);
    }
    streams.clear();
    lib.device.reset();  // closes SDL before anything it calls back into goes away
    lib.gain = 1.0f;
    return true;
}

bool SetVolume(float volume) {
    if (!std::isfinite(volume) || volume < 0.0f) {
        return false;
    }
    Lib().gain = std::min(volume, 1.0f);
    return true;
}

float GetVolume() {
    return Lib().gain;
}

Handle StreamCreateFile(bool mem, const std::filesystem::path& file, std::uint64_t offset,
                        std::uint64_t length, std::uint32_t flags) {
    auto& lib = Lib();
    if (mem || offset != 0 || length != 0 || !lib.device) {
        qCWarning(lcAudio) << "cannot open" << file.c_str()
                           << (lib.device ? "from memory or a part of a file" : "without a device");
        return 0;
    }
    std::string error;
    auto decoder = Decoder::Open(file, &error);
    if (!decoder) {
        qCWarning(lcAudio) << "cannot open" << file.c_str() << ":" << error.c_str();
        return 0;
    }
    qCDebug(lcAudio) << "opened" << file.c_str() << decoder->Rate() << "Hz" << decoder->Channels()
                     << "channels" << decoder->Length() << "frames";
    const double latency =
        2.0 * lib.device->BufferFrames() / static_cast<double>(lib.device->Rate());
    auto stream = std::make_unique<Stream>(std::move(decoder), lib.device->Rate(), latency, flags);
    if (!stream->Ready()) {
        qCWarning(lcAudio) << "cannot open" << file.c_str() << ": no conversion from"
                           << stream->Rate() << "Hz" << stream->Channels() << "channels to"
                           << lib.device->Rate() << "Hz stereo";
        return 0;
    }
    std::lock_guard lock(lib.mutex);
    Handle handle = lib.nextHandle;
    while (handle == 0 || lib.streams.count(handle) != 0) {
        ++handle;  // handles are never reused while open, and 0 means none
    }
    lib.nextHandle = handle + 1;
    lib.streams.emplace(handle, std::move(stream));
    return handle;
}

Handle StreamCreateFile(bool mem, const QString& file, std::uint64_t offset, std::uint64_t length,
                        std::uint32_t flags) {
    return StreamCreateFile(mem, std::filesystem::path(QFile::encodeName(file).toStdString()),
                            offset, length, flags);
}

bool StreamFree(Handle handle) {
    auto& lib = Lib();
    std::unique_ptr<Stream> stream;
    {
        std::lock_guard lock(lib.mutex);
        const auto it = lib.streams.find(handle);
        if (it == lib.streams.end()) {
            return false;
        }
        stream = std::move(it->second);
        lib.streams.erase(it);
    }
    return true;  // the decoder thread is joined as `stream` goes
}

bool ChannelPlay(Handle handle, bool restart) {
    Stream* stream = Find(handle);
    if (stream == nullptr) {
        return false;
    }
    stream->Play(restart, Now());
    return true;
}

bool ChannelPause(Handle handle) {
    Stream* stream = Find(handle);
    if (stream == nullptr || stream->IsActive(Now()) != kActivePlaying) {
        return false;
    }
    stream->Pause(Now());
    return true;
}

bool ChannelStop(Handle handle) {
    Stream* stream = Find(handle);
    if (stream == nullptr) {
        return false;
    }
    stream->Stop(Now());
    return true;
}

std::uint32_t ChannelIsActive(Handle handle) {
    Stream* stream = Find(handle);
    return stream == nullptr ? kActiveStopped : stream->IsActive(Now());
}

std::uint64_t ChannelGetPosition(Handle handle, std::uint32_t mode) {
    Stream* stream = Find(handle);
    if (stream == nullptr || mode != kPosByte) {
        return kPositionError;
    }
    return static_cast<std::uint64_t>(stream->Position(Now())) * FrameBytes(*stream);
}

std::uint64_t ChannelGetLength(Handle handle, std::uint32_t mode) {
    Stream* stream = Find(handle);
    if (stream == nullptr || mode != kPosByte) {
        return kPositionError;
    }
    return static_cast<std::uint64_t>(stream->Length()) * FrameBytes(*stream);
}

double ChannelBytes2Seconds(Handle handle, std::uint64_t bytes) {
    Stream* stream = Find(handle);
    if (stream == nullptr) {
        return -1.0;
    }
    return static_cast<double>(bytes / FrameBytes(*stream)) / stream->Rate();
}

std::uint64_t ChannelSeconds2Bytes(Handle handle, double seconds) {
    Stream* stream = Find(handle);
    if (stream == nullptr || !std::isfinite(seconds)) {
        return kPositionError;
    }
    if (seconds <= 0.0) {
        return 0;
    }
    const double frames = std::floor(seconds * stream->Rate());
    if (frames >= 9.0e15) {
        return kPositionError;
    }
    return static_cast<std::uint64_t>(frames) * FrameBytes(*stream);
}

bool ChannelSetPosition(Handle handle, std::uint64_t bytes, std::uint32_t mode) {
    Stream* stream = Find(handle);
    if (stream == nullptr || mode != kPosByte) {
        return false;
    }
    const std::uint64_t frame = bytes / FrameBytes(*stream);
    if (frame >= static_cast<std::uint64_t>(stream->Length())) {
        return false;
    }
    return stream->Seek(static_cast<std::int64_t>(frame), Now());
}

bool ChannelGetInfo(Handle handle, ChannelInfo* info) {
    Stream* stream = Find(handle);
    if (stream == nullptr || info == nullptr) {
        return false;
    }
    info->freq = static_cast<std::uint32_t>(stream->Rate());
    info->chans = static_cast<std::uint32_t>(stream->Channels());
    info->flags = stream->Flags();
    info->origres = static_cast<std::uint32_t>(std::max(stream->BitsPerSample(), 0));
    return true;
}

bool ChannelSetShaping(Handle handle, const SoundShaping& shaping) {
    Stream* stream = Find(handle);
    if (stream == nullptr) {
        return false;
    }
    stream->SetShaping(shaping, Now());
    return true;
}

std::uint32_t ChannelGetData(Handle handle, void* buffer, std::uint32_t length) {
    Stream* stream = Find(handle);
    if (stream != nullptr && length == kDataAvailable) {
        const double frames = static_cast<double>(stream->BufferedFrames()) * stream->Rate() /
                              static_cast<double>(Lib().device->Rate());
        return static_cast<std::uint32_t>(frames) * static_cast<std::uint32_t>(FrameBytes(*stream));
    }
    if (stream == nullptr || buffer == nullptr) {
        return kDataError;
    }
    auto* out = static_cast<float*>(buffer);
    const int channels = stream->Channels();
    if (length == kDataFft2048) {
        thread_local std::vector<float> frames;
        thread_local std::vector<float> mono;
        frames.resize(kFftSize * static_cast<std::size_t>(channels));
        mono.resize(kFftSize);
        stream->HeardSamples(Now(), frames.data(), static_cast<std::int64_t>(kFftSize));
        for (std::size_t i = 0; i < kFftSize; ++i) {
            float sum = 0.0f;
            for (int c = 0; c < channels; ++c) {
                sum += frames[i * static_cast<std::size_t>(channels) + static_cast<std::size_t>(c)];
            }
            mono[i] = sum / static_cast<float>(channels);
        }
        FftMagnitudes(mono.data(), out);
        return static_cast<std::uint32_t>(kFftBins * sizeof(float));
    }
    if ((length & kDataFloat) != 0 && (length & 0x80000000u) == 0) {
        const std::uint32_t bytes = length & 0x0FFFFFFFu;
        const std::uint32_t frameBytes = static_cast<std::uint32_t>(channels) * sizeof(float);
        // Bounded so a wrong length cannot ask for megabytes of history.
        const std::uint32_t frames = std::min(bytes / frameBytes, 16 * kSampleDataFrames);
        stream->HeardSamples(Now(), out, frames);
        return frames * frameBytes;
    }
    return kDataError;
}

void NullDeviceAdvance(double seconds) {
    auto& lib = Lib();
    if (lib.device) {
        lib.device->Advance(seconds);
    }
}

void NullDeviceRecord(std::vector<float>* sink) {
    auto& lib = Lib();
    if (lib.device) {
        lib.device->Record(sink);
    }
}

float NullDeviceOutputPeak() {
    auto& lib = Lib();
    return lib.device ? lib.device->LastPeak() : 0.0f;
}

double DeviceLatency() {
    auto& lib = Lib();
    return lib.device ? 2.0 * lib.device->BufferFrames() / static_cast<double>(lib.device->Rate())
                      : 0.0;
}

std::uint32_t DeviceBufferFrames() {
    auto& lib = Lib();
    return lib.device ? static_cast<std::uint32_t>(lib.device->BufferFrames()) : 0;
}

}  // namespace vok::audio
