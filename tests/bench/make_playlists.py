#!/usr/bin/python3
"""Writes the playlists the bench reads, each as winamp.m3u in its own directory:
  big/   100,000 entries (about 8 MB), the last one a real tagged file
  one/   that tagged file alone
  huge/  a single line of 256 MiB, no line end

    make_playlists.py <out-dir> <windows-path-of-tagged-file>
"""
import os
import sys

ENTRIES = 100_000
HUGE = 256 * 1024 * 1024


def main():
    out, tagged = sys.argv[1], sys.argv[2]
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
