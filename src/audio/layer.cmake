# The audio library layer: FFmpeg decoding, SDL2 (or null) output, spectrum data.
find_package(Threads REQUIRED)
vok_library(audio
    SOURCES
        AudioLibrary.cpp
        Decoder.cpp
        Output.cpp
        Spectrum.cpp
        Stream.cpp
    DEPS
        vok_core
        PkgConfig::FFMPEG
        PkgConfig::SDL2
        Threads::Threads
)
