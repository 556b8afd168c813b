#include "audio/AudioLibrary.h"

// Placeholder until the implementation lands.
namespace vok::audio {
std::uint32_t GetVersion() {
    return 0;
}
bool Init(int /*device*/, std::uint32_t /*freq*/, std::uint32_t /*flags*/, void* /*win*/,
          const void* /*clsid*/) {
    return false;
}
bool Free() {
    return false;
}
bool SetVolume(float /*volume*/) {
    return false;
}
float GetVolume() {
    return 0.0f;
}
Handle StreamCreateFile(bool /*mem*/, const std::filesystem::path& /*file*/,
                        std::uint64_t /*offset*/, std::uint64_t /*length*/,
                        std::uint32_t /*flags*/) {
    return 0;
}
Handle StreamCreateFile(bool /*mem*/, const QString& /*file*/, std::uint64_t /*offset*/,
                        std::uint64_t /*length*/, std::uint32_t /*flags*/) {
    return 0;
}
bool StreamFree(Handle /*handle*/) {
    return false;
}
bool ChannelPlay(Handle /*handle*/, bool /*restart*/) {
    return false;
}
bool ChannelPause(Handle /*handle*/) {
    return false;
}
bool ChannelStop(Handle /*handle*/) {
    return false;
}
std::uint32_t ChannelIsActive(Handle /*handle*/) {
    return 0;
}
std::uint64_t ChannelGetPosition(Handle /*handle*/, std::uint32_t /*mode*/) {
    return kPositionError;
}
std::uint64_t ChannelGetLength(Handle /*handle*/, std::uint32_t /*mode*/) {
    return kPositionError;
}
double ChannelBytes2Seconds(Handle /*handle*/, std::uint64_t /*bytes*/) {
    return -1.0;
}
std::uint64_t ChannelSeconds2Bytes(Handle /*handle*/, double /*seconds*/) {
    return kPositionError;
}
bool ChannelSetPosition(Handle /*handle*/, std::uint64_t /*bytes*/, std::uint32_t /*mode*/) {
    return false;
}
bool ChannelGetInfo(Handle /*handle*/, ChannelInfo* /*info*/) {
    return false;
}
std::uint32_t ChannelGetData(Handle /*handle*/, void* /*buffer*/, std::uint32_t /*length*/) {
    return 0;
}
void NullDeviceAdvance(double /*seconds*/) {}
double DeviceLatency() {
    return -1.0;
}
std::uint32_t DeviceBufferFrames() {
    return 0;
}
}  // namespace vok::audio
