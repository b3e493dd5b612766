"""Track files of every kind the tag_* queries tell apart, tagged by mutagen: FLAC (plain,
after an ID3v2 tag, with a 2 MB picture block before its comments), Ogg Vorbis, Opus
with a comment packet over several pages, MP4 (moov before a small mdat, and after tens
of MB of sparse mdat), an MP3 with only an APEv2 tag, and one whose ID3v2 tag lacks a
field its APEv2 tag has.

mutagen needs a stream it can open before it tags it; the smallest such stream of each
kind is built here byte by byte (no audio is decoded by anyone). What each file must
answer is then taken from mutagen reading the tagged file back, never from the values
handed to it.

write_all(folder) makes the files and returns their best.txt rows:
name|title|artist|album|year|comment|genre|id3_title.
"""
import base64
import os
import struct

from mutagen.apev2 import APEv2
from mutagen.flac import FLAC, Picture
from mutagen.id3 import ID3, TCON, TIT2, TPE1, TDRC, COMM
from mutagen.mp4 import MP4
from mutagen.oggopus import OggOpus
from mutagen.oggvorbis import OggVorbis

NA = "n/a"

# ---- FLAC ----------------------------------------------------------------------------


def flac_stream():
    """"fLaC", a STREAMINFO block (44.1 kHz, stereo, 16 bits, one second) marked last,
    then the start of an audio frame."""
    samples = 44100
    packed = (44100 << 44) | (1 << 41) | (15 << 36) | samples
    info = struct.pack(">HH", 4096, 4096) + bytes(6) + packed.to_bytes(8, "big") + bytes(16)
    assert len(info) == 34
    return b"fLaC" + bytes([0x80]) + len(info).to_bytes(3, "big") + info + b"\xff\xf8" + bytes(64)


def flac_blocks(path):
    """The metadata block types of a FLAC file in file order (after any ID3v2 tag)."""
    data = open(path, "rb").read()
    at = data.find(b"fLaC") + 4
    types = []
    while True:
        kind, size = data[at] & 0x7F, int.from_bytes(data[at + 1:at + 4], "big")
        types.append(kind)
        if data[at] & 0x80:
            return types
        at += 4 + size


# ---- Ogg -----------------------------------------------------------------------------


def _crc_table():
    table = []
    for i in range(256):
        r = i << 24
        for _ in range(8):
            r = ((r << 1) ^ 0x04C11DB7) if r & 0x80000000 else (r << 1)
        table.append(r & 0xFFFFFFFF)
    return table


CRC_TABLE = _crc_table()


def ogg_crc(data):
    crc = 0
    for b in data:
        crc = ((crc << 8) & 0xFFFFFFFF) ^ CRC_TABLE[(crc >> 24) ^ b]
    return crc


def ogg_page(packets, sequence, granule=0, flags=0, serial=0x5A454C31):
    """One page holding whole packets (each under 64 KB in total)."""
    lacing = b""
    for packet in packets:
        lacing += b"\xff" * (len(packet) // 255) + bytes([len(packet) % 255])
    assert len(lacing) <= 255
    header = (b"OggS" + bytes([0, flags]) + struct.pack("<qII", granule, serial, sequence) +
              bytes(4) + bytes([len(lacing)]) + lacing)
    page = header + b"".join(packets)
    return page[:22] + struct.pack("<I", ogg_crc(page)) + page[26:]


def vorbis_stream():
    """Identification, empty comment and setup packets, then one audio page that ends the
    stream at one second."""
    ident = b"\x01vorbis" + struct.pack("<IBIiiiBB", 0, 2, 44100, 0, 128000, 0, 0xB8, 1)
    vendor = b"zel fixture"
    comment = b"\x03vorbis" + struct.pack("<I", len(vendor)) + vendor + bytes(4) + b"\x01"
    setup = b"\x05vorbis" + bytes(40)
    return (ogg_page([ident], 0, flags=0x02) + ogg_page([comment, setup], 1) +
            ogg_page([bytes(200)], 2, granule=44100, flags=0x04))


def opus_stream():
    """OpusHead and an empty OpusTags on pages of their own, then one audio page."""
    head = b"OpusHead" + struct.pack("<BBHIhB", 1, 2, 312, 48000, 0, 0)
    vendor = b"zel fixture"
    tags = b"OpusTags" + struct.pack("<I", len(vendor)) + vendor + bytes(4)
    return (ogg_page([head], 0, flags=0x02) + ogg_page([tags], 1) +
            ogg_page([bytes(120)], 2, granule=48000 + 312, flags=0x04))


def ogg_pages_holding(path, signature):
    """How many pages the packet starting with `signature` spans."""
    data = open(path, "rb").read()
    at, pages, inside = 0, 0, False
    while at < len(data):
        assert data[at:at + 4] == b"OggS"
        count = data[at + 26]
        lacing = data[at + 27:at + 27 + count]
        body = at + 27 + count
        if not inside and data[body:body + len(signature)] == signature:
            inside = True
        if inside:
            pages += 1
            if lacing[-1] != 255:
                return pages
        at = body + sum(lacing)
    return pages


# ---- MP4 -----------------------------------------------------------------------------


def box(kind, *children):
    body = b"".join(children)
    return struct.pack(">I", 8 + len(body)) + kind + body


def full_box(kind, version_flags, body):
    return box(kind, struct.pack(">I", version_flags), body)


def mp4_head():
    return box(b"ftyp", b"M4A ", struct.pack(">I", 0), b"M4A mp42isom")


def mp4_moov():
    """A movie header and one sound track with no samples: what mutagen needs to open it."""
    matrix = struct.pack(">9I", 0x10000, 0, 0, 0, 0x10000, 0, 0, 0, 0x40000000)
    mvhd = full_box(b"mvhd", 0, struct.pack(">IIII", 0, 0, 1000, 1000) +
                    struct.pack(">IH", 0x10000, 0x100) + bytes(10) + matrix + bytes(24) +
                    struct.pack(">I", 2))
    tkhd = full_box(b"tkhd", 7, struct.pack(">IIIII", 0, 0, 1, 0, 1000) + bytes(8) +
                    struct.pack(">HHHH", 0, 0, 0x100, 0) + matrix + bytes(8))
    mdhd = full_box(b"mdhd", 0, struct.pack(">IIIIHH", 0, 0, 44100, 44100, 0x55C4, 0))
    hdlr = full_box(b"hdlr", 0, bytes(4) + b"soun" + bytes(12) + b"Sound\0")
    return box(b"moov", mvhd, box(b"trak", tkhd, box(b"mdia", mdhd, hdlr)))


def mp4_boxes(data, begin, end):
    """(type, offset, size) of the boxes in data[begin:end]."""
    found = []
    while begin + 8 <= end:
        size, kind = struct.unpack(">I4s", data[begin:begin + 8])
        found.append((kind, begin, size))
        begin += size
    return found


def add_genre_number(path, number):
    """Appends a "gnre" item (the ID3v1 genre number plus one) to the item list mutagen
    wrote: mutagen only writes the text genre, but players write this form too. The
    sizes of ilst, meta, udta and moov grow by the item's size; moov holds no sample
    offsets that could move."""
    data = bytearray(open(path, "rb").read())
    item = box(b"gnre", box(b"data", struct.pack(">II", 0, 0), struct.pack(">H", number)))
    chain, begin, end = [], 0, len(data)
    for kind, skip in ((b"moov", 0), (b"udta", 0), (b"meta", 4), (b"ilst", 0)):
        _, offset, size = next(b for b in mp4_boxes(data, begin, end) if b[0] == kind)
        chain.append(offset)
        begin, end = offset + 8 + skip, offset + size
    data[end:end] = item
    for offset in chain:
        size = struct.unpack(">I", data[offset:offset + 4])[0]
        data[offset:offset + 4] = struct.pack(">I", size + len(item))
    with open(path, "wb") as f:
        f.write(data)


# ---- what mutagen reads back ---------------------------------------------------------


def genre_answer(text):
    """The genre as a name: mutagen's own reading of "(17)" and "17" forms."""
    return TCON(encoding=3, text=text).genres[0]


def year_answer(text):
    return text[:4]


def vorbis_answers(path, kind):
    tags = kind(path).tags

    def first(*names):
        for name in names:
            if name in tags:
                return tags[name][0]
        return NA

    comment = first("comment", "description")
    return [first("title"), first("artist"), first("album"), year_answer(first("date", "year")),
            comment, genre_answer(first("genre"))]


def mp4_answers(path):
    tags = MP4(path).tags
    return [tags[k][0] for k in ("\xa9nam", "\xa9ART", "\xa9alb")] + [
        year_answer(tags["\xa9day"][0]), tags["\xa9cmt"][0], genre_answer(tags["\xa9gen"][0])]


def ape_value(tags, key):
    return str(tags[key]) if key in tags else None


# ---- the files -----------------------------------------------------------------------


def write_flac_files(folder):
    rows = []
    fields = {
        "TITLE": "Ça ira – FLAC", "ARTIST": "Sigur Rós", "ALBUM": "Ágætis byrjun",
        "DATE": "1999-06-12", "DESCRIPTION": "not this one", "COMMENT": "ÿ comment",
        "GENRE": "Post-Rock ♫",
    }

    # Plain, and after an ID3v2 tag whose own title the FLAC comments must win over.
    for name, id3_first in (("flac.flac", False), ("id3flac.flac", True)):
        path = os.path.join(folder, name)
        with open(path, "wb") as f:
            f.write(flac_stream())
        audio = FLAC(path)
        audio.add_tags()
        for key, value in fields.items():
            audio.tags[key] = value
        audio.save()
        if id3_first:
            tags = ID3()
            tags.add(TIT2(encoding=3, text="ID3 title before the fLaC"))
            tags.save(path, v1=0)
            assert open(path, "rb").read(3) == b"ID3"
        rows.append([name] + vorbis_answers(path, FLAC) + [NA])

    # A 2 MB picture block between STREAMINFO and the comments, genre "(17)".
    path = os.path.join(folder, "flacpicture.flac")
    with open(path, "wb") as f:
        f.write(flac_stream())
    audio = FLAC(path)
    picture = Picture()
    picture.type, picture.mime, picture.data = 3, "image/png", os.urandom(2 << 20)
    audio.add_picture(picture)
    audio.add_tags()
    audio.tags["TITLE"] = "Bildtitel größer"
    audio.tags["ARTIST"] = "Einstürzende Neubauten"
    audio.tags["ALBUM"] = "Tabula Rasa"
    audio.tags["YEAR"] = "1993"
    audio.tags["COMMENT"] = "über 2 MB"
    audio.tags["GENRE"] = "(17)"
    audio.save()
    assert flac_blocks(path)[:3] == [0, 6, 4], flac_blocks(path)
    rows.append(["flacpicture.flac"] + vorbis_answers(path, FLAC) + [NA])
    return rows


def write_ogg_files(folder):
    rows = []
    # Vorbis, names in lower case, a comment only under "description", genre "(17)".
    path = os.path.join(folder, "vorbis.ogg")
    with open(path, "wb") as f:
        f.write(vorbis_stream())
    audio = OggVorbis(path)
    for key, value in (("title", "Vörbis Títle"), ("artist", "Mötley Crüe"),
                       ("album", "Dr. Feelgood ½"), ("date", "1989"),
                       ("description", "décrit"), ("genre", "(17)")):
        audio[key] = value
    audio.save()
    rows.append(["vorbis.ogg"] + vorbis_answers(path, OggVorbis) + [NA])

    # Opus: a picture of 200 KB (base64) stands before the title, so the comment packet
    # runs over several pages and the title is found pages after the packet's start.
    path = os.path.join(folder, "opus.opus")
    with open(path, "wb") as f:
        f.write(opus_stream())
    picture = Picture()
    picture.type, picture.mime, picture.data = 3, "image/jpeg", os.urandom(150 << 10)
    audio = OggOpus(path)
    audio["METADATA_BLOCK_PICTURE"] = base64.b64encode(picture.write()).decode("ascii")
    for key, value in (("TITLE", "Ópus – über Seiten"), ("ARTIST", "Анна"),
                       ("ALBUM", "Τίτλος"), ("DATE", "2020-02-29"),
                       ("DESCRIPTION", "not this one"), ("COMMENT", "コメント"),
                       ("GENRE", "Électro")):
        audio[key] = value
    audio.save()
    keys = [key.upper() for key, _ in OggOpus(path).tags]
    assert keys[0] == "METADATA_BLOCK_PICTURE" and keys.index("TITLE") > 0, keys
    pages = ogg_pages_holding(path, b"OpusTags")
    assert pages >= 3, "the comment packet spans %d pages" % pages
    rows.append(["opus.opus"] + vorbis_answers(path, OggOpus) + [NA])
    return rows


def write_mp4_files(folder):
    rows = []
    # moov before a small mdat, the genre only as a "gnre" number (18: Rock).
    path = os.path.join(folder, "small.m4a")
    with open(path, "wb") as f:
        f.write(mp4_head() + mp4_moov() + box(b"mdat", bytes(512)))
    audio = MP4(path)
    audio["\xa9nam"] = "Tïtle of an M4A"
    audio["\xa9ART"] = "Björk"
    audio["\xa9alb"] = "Homogénic"
    audio["\xa9day"] = "1997-09-22T00:00:00Z"
    audio["\xa9cmt"] = "Ünïcode comment"
    audio.save()
    add_genre_number(path, 18)
    rows.append(["small.m4a"] + mp4_answers(path) + [NA])

    # moov after 40 MB of mdat, left sparse: mutagen grows the moov at the file's end.
    path = os.path.join(folder, "bigmdat.m4a")
    mdat_size = 40 << 20
    with open(path, "wb") as f:
        f.write(mp4_head() + struct.pack(">I", 8 + mdat_size) + b"mdat")
        f.seek(mdat_size, os.SEEK_CUR)
        f.write(mp4_moov())
    audio = MP4(path)
    audio["\xa9nam"] = "Nach 40 MB – Titel"
    audio["\xa9ART"] = "Röyksopp"
    audio["\xa9alb"] = "Melody A.M."
    audio["\xa9day"] = "2001"
    audio["\xa9cmt"] = "moov am Ende"
    audio["\xa9gen"] = "Électronique"
    audio.save()
    layout = [kind for kind, _, _ in mp4_boxes(open(path, "rb").read(64), 0, 64)[:2]]
    assert layout == [b"ftyp", b"mdat"] and os.path.getsize(path) > mdat_size
    rows.append(["bigmdat.m4a"] + mp4_answers(path) + [NA])
    return rows


def write_ape_files(folder):
    rows = []
    frame = b"\xff\xfb\x90\x00" + bytes(413)

    # Only an APEv2 tag, genre as a bare number (8: Jazz).
    path = os.path.join(folder, "apeonly.mp3")
    with open(path, "wb") as f:
        f.write(frame * 8)
    tags = APEv2()
    for key, value in (("Title", "Äpe Title"), ("Artist", "Мастер"), ("Album", "Álbum"),
                       ("Year", "2007"), ("Comment", "ape ✓"), ("Genre", "8")):
        tags[key] = value
    tags.save(path)
    tags = APEv2(path)
    rows.append(["apeonly.mp3"] + [ape_value(tags, k) for k in ("Title", "Artist", "Album")] +
                [year_answer(ape_value(tags, "Year")), ape_value(tags, "Comment"),
                 genre_answer(ape_value(tags, "Genre")), NA])

    # ID3v2 without an album, an APEv2 tag that has one (and another title, which the
    # ID3v2 tag's beats), and an ID3v1 tag whose album the APEv2 tag's beats.
    path = os.path.join(folder, "id3ape.mp3")
    with open(path, "wb") as f:
        f.write(frame * 8)
    id3 = ID3()
    id3.add(TIT2(encoding=3, text="ID3v2 Títle"))
    id3.add(TPE1(encoding=3, text="ID3v2 Ártist"))
    id3.add(TDRC(encoding=3, text="2012"))
    id3.add(COMM(encoding=3, lang="eng", desc="", text="id3 cömment"))
    id3.add(TCON(encoding=3, text="Trip-Hop"))
    id3.save(path, v1=0, v2_version=4)
    ape = APEv2()
    ape["Title"] = "APE title, not this"
    ape["Album"] = "Älbum from APEv2"
    ape.save(path)
    # mutagen writes its APEv2 tag at the very end, so the ID3v1 tag is appended after.
    v1 = (b"TAG" + b"V1 Title".ljust(30, b"\0") + b"V1 Artist".ljust(30, b"\0") +
          b"V1 Album".ljust(30, b"\0") + b"1990" + bytes(30) + b"\x08")
    with open(path, "ab") as f:
        f.write(v1)
    id3, ape = ID3(path, load_v1=False), APEv2(path)
    assert "TALB" not in id3
    rows.append(["id3ape.mp3", str(id3["TIT2"]), str(id3["TPE1"]), str(ape["Album"]),
                 year_answer(str(id3["TDRC"])), str(id3.getall("COMM")[0]),
                 id3["TCON"].genres[0], "V1 Title"])
    return rows


def write_all(folder):
    rows = write_flac_files(folder) + write_ogg_files(folder) + write_mp4_files(folder)
    rows += write_ape_files(folder)
    for row in rows:
        assert len(row) == 8 and all(row) and not any("|" in v for v in row), row
    return rows
