#pragma once

// The player's audio layer: opens local audio files as streams (decoded with FFmpeg, pre-scanned
// for an exact length and exact seeking), plays them through one output device (SDL, or a null
// device on a virtual clock for tests), and hands out the heard position and analysis data.
//
// Units: handles are 32-bit (0 = none); byte positions and lengths are 64-bit offsets into the
// stream's 16-bit PCM at the file's own sample rate and channel count (frames × channels × 2);
// seconds are doubles. All calls are meant for one thread (the UI thread); decoding and output run
// on threads of their own. Why a file could not be opened goes to the log category vok.audio.
//
// Paths: std::filesystem::path, or a QString (converted with the local file-name encoding).

#include "audio/SoundShaping.h"

#include <QString>

#include <cstdint>
#include <filesystem>
#include <vector>

namespace vok::audio {

using Handle = std::uint32_t;

// Version word: upper 16 bits 0x0204 when the FFmpeg and SDL found at run time have the same
// major versions as the ones the program was built against.
inline constexpr std::uint32_t kVersionExpected = 0x0204;

// Init devices: -1 = the default sound device (through SDL), 0 = the null device, which plays into
// nothing on a virtual clock that only NullDeviceAdvance moves (for tests).
inline constexpr int kDeviceDefault = -1;
inline constexpr int kDeviceNull = 0;

// StreamCreateFile flags. Streams are always pre-scanned; the flags are accepted as given.
inline constexpr std::uint32_t kStreamUnicode = 0x80000000u;
inline constexpr std::uint32_t kStreamPrescan = 0x00020000u;

// ChannelGetData flags.
inline constexpr std::uint32_t kDataFft2048 = 0x80000003u;  // 1024 magnitudes of 2048 frames
inline constexpr std::uint32_t kDataFloat = 0x40000000u;    // OR'd with a byte count
inline constexpr std::uint32_t kDataAvailable = 0;  // bytes decoded ahead, not yet handed over
inline constexpr std::uint32_t kDataError = 0xFFFFFFFFu;

// ChannelIsActive results.
inline constexpr std::uint32_t kActiveStopped = 0;
inline constexpr std::uint32_t kActivePlaying = 1;
inline constexpr std::uint32_t kActiveStalled = 2;
inline constexpr std::uint32_t kActivePaused = 3;

// Position modes: only bytes.
inline constexpr std::uint32_t kPosByte = 0;

// Error result of the 64-bit position calls.
inline constexpr std::uint64_t kPositionError = ~std::uint64_t{0};

struct ChannelInfo {
    std::uint32_t freq = 0;     // sample rate of the file
    std::uint32_t chans = 0;    // channel count of the file
    std::uint32_t flags = 0;    // flags the stream was created with
    std::uint32_t origres = 0;  // bits per sample of the source, 0 when not known
};

std::uint32_t GetVersion();

// Opens the output device. `freq` is the device rate. Non-zero window/clsid are accepted and
// ignored. Fails when already initialised or when the device cannot be opened.
bool Init(int device, std::uint32_t freq, std::uint32_t flags, void* win = nullptr,
          const void* clsid = nullptr);
// Frees every stream and releases the device. False when not initialised.
bool Free();

// Output gain 0…1 (0 mutes), applied in our own output stage, effective at once.
bool SetVolume(float volume);
float GetVolume();

// Opens a local audio file with a pre-scan (exact length, exact seeking). Only mem = false is
// supported; offset/length must be 0. Returns 0 on failure (missing, unreadable, not audio,
// no device).
Handle StreamCreateFile(bool mem, const std::filesystem::path& file, std::uint64_t offset,
                        std::uint64_t length, std::uint32_t flags);
Handle StreamCreateFile(bool mem, const QString& file, std::uint64_t offset, std::uint64_t length,
                        std::uint32_t flags);
bool StreamFree(Handle handle);

// restart = true starts from frame 0; false resumes where the stream was paused or stopped.
bool ChannelPlay(Handle handle, bool restart);
bool ChannelPause(Handle handle);
// Stops playing; the stream stays open and keeps its position.
bool ChannelStop(Handle handle);
// kActivePlaying, kActivePaused, or kActiveStopped (also once the last frame has been heard).
std::uint32_t ChannelIsActive(Handle handle);

// The frame being heard, in bytes; kPositionError for a bad handle or mode.
std::uint64_t ChannelGetPosition(Handle handle, std::uint32_t mode);
std::uint64_t ChannelGetLength(Handle handle, std::uint32_t mode);
// Negative for a bad handle.
double ChannelBytes2Seconds(Handle handle, std::uint64_t bytes);
// Rounded down to a whole frame; kPositionError for a bad handle.
std::uint64_t ChannelSeconds2Bytes(Handle handle, double seconds);
// Lands on the exact frame; the next ChannelGetPosition reports it. Positions at or past the end
// are refused (false).
bool ChannelSetPosition(Handle handle, std::uint64_t bytes, std::uint32_t mode);
bool ChannelGetInfo(Handle handle, ChannelInfo* info);
// Key, tempo, vocal reduction and loudness gain of a stream; positions stay in the file's own
// time. Heard within 100 ms while playing. Vocal reduction of a mono stream stays off.
bool ChannelSetShaping(Handle handle, const SoundShaping& shaping);

// kDataFft2048: fills 1024 floats. kDataFloat | bytes: fills bytes/4 interleaved float samples.
// Both are taken at the frame being heard, before the output gain. Returns the bytes written,
// kDataError on a bad handle or flags. kDataAvailable (buffer may be null): the bytes decoded
// ahead of the device, in the stream's byte units.
std::uint32_t ChannelGetData(Handle handle, void* buffer, std::uint32_t length);

// Test hooks for the null device. Advancing runs the device's periodic callbacks for the given
// span of virtual time; each callback waits (bounded) for the decoder so results are exact.
void NullDeviceAdvance(double seconds);
// Largest absolute output sample (after the gain) of the null device's latest callback.
float NullDeviceOutputPeak();
// Appends every later callback's output (interleaved stereo, after the gain) to `sink`; null
// stops. The sink must outlive the recording.
void NullDeviceRecord(std::vector<float>* sink);
// Latency the position model subtracts: 2 × the device buffer, in seconds (either device).
double DeviceLatency();
// Frames per device callback buffer.
std::uint32_t DeviceBufferFrames();

}  // namespace vok::audio
