# The audio library layer: FFmpeg decoding, SDL2 (or null) output, spectrum data.
find_package(Threads REQUIRED)
vok_library(audio
    SOURCES
        AudioLibrary.cpp
        Decoder.cpp
        FileReader.cpp
        Loudness.cpp
        Output.cpp
        Spectrum.cpp
        Stream.cpp
    DEPS
        vok_core
        PkgConfig::FFMPEG
        PkgConfig::EBUR128
        PkgConfig::SDL2
        Threads::Threads
)

# Plays a file through the layer without a window (checks, CPU comparison with other players).
add_executable(vokplay-cli ${CMAKE_CURRENT_LIST_DIR}/cli/VokplayCli.cpp)
target_link_libraries(vokplay-cli PRIVATE vok_audio)
vok_apply_warnings(vokplay-cli)
