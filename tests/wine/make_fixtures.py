#!/usr/bin/python3
"""Makes the track files the tag tests read, in the folder given (the prefix's C:\\zelfix).

Real tags are written by mutagen: an ID3v2 tag at the front, and at the end the ID3v1.1
block that mutagen's MakeID3v1 builds from the same frames (the comment's last byte holds
the track number; the DLL reads all 30 bytes and trims it off as a control byte). Cases mutagen cannot express (genre numbers past the table,
a 5 GiB sparse file) get the 128-byte block written directly. tags.txt lists, one file a
line, name|title|artist|album|year|comment|genre-number: what each tagged file must answer.
"""
import os
import struct
import sys

from mutagen.id3 import ID3, TIT2, TPE1, TALB, TDRC, COMM, TCON, TRCK
from mutagen.id3._id3v1 import MakeID3v1

# One silent MPEG-1 layer III frame (128 kbit/s, 44.1 kHz): 417 bytes.
FRAME = b"\xff\xfb\x90\x00" + bytes(413)

TAGGED = [
    # name, title, artist, album, year, comment, genre number
    ("one.mp3", "Song One", "Artist A", "Album X", "1999", "nice", 17),
    ("full.mp3", "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123", "Thirty characters of artist!!!",
     "An album name that is 30 long", "2024", "Comment filling 28 bytes ...", 0),
    ("synth.mp3", "Last Genre", "Somebody", "Somewhere", "1983", "x", 147),
    ("readonly.mp3", "Locked Title", "Locked Artist", "Locked Album", "2001", "ro", 13),
    ("held.mp3", "Held Title", "Held Artist", "Held Album", "2002", "busy", 8),
]


def write_audio(path, frames=8):
    with open(path, "wb") as f:
        f.write(FRAME * frames)


def tag_with_mutagen(path, title, artist, album, year, comment, genre, track=7):
    frames = {
        "TIT2": TIT2(encoding=0, text=title),
        "TPE1": TPE1(encoding=0, text=artist),
        "TALB": TALB(encoding=0, text=album),
        "TDRC": TDRC(encoding=0, text=year),
        "COMM": COMM(encoding=0, lang="eng", desc="", text=comment),
        "TCON": TCON(encoding=0, text=str(genre)),   # a genre number, as "17"
        "TRCK": TRCK(encoding=0, text=str(track)),
    }
    tags = ID3()
    for frame in frames.values():
        tags.add(frame)
    tags.save(path, v1=0)
    # mutagen's own v1 writer files the comment under a key ID3() never uses, so the
    # block is built from the frames directly and appended.
    with open(path, "ab") as f:
        f.write(MakeID3v1(frames))


def raw_block(title, artist, album, year, comment, genre):
    def field(text, width):
        return text.encode("latin-1")[:width].ljust(width, b"\0")
    return (b"TAG" + field(title, 30) + field(artist, 30) + field(album, 30) +
            field(year, 4) + field(comment, 30) + struct.pack("B", genre))


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    manifest = []
    for name, title, artist, album, year, comment, genre in TAGGED:
        path = os.path.join(folder, name)
        write_audio(path)
        tag_with_mutagen(path, title, artist, album, year, comment, genre)
        block = open(path, "rb").read()[-128:]
        fields = [block[3:33], block[33:63], block[63:93], block[93:97], block[97:127]]
        written = [f.strip(bytes(range(33))).decode("latin-1") for f in fields]
        if (block[:3] != b"TAG" or block[127] != genre or
                written != [title, artist, album, year, comment]):
            sys.exit("mutagen did not write the expected ID3v1 block to %s: %r" % (name, written))
        manifest.append("|".join([name, title, artist, album, year, comment, str(genre)]))

    # Genre numbers the table has no name for.
    for genre in (148, 200, 255):
        path = os.path.join(folder, "genre%d.mp3" % genre)
        write_audio(path)
        with open(path, "ab") as f:
            f.write(raw_block("Unnamed Genre", "A", "B", "2000", "c", genre))

    # 5 GiB, sparse, with the tag in its very last 128 bytes. A reader that takes the low
    # 32 bits of the size looks 4 GiB too early and finds zeros there.
    path = os.path.join(folder, "huge.mp3")
    size = 5 << 30
    with open(path, "wb") as f:
        f.write(FRAME)
        f.truncate(size)
        f.seek(size - 128)
        f.write(raw_block("Far Away", "Deep Artist", "Big Album", "2005", "at 5 GiB", 17))
    manifest.append("huge.mp3|Far Away|Deep Artist|Big Album|2005|at 5 GiB|17")

    with open(os.path.join(folder, "tags.txt"), "w", newline="\r\n") as f:
        f.write("\n".join(manifest) + "\n")


if __name__ == "__main__":
    main()
