#!/usr/bin/env python3
"""Synthesizes the demo song: "Twinkle, Twinkle, Little Star" (a traditional tune, public domain)
as an MP3, and writes a lyric file whose lines are timed to it.

    examples/make-demo.py [OUTDIR]      (default: the folder of this script)

Needs python3 and the ffmpeg command (for the MP3 encoding).
"""
import math
import os
import struct
import subprocess
import sys
import tempfile
import wave

RATE = 44100
BEAT = 0.6  # seconds a quarter note (100 beats a minute)
INTRO_BEATS = 4

NOTE = {"C3": 130.81, "F3": 174.61, "G3": 196.00, "C4": 261.63, "D4": 293.66, "E4": 329.63,
        "F4": 349.23, "G4": 392.00, "A4": 440.00}

# Each line of the song: seven notes (six quarters and a half note) and its words.
PHRASE_A = ["C4", "C4", "G4", "G4", "A4", "A4", "G4"]
PHRASE_B = ["F4", "F4", "E4", "E4", "D4", "D4", "C4"]
PHRASE_C = ["G4", "G4", "F4", "F4", "E4", "E4", "D4"]
LINES = [
    (PHRASE_A, ["C3", "C3", "F3", "C3"], "Twinkle, twinkle, little star,"),
    (PHRASE_B, ["F3", "C3", "G3", "C3"], "How I wonder what you are!"),
    (PHRASE_C, ["C3", "F3", "C3", "G3"], "Up above the world so high,"),
    (PHRASE_C, ["C3", "F3", "C3", "G3"], "Like a diamond in the sky."),
    (PHRASE_A, ["C3", "C3", "F3", "C3"], "Twinkle, twinkle, little star,"),
    (PHRASE_B, ["F3", "C3", "G3", "C3"], "How I wonder what you are!"),
]
TITLE = "Twinkle, Twinkle, Little Star"
ARTIST = "Traditional"
COPYRIGHT = "Public domain; synthesized for the demo"
AUDIO_NAME = "twinkle.mp3"
LYRIC_NAME = "twinkle.vok"


def tone(samples, start, length, freq, volume):
    """Adds a soft plucked tone (a few harmonics, fast attack, exponential decay)."""
    first = int(start * RATE)
    count = int(length * RATE)
    for i in range(count):
        if first + i >= len(samples):
            break
        t = i / RATE
        envelope = min(1.0, t / 0.01) * math.exp(-3.0 * t / length)
        value = (math.sin(2 * math.pi * freq * t) + 0.35 * math.sin(4 * math.pi * freq * t)
                 + 0.12 * math.sin(6 * math.pi * freq * t))
        samples[first + i] += volume * envelope * value


def synthesize():
    total_beats = INTRO_BEATS + 8 * len(LINES) + 4
    samples = [0.0] * int(total_beats * BEAT * RATE)
    # Count-in: four soft ticks.
    for beat in range(INTRO_BEATS):
        tone(samples, beat * BEAT, 0.08, 1760.0, 0.15)
    timings = []
    for index, (melody, bass, words) in enumerate(LINES):
        line_start = (INTRO_BEATS + 8 * index) * BEAT
        for k, note in enumerate(melody):
            beats = 2 if k == len(melody) - 1 else 1
            tone(samples, line_start + k * BEAT, beats * BEAT * 0.95, NOTE[note], 0.30)
        for k, note in enumerate(bass):
            tone(samples, line_start + 2 * k * BEAT, 2 * BEAT * 0.95, NOTE[note], 0.22)
        start_ms = int(line_start * 1000) - 150  # show the words just before they are sung
        end_ms = int((line_start + 8 * BEAT) * 1000) - 250
        timings.append((index + 1, start_ms, end_ms, words))
    tone(samples, (INTRO_BEATS + 8 * len(LINES)) * BEAT, 4 * BEAT, NOTE["C3"], 0.25)
    tone(samples, (INTRO_BEATS + 8 * len(LINES)) * BEAT, 4 * BEAT, NOTE["C4"], 0.25)
    return samples, timings


def text_field(text, room):
    data = text.encode("cp1252")[:room]
    return bytes([len(data)]) + data + bytes(room - len(data))


def lyric_file(timings, song_length_ms):
    header = b"VOKALENTO" + bytes([2])
    header += text_field(TITLE, 127) + text_field(ARTIST, 127) + text_field(COPYRIGHT, 63)
    header += struct.pack("<IiI", 0, song_length_ms, 0)
    header += text_field(AUDIO_NAME, 255)
    header += struct.pack("<i", len(timings))
    assert len(header) == 602
    records = b""
    for number, start, end, words in timings:
        text = words.encode("cp1252")
        records += b"SID" + struct.pack("<iiiB", number, start, end, len(text)) + text
    return header + records


def main():
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    os.makedirs(out_dir, exist_ok=True)
    samples, timings = synthesize()
    peak = max(abs(s) for s in samples) or 1.0
    with tempfile.TemporaryDirectory() as scratch:
        wav_path = os.path.join(scratch, "demo.wav")
        with wave.open(wav_path, "wb") as wav:
            wav.setnchannels(1)
            wav.setsampwidth(2)
            wav.setframerate(RATE)
            wav.writeframes(b"".join(struct.pack("<h", int(s / peak * 0.8 * 32767))
                                     for s in samples))
        subprocess.run(["ffmpeg", "-v", "error", "-y", "-i", wav_path, "-ac", "2", "-b:a", "128k",
                        os.path.join(out_dir, AUDIO_NAME)], check=True)
    song_length_ms = int(len(samples) * 1000 / RATE)
    with open(os.path.join(out_dir, LYRIC_NAME), "wb") as out:
        out.write(lyric_file(timings, song_length_ms))


if __name__ == "__main__":
    main()
