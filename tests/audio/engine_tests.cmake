# Playback engine tests on the null output device, with short sine songs generated at build time.
set(VOK_ENGINE_FIXTURES ${CMAKE_CURRENT_BINARY_DIR}/engine_fixtures)
set(VOK_ENGINE_SONGS
    "sine20.mp3|sine=frequency=440:sample_rate=22050:duration=20|-ac 1 -c:a libmp3lame -b:a 32k"
    "short.mp3|sine=frequency=440:sample_rate=22050:duration=0.5|-ac 1 -c:a libmp3lame -b:a 32k"
    "sine3.ogg|sine=frequency=660:sample_rate=44100:duration=3|-ac 2 -c:a libvorbis")
set(VOK_ENGINE_SONG_FILES)
foreach(song IN LISTS VOK_ENGINE_SONGS)
    string(REPLACE "|" ";" parts "${song}")
    list(GET parts 0 fileName)
    list(GET parts 1 source)
    list(GET parts 2 codecArgs)
    separate_arguments(codecArgs UNIX_COMMAND "${codecArgs}")
    add_custom_command(
        OUTPUT ${VOK_ENGINE_FIXTURES}/${fileName}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${VOK_ENGINE_FIXTURES}
        COMMAND ffmpeg -nostdin -loglevel error -y -f lavfi -i ${source} ${codecArgs}
                ${VOK_ENGINE_FIXTURES}/${fileName}
        COMMENT "Generating engine test song ${fileName}"
        VERBATIM)
    list(APPEND VOK_ENGINE_SONG_FILES ${VOK_ENGINE_FIXTURES}/${fileName})
endforeach()
add_custom_target(vok_engine_fixtures DEPENDS ${VOK_ENGINE_SONG_FILES})

vok_test(playback
    SOURCES
        PlaybackEngineTest.cpp
    DEPS
        vok_playback
    LABELS audio)
add_dependencies(test_playback vok_engine_fixtures)
target_compile_definitions(test_playback PRIVATE VOK_ENGINE_FIXTURES="${VOK_ENGINE_FIXTURES}")
