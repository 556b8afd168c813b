# The audio library layer: FFmpeg decoding, SDL2 (or null) output, spectrum data.
find_package(Threads REQUIRED)
# The time stretcher of the key and tempo controls.
pkg_check_modules(RUBBERBAND REQUIRED IMPORTED_TARGET rubberband)
vok_library(audio
    SOURCES
        AudioLibrary.cpp
        Decoder.cpp
        FileReader.cpp
        Loudness.cpp
        Output.cpp
        Shaper.cpp
        Spectrum.cpp
        Stream.cpp
    DEPS
        vok_core
        PkgConfig::FFMPEG
        PkgConfig::EBUR128
        PkgConfig::SDL2
        PkgConfig::RUBBERBAND
        Threads::Threads
)

# Plays a file through the layer without a window (checks, CPU comparison with other players).
add_executable(vokplay-cli ${CMAKE_CURRENT_LIST_DIR}/cli/VokplayCli.cpp)
target_link_libraries(vokplay-cli PRIVATE vok_audio)
vok_apply_warnings(vokplay-cli)
