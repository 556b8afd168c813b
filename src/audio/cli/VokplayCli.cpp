// vokplay-cli FILE [--seconds N]: plays an audio file through the player's audio layer, no window.

#include "audio/AudioLibrary.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

int Usage() {
    std::fprintf(stderr, "usage: vokplay-cli FILE [--seconds N]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace vok::audio;
    if (argc != 2 && argc != 4) {
        return Usage();
    }
    double limit = -1.0;
    if (argc == 4) {
        if (std::string(argv[2]) != "--seconds") {
            return Usage();
        }
        char* end = nullptr;
        limit = std::strtod(argv[3], &end);
        if (end == argv[3] || *end != '\0' || !(limit >= 0.0)) {
            return Usage();
        }
    }
    if ((GetVersion() >> 16) != kVersionExpected) {
        std::fprintf(stderr, "vokplay-cli: FFmpeg or SDL run-time version does not match\n");
        return 1;
    }
    if (!Init(kDeviceDefault, 44100, 0)) {
        std::fprintf(stderr, "vokplay-cli: cannot open the sound output\n");
        return 1;
    }
    const Handle stream = StreamCreateFile(false, std::filesystem::path(argv[1]), 0, 0,
                                           kStreamUnicode | kStreamPrescan);
    if (stream == 0) {
        std::fprintf(stderr, "vokplay-cli: cannot play %s\n", argv[1]);
        Free();
        return 1;
    }
    const double length = ChannelBytes2Seconds(stream, ChannelGetLength(stream, kPosByte));
    std::printf("length %.3f s\n", length);
    std::fflush(stdout);
    ChannelPlay(stream, true);
    const auto start = std::chrono::steady_clock::now();
    while (ChannelIsActive(stream) == kActivePlaying) {
        const std::chrono::duration<double> played = std::chrono::steady_clock::now() - start;
        if (limit >= 0.0 && played.count() >= limit) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ChannelStop(stream);
    StreamFree(stream);
    Free();
    return 0;
}
