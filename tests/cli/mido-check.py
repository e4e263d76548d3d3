#!/usr/bin/python3
"""vesk export-mid and import-mid checked with mido, a MIDI file library
written elsewhere: every kind of pattern is exported and read back by mido
(notes, tempo, lengths), and a melody written by mido is imported.

Usage: mido-check.py PATH-TO-vesk. Exit 77 (skipped) without mido."""
import json
import os
import random
import subprocess
import sys
import tempfile

try:
    import mido
except ImportError:
    print("python3-mido is not installed (scripts/deps.sh installs it)")
    sys.exit(77)

VESK = sys.argv[1]
IMAGE = 7449
TEMP, USER = 13, 172
NOTE, LEVEL, GATE, TYPE = 31, 63, 95, 127
NORMAL, TIE, SLIDE, REST, ACCENT = range(5)
failures = []


def vesk(*args):
    run = subprocess.run([VESK, *args], capture_output=True, text=True)
    return run.returncode, run.stdout, run.stderr


def check(condition, what):
    if not condition:
        failures.append(what)


def read_library(path):
    data = open(path, "rb").read()[3:]
    return bytearray(data.replace(b"\r\n", b"\n"))


def write_library(path, image):
    open(path, "wb").write(b"VSK" + bytes(image).replace(b"\n", b"\r\n"))


def record_offset(slot):
    return TEMP if slot == 0 else USER + (slot - 1) * 159


def shown(library, slot):
    code, out, err = vesk("show", "--json", library)
    assert code == 0, err
    document = json.loads(out)
    return document["temporaryPattern"] if slot == 0 else document["userPatterns"][slot - 1]


def expected_notes(pattern):
    """The notes the library says the pattern plays, from vesk show --json."""
    raw = lambda name: pattern[name]["raw"]
    per_bar = 16 if raw("stepsPerBar") else 12
    steps = pattern["steps"][: per_bar * (raw("patternLength") + 1)]
    t = 480 * 4 // per_bar
    channel = 9 if raw("type") == 3 else 0
    notes = []
    for s, step in enumerate(steps):
        kind = step["stepType"]["raw"]
        if kind not in (NORMAL, SLIDE, ACCENT):
            continue
        ties = 0
        while s + ties + 1 < len(steps) and steps[s + ties + 1]["stepType"]["raw"] == TIE:
            ties += 1
        if kind == SLIDE:
            end = (s + ties + 1) * t + t // 2
        else:
            end = (s + ties) * t + (min(steps[s + ties]["stepGate"]["raw"], 105) * t + 50) // 100
        notes.append([s * t, end, step["stepNote"]["raw"], max(1, step["stepLevel"]["raw"]), channel, kind == ACCENT])
    for a, b in zip(notes, notes[1:]):
        if a[2] == b[2] and a[1] > b[0]:
            a[1] = min(a[1], b[1])
    return [tuple(n) for n in notes]


def notes_in(midi):
    """Notes as mido reads them: note-offs paired first come, first served."""
    notes, open_notes, accent, tick = [], {}, {}, 0
    for message in midi.tracks[0]:
        tick += message.time
        if message.type == "control_change" and message.control == 80:
            accent[message.channel] = message.value
        elif message.type == "note_on" and message.velocity > 0:
            open_notes.setdefault((message.channel, message.note), []).append(len(notes))
            notes.append([tick, None, message.note, message.velocity, message.channel, accent.get(message.channel, 0) >= 64])
        elif message.type in ("note_off", "note_on"):
            notes[open_notes[(message.channel, message.note)].pop(0)][1] = tick
    return [tuple(n) for n in notes]


def export_every_kind(folder):
    library = os.path.join(folder, "kinds.vsk")
    assert vesk("new", library)[0] == 0
    image = read_library(library)
    rng = random.Random(5)
    slots = []
    for type_ in (1, 2, 3):
        for per_bar in (16, 12):
            for bars in (1, 2):
                slot = len(slots)
                o = record_offset(slot)
                tenths = rng.randint(400, 2400)
                image[o:o + 6] = bytes([tenths >> 7, tenths & 127, bars - 1, 1 if per_bar == 16 else 0, 0, type_])
                for s in range(32):
                    image[o + NOTE + s] = rng.randint(0, 127)
                    image[o + LEVEL + s] = rng.randint(0, 127)
                    image[o + GATE + s] = rng.randint(0, 105)
                    image[o + TYPE + s] = rng.choice((NORMAL, NORMAL, TIE, SLIDE, REST, ACCENT))
                slots.append(slot)
    write_library(library, image)

    for slot in slots:
        out = os.path.join(folder, "kind%d.mid" % slot)
        code, _, err = vesk("export-mid", library, "temp" if slot == 0 else str(slot), out)
        check(code == 0, "export of slot %d: %s" % (slot, err))
        pattern = shown(library, slot)
        midi = mido.MidiFile(out)
        where = "slot %d (%s): " % (slot, pattern["type"]["value"])
        check(midi.type == 0 and midi.ticks_per_beat == 480, where + "type 0 at 480 ticks")
        metas = {m.type: m for m in midi.tracks[0] if m.is_meta}
        tenths = pattern["tempoHigh"]["raw"] * 128 + pattern["tempoLow"]["raw"]
        check(round(mido.tempo2bpm(metas["set_tempo"].tempo) * 10) == tenths, where + "tempo")
        check((metas["time_signature"].numerator, metas["time_signature"].denominator) == (4, 4), where + "4/4")
        check(metas["track_name"].name == "%s - %s" % (pattern["name"], pattern["type"]["value"]), where + "track name")
        expected, found = expected_notes(pattern), notes_in(midi)
        check(found == expected, where + "notes\n  expected %s\n  found    %s" % (expected, found))


def import_a_melody(folder):
    library = os.path.join(folder, "melody.vsk")
    assert vesk("new", library)[0] == 0
    image = read_library(library)
    image[record_offset(7) + 5] = 2  # Bass: the lowest of a chord wins
    write_library(library, image)

    midi = mido.MidiFile(type=1, ticks_per_beat=96)
    midi.tracks.append(mido.MidiTrack([mido.MetaMessage("set_tempo", tempo=mido.bpm2tempo(100.0))]))
    sixteenth = 24
    # (step, note, sixteenths long, velocity): a chord, a note tied over two
    # steps, a note in bar two, and one after step 32.
    melody = [(0, 40, 1, 100), (0, 52, 1, 90), (2, 43, 2.5, 80), (17, 45, 0.5, 70), (33, 47, 1, 60)]
    events = []
    for step, note, length, velocity in melody:
        events.append((step * sixteenth, 1, mido.Message("note_on", note=note, velocity=velocity)))
        events.append((step * sixteenth + int(length * sixteenth), 0, mido.Message("note_off", note=note)))
    track, tick = mido.MidiTrack(), 0
    for when, _, message in sorted(events, key=lambda e: e[:2]):
        track.append(message.copy(time=when - tick))
        tick = when
    midi.tracks.append(track)
    path = os.path.join(folder, "melody.mid")
    midi.save(path)

    code, out, err = vesk("import-mid", path, library, "7")
    check(code == 0, "import: " + err)
    check(out.strip() == path + ": imported 32 steps; 1 note after step 32 was left out", "import message: " + out)
    pattern = shown(library, 7)
    raw = lambda name: pattern[name]["raw"]
    check(raw("tempoHigh") * 128 + raw("tempoLow") == 1000, "imported tempo")
    check((raw("patternLength"), raw("stepsPerBar"), raw("type")) == (1, 1, 2), "imported length, steps per bar, type")
    steps = [(s["stepType"]["raw"], s["stepNote"]["raw"], s["stepLevel"]["raw"], s["stepGate"]["raw"]) for s in pattern["steps"]]
    check(steps[0] == (NORMAL, 40, 100, 100), "step 1: %s" % (steps[0],))
    check(steps[1][0] == REST, "step 2: %s" % (steps[1],))
    check(steps[2][:3] == (NORMAL, 43, 80) and steps[3][0] == TIE and steps[4][0] == TIE and steps[4][3] == 50, "steps 3-5: %s" % (steps[2:5],))
    check(steps[17] == (NORMAL, 45, 70, 50), "step 18: %s" % (steps[17],))
    check(all(s[0] == REST for s in steps[18:]), "steps 19-32 rest")


with tempfile.TemporaryDirectory() as folder:
    export_every_kind(folder)
    import_a_melody(folder)

for failure in failures:
    print("FAILED:", failure)
print("mido %s: %s" % (mido.__version__, "all checks passed" if not failures else "%d failed" % len(failures)))
sys.exit(1 if failures else 0)
