# The playback engine: the player window's layer over the audio library.
vok_library(playback
    SOURCES
        PlaybackEngine.cpp
    DEPS
        vok_audio
        vok_core
        Qt6::Core
)
