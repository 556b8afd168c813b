# Audio layer tests. The sound files are generated here with the ffmpeg command from sine sources,
# so nothing binary lives in the repository.
find_program(VOK_FFMPEG_EXECUTABLE ffmpeg REQUIRED)
set(VOK_AUDIO_FIXTURE_DIR ${CMAKE_BINARY_DIR}/audio-fixtures)

string(REPEAT "x" 200 longComment)
# name | ffmpeg arguments after the input
set(VOK_AUDIO_FIXTURES
    "cbr_stereo_44k.mp3|-f lavfi -i sine=frequency=440:sample_rate=44100:duration=3 -ac 2 -c:a libmp3lame -b:a 128k"
    "vbr_mono_22k.mp3|-f lavfi -i sine=frequency=330:sample_rate=22050:duration=2.5 -ac 1 -c:a libmp3lame -q:a 4"
    "vbr_noxing_stereo_48k.mp3|-f lavfi -i sine=frequency=550:sample_rate=48000:duration=2.7 -ac 2 -c:a libmp3lame -q:a 2 -write_xing 0"
    "vorbis_stereo_48k.ogg|-f lavfi -i sine=frequency=440:sample_rate=48000:duration=3 -ac 2 -c:a libvorbis -q:a 3"
    "vorbis_mono_22k.ogg|-f lavfi -i sine=frequency=660:sample_rate=22050:duration=2.2 -ac 1 -c:a libvorbis -q:a 3"
    "wma_stereo_44k.wma|-f lavfi -i sine=frequency=440:sample_rate=44100:duration=3 -ac 2 -c:a wmav2 -b:a 128k"
    "wma_mono_22k.wma|-f lavfi -i sine=frequency=500:sample_rate=22050:duration=2.3 -ac 1 -c:a wmav2 -b:a 64k"
    "short_mono_44k.mp3|-f lavfi -i sine=frequency=440:sample_rate=44100:duration=0.4 -ac 1 -c:a libmp3lame -b:a 64k"
    # Full-scale sine centred on FFT bin 64 of 2048 at 44.1 kHz (1378.125 Hz); float WAV so it
    # is not clipped. Stereo: the right channel silent.
    "bin64_mono_44k.wav|-f lavfi -i aevalsrc=sin(2*PI*1378.125*t):s=44100:d=1.5 -c:a pcm_f32le"
    "bin64_left_44k.wav|-f lavfi -i aevalsrc=sin(2*PI*1378.125*t)|0:s=44100:d=1.5 -c:a pcm_f32le"
    "silence_stereo_44k.wav|-f lavfi -i anullsrc=r=44100:cl=stereo -t 1.5 -c:a pcm_s16le"
    # Unusual rates: a full-scale sine on bin 16 at 192 kHz; a low but real rate; a broken one.
    "bin16_mono_192k.wav|-f lavfi -i aevalsrc=sin(2*PI*1500*t):s=192000:d=1.5 -c:a pcm_f32le"
    "sine_mono_2k.wav|-f lavfi -i sine=frequency=200:sample_rate=2000:duration=1 -c:a pcm_s16le"
    # 5.1 with sound in the centre channel only.
    "centre_only_51.wav|-f lavfi -i aevalsrc=0|0|sin(2*PI*440*t)|0|0|0:s=44100:d=1:c=5.1 -c:a pcm_f32le"
    # Shaping: centred tones (a high one, a bass one) and a 1-second 96 kHz 7.1 file.
    "tone440_stereo_44k.wav|-f lavfi -i aevalsrc=0.5*sin(2*PI*440*t)|0.5*sin(2*PI*440*t):s=44100:d=3 -c:a pcm_f32le"
    "bass60_stereo_44k.wav|-f lavfi -i aevalsrc=0.5*sin(2*PI*60*t)|0.5*sin(2*PI*60*t):s=44100:d=1.5 -c:a pcm_f32le"
    "tone_71_96k.wav|-f lavfi -i aevalsrc=0.3*sin(2*PI*440*t)|0.3*sin(2*PI*440*t)|0|0|0|0|0|0:s=96000:d=1:c=7.1 -c:a pcm_f32le"
    "rate_200hz.wav|-f lavfi -i sine=frequency=20:sample_rate=200:duration=1 -c:a pcm_s16le"
    # The second half of a file pieced together from two songs at different rates.
    "stereo_22k.mp3|-f lavfi -i sine=frequency=880:sample_rate=22050:duration=1 -ac 2 -c:a libmp3lame -b:a 64k"
    # An ID3v2.4 tag as the tool writes it (for the tag tests): UTF-8, a 210-byte frame first.
    "tagged_v24.mp3|-f lavfi -i sine=duration=0.3 -c:a libmp3lame -id3v2_version 4 -metadata comment=${longComment} -metadata 'title=Ångström – ♪' -metadata artist=Bjørk"
)

set(VOK_AUDIO_FIXTURE_FILES)
foreach(entry IN LISTS VOK_AUDIO_FIXTURES)
    string(FIND "${entry}" "|" bar)
    string(SUBSTRING "${entry}" 0 ${bar} name)
    math(EXPR argsStart "${bar} + 1")
    string(SUBSTRING "${entry}" ${argsStart} -1 args)
    separate_arguments(args UNIX_COMMAND "${args}")
    set(output ${VOK_AUDIO_FIXTURE_DIR}/${name})
    add_custom_command(OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${VOK_AUDIO_FIXTURE_DIR}
        COMMAND ${VOK_FFMPEG_EXECUTABLE} -nostdin -hide_banner -loglevel error -y ${args}
                -map_metadata -1 ${output}
        VERBATIM)
    list(APPEND VOK_AUDIO_FIXTURE_FILES ${output})
endforeach()
# 44.1 kHz stereo followed by 22.05 kHz stereo: the frame headers change rate mid-file.
set(joined ${VOK_AUDIO_FIXTURE_DIR}/joined_44k_22k.mp3)
add_custom_command(OUTPUT ${joined}
    COMMAND ${CMAKE_COMMAND} -E cat ${VOK_AUDIO_FIXTURE_DIR}/cbr_stereo_44k.mp3
            ${VOK_AUDIO_FIXTURE_DIR}/stereo_22k.mp3 > ${joined}
    DEPENDS ${VOK_AUDIO_FIXTURE_DIR}/cbr_stereo_44k.mp3 ${VOK_AUDIO_FIXTURE_DIR}/stereo_22k.mp3)
list(APPEND VOK_AUDIO_FIXTURE_FILES ${joined})
add_custom_target(vok_audio_fixtures DEPENDS ${VOK_AUDIO_FIXTURE_FILES})

vok_test(audio
    SOURCES
        ${CMAKE_CURRENT_LIST_DIR}/DecoderTest.cpp
        ${CMAKE_CURRENT_LIST_DIR}/LoudnessTest.cpp
        ${CMAKE_CURRENT_LIST_DIR}/PlaybackTest.cpp
    DEPS vok_audio
    LABELS audio)
add_dependencies(test_audio vok_audio_fixtures)
target_compile_definitions(test_audio PRIVATE VOK_AUDIO_FIXTURE_DIR="${VOK_AUDIO_FIXTURE_DIR}")
