#!/usr/bin/python3
"""Makes the track files the tag tests read, in the folder given (the prefix's C:\\zelfix).

Real tags are written by mutagen: an ID3v2 tag at the front, and at the end the ID3v1.1
block that mutagen's MakeID3v1 builds from the same frames (the comment's last byte holds
the track number; the DLL reads all 30 bytes and trims it off as a control byte). Cases mutagen cannot express (genre numbers past the table,
a 5 GiB sparse file) get the 128-byte block written directly. tags.txt lists, one file a
line, name|title|artist|album|year|comment|genre-number: what each tagged file must answer.

best.txt lists, in UTF-8, the files the tag_* queries read: those with an ID3v2 tag made
here, and the FLAC, Ogg, MP4 and APEv2 files of format_fixtures.py. One a line,
name|title|artist|album|year|comment|genre|id3_title, each the answer a client of today
(UTF-8) must get; the last is what id3_title answers from the file's ID3v1 tag.
"""
import os
import shutil
import struct
import sys

from mutagen.id3 import APIC, ID3, TIT2, TPE1, TALB, TDRC, TYER, COMM, TCON, TRCK
from mutagen.id3._id3v1 import MakeID3v1

import format_fixtures

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


def picture_first(path):
    """Moves the APIC frame of the ID3v2.4 tag mutagen wrote to the front of the frames,
    so that a reader must pass 2 MB of picture before it finds the title."""
    data = open(path, "rb").read()
    def syncsafe(b):
        return (b[0] << 21) | (b[1] << 14) | (b[2] << 7) | b[3]
    size = syncsafe(data[6:10])
    body, rest = data[10:10 + size], data[10 + size:]
    frames, at = [], 0
    while at + 10 <= len(body) and body[at] != 0:
        length = syncsafe(body[at + 4:at + 8])
        frames.append(body[at:at + 10 + length])
        at += 10 + length
    frames.sort(key=lambda frame: frame[:4] != b"APIC")
    joined = b"".join(frames)
    joined += bytes(size - len(joined))  # the padding mutagen left
    assert frames[0][:4] == b"APIC" and len(joined) == size
    with open(path, "wb") as f:
        f.write(data[:10] + joined + rest)


def write_best_tags(folder):
    """Files whose ID3v2 tag mutagen writes in each version and text encoding."""
    long_title = "\u00dcn\u00efc\u00f6d\u00e9 \u2013 a title longer than thirty characters"
    rows = []

    # Version 2.3, UTF-16 with byte-order marks; the album only in the ID3v1 tag.
    path = os.path.join(folder, "best23.mp3")
    write_audio(path)
    tags = ID3()
    tags.add(TIT2(encoding=1, text=long_title))
    tags.add(TPE1(encoding=1, text="Beyonc\u00e9"))
    tags.add(TDRC(encoding=1, text="2003"))
    tags.add(COMM(encoding=1, lang="eng", desc="", text="\u00e7a va"))
    tags.add(TCON(encoding=1, text="(17)"))
    tags.save(path, v1=0, v2_version=3)
    with open(path, "ab") as f:
        f.write(raw_block(long_title[:30].replace("\u2013", "-"), "v1 artist", "V1 Album",
                          "1990", "v1", 8))
    rows.append(["best23.mp3", long_title, "Beyonc\u00e9", "V1 Album", "2003", "\u00e7a va",
                 "Rock", long_title[:30].replace("\u2013", "-").rstrip()])

    # Version 2.4, UTF-8, a 2 MB picture, a full date and a genre by name; no ID3v1 tag.
    path = os.path.join(folder, "best24.mp3")
    write_audio(path)
    tags = ID3()
    tags.add(APIC(encoding=0, mime="image/png", type=3, desc="", data=os.urandom(2 << 20)))
    tags.add(TIT2(encoding=3, text="\u65e5\u672c\u8a9e\u306e\u30bf\u30a4\u30c8\u30eb"))
    tags.add(TPE1(encoding=3, text="\u041c\u0443\u043c\u0438\u0439 \u0422\u0440\u043e\u043b\u043b\u044c"))
    tags.add(TALB(encoding=3, text="\u0391\u03bb\u03c6\u03b1"))
    tags.add(TDRC(encoding=3, text="2021-05-04"))
    tags.add(COMM(encoding=3, lang="eng", desc="", text="k\u00f6ln"))
    tags.add(TCON(encoding=3, text="Trip-Hop"))
    tags.save(path, v1=0, v2_version=4)
    picture_first(path)
    rows.append(["best24.mp3", "\u65e5\u672c\u8a9e\u306e\u30bf\u30a4\u30c8\u30eb",
                 "\u041c\u0443\u043c\u0438\u0439 \u0422\u0440\u043e\u043b\u043b\u044c",
                 "\u0391\u03bb\u03c6\u03b1", "2021", "k\u00f6ln", "Trip-Hop", "n/a"])

    # Version 2.4 in ISO-8859-1 with a genre by number.
    path = os.path.join(folder, "best24latin.mp3")
    write_audio(path)
    tags = ID3()
    tags.add(TIT2(encoding=0, text="Caf\u00e9 del Mar"))
    tags.add(TCON(encoding=0, text="8"))
    tags.save(path, v1=0, v2_version=4)
    rows.append(["best24latin.mp3", "Caf\u00e9 del Mar", "n/a", "n/a", "n/a", "n/a", "Jazz", "n/a"])

    # Year frames that hold more than a year: 2.3 with a full date, 2.4 with a recording
    # date and then a five-digit year. Each answers the first four characters of its year.
    for version, frames, year in ((3, [TYER(encoding=0, text="2004-05-06")], "2004"),
                                  (4, [TDRC(encoding=0, text="2004-05-06"),
                                       TYER(encoding=0, text="19999")], "1999")):
        name = "year%d.mp3" % (20 + version)
        write_audio(os.path.join(folder, name))
        tags = ID3()
        for frame in [TIT2(encoding=0, text="Long Year")] + frames:
            tags.add(frame)
        tags.save(os.path.join(folder, name), v1=0, v2_version=version)
        rows.append([name, "Long Year", "n/a", "n/a", year, "n/a", "n/a", "n/a"])

    # Control characters, as anyone may write them into a tag: each run answers as one
    # blank. The year and genre come from the ID3v1 tag.
    path = os.path.join(folder, "lines.mp3")
    write_audio(path)
    tags = ID3()
    tags.add(TIT2(encoding=0, text="Title\r\nQUIT :bye"))
    tags.add(TPE1(encoding=1, text="Tab\tArtist"))
    tags.add(TALB(encoding=3, text="Line\nAlbum"))
    tags.add(COMM(encoding=1, lang="eng", desc="", text="First line\r\nSecond line\n"))
    tags.save(path, v1=0, v2_version=4)
    with open(path, "ab") as f:
        f.write(raw_block("One\nTwo", "A", "B", "1990", "c", 8))
    rows.append(["lines.mp3", "Title QUIT :bye", "Tab Artist", "Line Album", "1990",
                 "First line Second line", "Jazz", "One Two"])

    rows += format_fixtures.write_all(folder)

    with open(os.path.join(folder, "best.txt"), "w", encoding="utf-8", newline="\r\n") as f:
        f.write("\n".join("|".join(row) for row in rows) + "\n")


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

    # A track whose Windows path, C:\zelfix\<200 d>\<f...>.mp3, is 260 characters long,
    # and beside it a decoy with other tags named by the first 259 of them.
    os.makedirs(os.path.join(folder, "d" * 200), exist_ok=True)
    track = os.path.join(folder, "d" * 200, "f" * (260 - len("C:\\zelfix\\") - 201 - 4) + ".mp3")
    shutil.copy(os.path.join(folder, "one.mp3"), track)
    shutil.copy(os.path.join(folder, "full.mp3"), track[:-1])

    with open(os.path.join(folder, "tags.txt"), "w", newline="\r\n") as f:
        f.write("\n".join(manifest) + "\n")
    write_best_tags(folder)


if __name__ == "__main__":
    main()
