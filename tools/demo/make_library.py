#!/usr/bin/python3
"""Writes a small demo music library: a few MP3 files of silent MPEG-1 Layer III frames,
tagged with ID3v2 by mutagen and an ID3v1.1 block written here, one file without any tag,
one with only an ID3v2.4 tag in UTF-8, and an M3U playlist of them with Windows paths and CRLF line ends, as the player writes it.

    make_library.py <out-dir> <windows-dir-of-out-dir>

Nothing is downloaded: every byte of audio is made here. A frame whose side information
is all zero carries no audio data, which every decoder plays as silence.
"""
import os
import sys

from mutagen._constants import GENRES
from mutagen.id3 import ID3, TALB, TCON, TDRC, TIT2, TPE1, TRCK, COMM
from mutagen.mp3 import MP3

# MPEG-1 Layer III, no CRC, 128 kbit/s, 44.1 kHz, mono: 144 * 128000 / 44100 bytes a frame,
# one padding byte on some frames to keep the exact rate.
HEADER_PLAIN = bytes([0xFF, 0xFB, 0x90, 0xC0])
HEADER_PADDED = bytes([0xFF, 0xFB, 0x92, 0xC0])
BITRATE = 128000
SAMPLE_RATE = 44100
SAMPLES_PER_FRAME = 1152

TRACKS = [
    # file, artist, title, album, year, comment, genre, seconds
    ("01-morning.mp3", "The Demo Band", "Morning Light", "Made Here", "2024", "silence, tagged", "Ambient", 4),
    ("02-signal.mp3", "Zel Ensemble", "Signal Path", "Made Here", "2024", "track two", "Electronic", 3),
    ("03-closing.mp3", "The Demo Band", "Closing Time", "Made Here", "2023", "last one", "Rock", 5),
]
UNTAGGED = "04-untagged.mp3"
# A file name the ANSI code page cannot spell: the playlist file cannot name it, so it is
# not in library.m3u; the player names it itself when asked for the entry's path.
UNSPELLABLE = ("06-\u591c\u660e\u3051.mp3", "\u9752\u8449\u5e02\u5b50", "\u591c\u660e\u3051")
# Only an ID3v2.4 tag, in UTF-8, as most files tagged today carry.
MODERN = ("05-svefn.mp3", "Sigur R\u00f3s", "Svefn-g-englar", "\u00c1g\u00e6tis byrjun", "1999",
          "\u00ed \u00feessu", "Post-Rock", 3)


def silent_mp3(seconds):
    frames = bytearray()
    count = round(seconds * SAMPLE_RATE / SAMPLES_PER_FRAME)
    remainder = 0
    for _ in range(count):
        size = 144 * BITRATE // SAMPLE_RATE
        remainder += 144 * BITRATE % SAMPLE_RATE
        header = HEADER_PLAIN
        if remainder >= SAMPLE_RATE:
            remainder -= SAMPLE_RATE
            size += 1
            header = HEADER_PADDED
        frames += header + bytes(size - len(header))
    return bytes(frames)


def field(text, width):
    data = text.encode("latin-1")[:width]
    return data + bytes(width - len(data))


def id3v1(title, artist, album, year, comment, track, genre):
    """The 128-byte ID3v1.1 block (mutagen's own writer drops a comment with a
    language), zero-padded fields, the track number in the comment's last byte."""
    block = (b"TAG" + field(title, 30) + field(artist, 30) + field(album, 30) +
             field(year, 4) + field(comment, 28) + bytes([0, track, genre]))
    assert len(block) == 128
    return block


def write_track(path, seconds, version, encoding, title, artist, album=None, year=None,
                comment=None, genre=None, track=None, comment_desc=""):
    """A silent MP3 of `seconds` with an ID3v2 tag of `version` (3 or 4), its text frames in
    `encoding`; fields given as None are left out."""
    with open(path, "wb") as f:
        f.write(silent_mp3(seconds))
    frames = [(TIT2, title), (TPE1, artist), (TALB, album), (TDRC, year),
              (TRCK, None if track is None else str(track)), (TCON, genre)]
    tags = ID3()
    for frame, text in frames:
        if text is not None:
            tags.add(frame(encoding=encoding, text=text))
    if comment is not None:
        tags.add(COMM(encoding=encoding, lang="eng", desc=comment_desc, text=comment))
    tags.save(path, v1=0, v2_version=version)


def main():
    out_dir, windows_dir = sys.argv[1], sys.argv[2].rstrip("\\")
    os.makedirs(out_dir, exist_ok=True)
    lines = ["#EXTM3U"]
    for number, (name, artist, title, album, year, comment, genre, seconds) in enumerate(TRACKS, 1):
        path = os.path.join(out_dir, name)
        write_track(path, seconds, 3, 0, title, artist, album, year, comment, genre, number,
                    comment_desc="ID3v1 Comment")
        with open(path, "ab") as f:
            f.write(id3v1(title, artist, album, year, comment, number, GENRES.index(genre)))
        length = round(MP3(path).info.length)
        lines.append("#EXTINF:%d,%s - %s" % (length, artist, title))
        lines.append("%s\\%s" % (windows_dir, name))
    with open(os.path.join(out_dir, UNTAGGED), "wb") as f:
        f.write(silent_mp3(2))
    lines.append("#EXTINF:2,04-untagged")
    lines.append("%s\\%s" % (windows_dir, UNTAGGED))
    name, artist, title, album, year, comment, genre, seconds = MODERN
    write_track(os.path.join(out_dir, name), seconds, 4, 3, title, artist, album, year, comment,
                genre)
    lines.append("#EXTINF:%d,%s" % (seconds, name[:-4]))
    lines.append("%s\\%s" % (windows_dir, name))
    name, artist, title = UNSPELLABLE
    write_track(os.path.join(out_dir, name), 2, 4, 3, title, artist)
    with open(os.path.join(out_dir, "library.m3u"), "wb") as f:
        f.write(("\r\n".join(lines) + "\r\n").encode("ascii"))


if __name__ == "__main__":
    main()
