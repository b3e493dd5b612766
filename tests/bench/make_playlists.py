#!/usr/bin/python3
"""Writes the playlists the bench reads, each as winamp.m3u in its own directory:
  big/   100,000 entries (about 8 MB), the last one a real tagged file
  one/   that tagged file alone
  huge/  a single line of 256 MiB, no line end
  find/  1,000,000 entries as Winamp.m3u8 (UTF-8, about 95 MB), each with an #EXTINF title,
         some names in other scripts, and "The Beatles - Yesterday" three times among them
and, for the tag figures, one-entry playlists of track files made here:
  v1only/   a file with only an ID3v1 tag
  picture/  a file with only an ID3v2.3 tag whose 2 MB picture stands before the title
  m4a/      an MP4 file whose moov (and its title) follows 50 MB of mdat, left sparse
  flac/     a FLAC file whose 2 MB picture block stands before its comments

    make_playlists.py <out-dir> <windows-path-of-tagged-file> <windows-path-of-out-dir>
"""
import os
import struct
import sys

ENTRIES = 100_000
FIND_ENTRIES = 1_000_000
BEATLES = (250_000, 500_000, 999_990)
HUGE = 256 * 1024 * 1024


FRAME = b"\xff\xfb\x90\x00" + bytes(413)  # one silent MPEG audio frame


def id3v23_frame(frame_id, data):
    return frame_id + len(data).to_bytes(4, "big") + b"\0\0" + data


def syncsafe(n):
    return bytes((n >> shift) & 0x7F for shift in (21, 14, 7, 0))


def box(kind, *children):
    body = b"".join(children)
    return struct.pack(">I", 8 + len(body)) + kind + body


def flac_block(kind, body, last=False):
    return bytes([kind | (0x80 if last else 0)]) + len(body).to_bytes(3, "big") + body


def one_track(out, win_out, name, content, track="track.mp3", gap=0, tail=b""):
    """A directory holding the track file and a one-entry winamp.m3u naming it. The file is
    content, then `gap` bytes left as a hole (sparse), then tail."""
    folder = os.path.join(out, name)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, track), "wb") as f:
        f.write(content)
        f.seek(gap, os.SEEK_CUR)
        f.write(tail)
    with open(os.path.join(folder, "winamp.m3u"), "wb") as f:
        f.write(b"#EXTM3U\r\n" + (win_out + name + "\\" + track).encode("ascii") + b"\r\n")


def write_tag_files(out, win_out):
    v1 = b"TAG" + b"Bench Title".ljust(30, b"\0") + b"Artist".ljust(30, b"\0") + bytes(64) + b"\x11"
    one_track(out, win_out, "v1only", FRAME * 8 + v1)
    picture = id3v23_frame(b"APIC", b"\0image/png\0\x03\0" + bytes(2 << 20))
    title = id3v23_frame(b"TIT2", b"\0Bench Title")
    body = picture + title + bytes(1024)
    one_track(out, win_out, "picture", b"ID3\x03\0\0" + syncsafe(len(body)) + body + FRAME * 8)

    # MP4: ftyp, then an mdat of 50 MB that stays a hole on disk, then the moov with
    # udta/meta/ilst holding the title.
    mdat = 50 << 20
    title = box(b"\xa9nam", box(b"data", struct.pack(">II", 1, 0), b"Bench Title"))
    hdlr = box(b"hdlr", bytes(8) + b"mdir" + b"appl" + bytes(9))
    meta = box(b"meta", bytes(4), hdlr, box(b"ilst", title))
    moov = box(b"moov", box(b"mvhd", bytes(100)), box(b"udta", meta))
    ftyp = box(b"ftyp", b"M4A ", bytes(4), b"M4A mp42isom")
    one_track(out, win_out, "m4a", ftyp + struct.pack(">I", 8 + mdat) + b"mdat",
              track="track.m4a", gap=mdat, tail=moov)

    # FLAC: STREAMINFO, a 2 MB PICTURE block, then the Vorbis comment block, then audio.
    streaminfo = bytes(10) + ((44100 << 44) | (1 << 41) | (15 << 36)).to_bytes(8, "big") + bytes(16)
    image = bytes(2 << 20)
    picture = (struct.pack(">I", 3) + struct.pack(">I", 9) + b"image/png" + struct.pack(">I", 0) +
               struct.pack(">IIIII", 1, 1, 24, 0, len(image)) + image)
    vendor, comment = b"bench", b"TITLE=Bench Title"
    comments = (struct.pack("<I", len(vendor)) + vendor + struct.pack("<I", 1) +
                struct.pack("<I", len(comment)) + comment)
    flac = (b"fLaC" + flac_block(0, streaminfo) + flac_block(6, picture) +
            flac_block(4, comments, last=True) + b"\xff\xf8" + bytes(4096))
    one_track(out, win_out, "flac", flac, track="track.flac")


def write_find_playlist(out):
    """Per entry an #EXTINF line and a path as the player writes them; one artist in ten is
    German, one in ten Russian, so that the search decodes and folds real UTF-8 too."""
    os.makedirs(os.path.join(out, "find"), exist_ok=True)
    with open(os.path.join(out, "find", "Winamp.m3u8"), "wb") as f:
        f.write(b"\xef\xbb\xbf#EXTM3U\r\n")
        lines = []
        for i in range(1, FIND_ENTRIES + 1):
            if i in BEATLES:
                lines.append("#EXTINF:202,The Beatles - Yesterday\r\n"
                             "C:\\Music\\The Beatles\\Help!\\13 - Yesterday.mp3\r\n")
            else:
                artist = ("K\u00fcnstler %d" if i % 10 == 3 else
                          "\u0418\u0441\u043f\u043e\u043b\u043d\u0438\u0442\u0435\u043b\u044c %d"
                          if i % 10 == 7 else "Artist %d") % i
                lines.append("#EXTINF:213,%s - Title %d\r\nC:\\Music\\%s\\Album\\%02d - Title %d.mp3\r\n"
                             % (artist, i, artist, i % 20 + 1, i))
            if len(lines) == 10_000:
                f.write("".join(lines).encode("utf-8"))
                lines = []
        f.write("".join(lines).encode("utf-8"))


def main():
    out, tagged, win_out = sys.argv[1], sys.argv[2], sys.argv[3]
    write_tag_files(out, win_out)
    write_find_playlist(out)
    for sub in ("big", "one", "huge"):
        os.makedirs(os.path.join(out, sub), exist_ok=True)
    with open(os.path.join(out, "big", "winamp.m3u"), "wb") as f:
        f.write(b"#EXTM3U\r\n")
        for i in range(ENTRIES - 1):
            f.write(b"C:\\Music\\Artist %05d\\Some Album Title\\%05d - A Track Title Here.mp3\r\n"
                    % (i % 997, i))
        f.write(tagged.encode("ascii") + b"\r\n")
    with open(os.path.join(out, "one", "winamp.m3u"), "wb") as f:
        f.write(b"#EXTM3U\r\n" + tagged.encode("ascii") + b"\r\n")
    chunk = b"x" * (1024 * 1024)
    with open(os.path.join(out, "huge", "winamp.m3u"), "wb") as f:
        for _ in range(HUGE // len(chunk)):
            f.write(chunk)


if __name__ == "__main__":
    main()
