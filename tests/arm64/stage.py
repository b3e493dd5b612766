#!/usr/bin/env python3
"""The ARM64 stage's calls and its verdict: the ARM64 DLL under Wine for ARM64, with no
player running, called by client_standin.exe exactly as the x64 DLL is called by the same
stand-in built for x64.

  stage.py calls INSTALL_DIR FIXTURE_DIR FIXTURES > BODY
      The calls (the two directories as Windows paths ending in a backslash, FIXTURES as
      this machine sees the fixture folder), in the ANSI code page (1252) as the player's
      playlist file is: every export of src/host/exports.def with the playlist file in
      the install directory naming one tagged track by a name only the code page spells
      (a copy made here), then the id3_* and tag_* queries over every track file of tags.txt
      and best.txt in FIXTURE_DIR (made by tests/wine/make_fixtures.py), each named in
      turn by the playlist file.
  stage.py check BODY FIXTURES ARM64_OUTPUT X64_OUTPUT
      Judges the ARM64 output (FIXTURES: the fixture folder as this machine sees it).
      Prints GoogleTest-style lines and counts; exits 1 when a check fails.

What each answer must be is never written here: the x64 DLL's answer through the same
stand-in (which the x64 suite proves with and without a player), the fixture tables that
the x64 suite reads too, and the path the playlist file names.
"""
import os
import shutil
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(HERE), "static"))
from check_x86_dll import DEFAULT_DEF, read_def  # noqa: E402
from test_report import run_tests  # noqa: E402

PREFIX = "zel_winamp_"
FIELDS = ("title", "artist", "album", "year", "comment", "genre")
ID3 = [PREFIX + "id3_" + f for f in FIELDS]
TAG = [PREFIX + "tag_" + f for f in FIELDS]
KEEP_BYTE = 16  # the record's keep flag in the 64-bit layout
# What the playlist names while every export is called: a copy of a tagged track under a
# name ASCII cannot spell, so that track_file's answer goes from the code page to UTF-8.
FIRST_TRACK = "one.mp3"
FIRST_TRACK_NAMED = "\u00c7a va \u2013 \u00e9\u00e9n.mp3"
CODE_PAGE = "cp1252"


def table(fixtures, name):
    """Rows of a fixture table (UTF-8, CR LF, fields separated by |)."""
    with open(os.path.join(fixtures, name), encoding="utf-8") as f:
        return [line.rstrip("\r\n").split("|") for line in f if line.strip()]


def exports():
    return [n for n in read_def(DEFAULT_DEF) if n != "LoadDll"]


def calls(install_dir, fixture_dir, fixtures):
    """The stand-in's lines after the DLL's path: playlist files written, exports called."""
    def name_in_playlist(track):
        return ">" + install_dir + "winamp.m3u\t" + fixture_dir + track

    shutil.copyfile(os.path.join(fixtures, FIRST_TRACK), os.path.join(fixtures, FIRST_TRACK_NAMED))
    lines = [name_in_playlist(FIRST_TRACK_NAMED)] + exports()
    for name in sorted({row[0] for row in table(fixtures, "tags.txt") + table(fixtures, "best.txt")}):
        lines += [name_in_playlist(name)] + ID3 + TAG
    return lines


def parse_output(path):
    """[(export, {field: value})] in call order, or ("missing", name) for absent exports."""
    results = []
    with open(path, encoding="latin-1") as f:
        for line in f:
            words = line.split()
            if words[:1] == ["call"] and len(words) >= 2:
                results.append((words[1], dict(w.split("=", 1) for w in words[2:] if "=" in w)))
            elif words[:1] == ["missing"]:
                results.append((words[1], None))
    return results


def check(body_path, fixtures, arm_path, x64_path):
    with open(body_path, encoding=CODE_PAGE) as f:
        body = [line.rstrip("\n") for line in f if line.strip()]
    # Which track the playlist named at each call.
    named, order = None, []
    for line in body:
        if line.startswith(">"):
            named = line.split("\t", 1)[1]
        else:
            order.append((line, named))
    arm, x64 = parse_output(arm_path), parse_output(x64_path)

    def answer(result):
        return bytes.fromhex(result["answer"]).decode("utf-8", "replace")

    def frame():
        faults = []
        if len(arm) < len(order):
            faults.append(f"only {len(arm)} of {len(order)} calls returned; the next was "
                          f"{order[len(arm)][0]} (a fault ends the stand-in)")
        for (name, result), (wanted, _) in zip(arm, order):
            if result is None:
                faults.append(f"{name} is not exported")
                continue
            before, after = bytes.fromhex(result["before"]), bytes.fromhex(result["record"])
            changed = [i for i in range(len(before)) if before[i] != after[i]]
            if name != wanted:
                faults.append(f"call {wanted} answered as {name}")
            if result["result"] != "3":
                faults.append(f"{name} returned {result['result']}, not 3")
            if before[KEEP_BYTE] != 1 or result["keep"] != "0" or changed != [KEEP_BYTE]:
                faults.append(f"{name}: LoadDll changed record bytes {changed}, keep flag now "
                              f"{result['keep']} (only byte {KEEP_BYTE} may change, from 1 to 0)")
            if result["tail"] != "0":
                faults.append(f"{name} wrote past its answer's terminating zero")
        return faults

    def same_as_x64():
        faults = []
        if len(x64) != len(order):
            return [f"the x64 reference run gave {len(x64)} of {len(order)} answers"]
        for (name, a), (_, x), (_, track) in zip(arm, x64, order):
            if a is None or x is None:
                continue  # reported by the frame check
            for field in ("result", "untouched", "answer"):
                if a.get(field) != x.get(field):
                    what = answer if field == "answer" else (lambda r: r.get(field))
                    faults.append(f"{name} ({track}): {field} {what(a)!r} on ARM64, {what(x)!r} on x64")
        return faults

    def answers_for(track):
        """{export: answer} of the calls made while the playlist named `track`."""
        return {n: answer(r) for (n, r), (_, t) in zip(arm, order) if t == track and r}

    def track_file():
        first = order[0][1]
        got = answers_for(first).get(PREFIX + "track_file")
        return [] if got == first else [f"track_file answered {got!r}, the playlist names {first!r}"]

    def fixture_table(name, queries):
        """Each row: the track's name, then what each query must answer."""
        faults = []
        folder = order[0][1][:order[0][1].rindex("\\") + 1]
        for row in table(fixtures, name):
            got = answers_for(folder + row[0])
            for query, want in zip(queries, row[1:]):
                if got.get(query) != want:
                    faults.append(f"{row[0]} {query}: {got.get(query)!r}, the file says {want!r}")
        return faults

    tests = [
        ("Arm64Stage.EveryCallReturns3AndTouchesOnlyTheKeepByteAndTheAnswer", frame),
        ("Arm64Stage.EveryExportAnswersAsTheX64DllDoesWithoutAPlayer", same_as_x64),
        ("Arm64Stage.TrackFileIsTheEntryOfThePlaylistInTheInstallDirectory", track_file),
        # tags.txt: name|title|artist|album|year|comment|genre-number (the number is the
        # x64 suite's to name; the x64 comparison covers it here)
        ("Arm64Stage.Id3QueriesAnswerTheId3v1Tags", lambda: fixture_table("tags.txt", ID3[:5])),
        # best.txt: name|title|artist|album|year|comment|genre|id3_title, UTF-8
        ("Arm64Stage.TagQueriesAnswerEveryFormatInUtf8",
         lambda: fixture_table("best.txt", TAG + ID3[:1])),
    ]
    # A long list of faults is cut: the first ten tell what went wrong.
    def first_ten(check):
        faults = check()
        return faults[:10] + ([f"and {len(faults) - 10} more"] if len(faults) > 10 else [])

    return run_tests(f"{len(order)} calls of the ARM64 DLL",
                     [(name, lambda c=check: first_ten(c)) for name, check in tests])

def main():
    if len(sys.argv) == 5 and sys.argv[1] == "calls":
        sys.stdout.buffer.write("".join(line + "\n" for line in calls(*sys.argv[2:5])).encode(CODE_PAGE))
        return 0
    if len(sys.argv) == 6 and sys.argv[1] == "check":
        return 0 if check(*sys.argv[2:6]) else 1
    sys.exit(__doc__)


if __name__ == "__main__":
    sys.exit(main())
