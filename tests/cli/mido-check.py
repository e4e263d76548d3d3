#!/usr/bin/python3
"""vesk export-mid and import-mid checked with mido, a MIDI file library
written elsewhere: every kind of pattern is exported and read back by mido
(notes, tempo, lengths), a melody written by mido is imported, and an export
that mido writes again, as it is or with a note changed, is imported.

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
NOTE, LEVEL, GATE, TYPE = 31, 63, 95, 127
NORMAL, TIE, SLIDE, REST, ACCENT = range(5)
CLOSED, OPEN, CLOSED_ACCENT, OPEN_ACCENT, EMPTY = range(5)  # a Rythm step, as the grid labels it
failures = []


def vesk(*args):
    run = subprocess.run([VESK, *args], capture_output=True, text=True)
    return run.returncode, run.stdout, run.stderr


def check(condition, what):
    if not condition:
        failures.append(what)


def new_library(path, change):
    """A new library file whose image (after "VSK", newlines as CR LF) change() edits."""
    assert vesk("new", path)[0] == 0
    image = bytearray(open(path, "rb").read()[3:].replace(b"\r\n", b"\n"))
    change(image)
    open(path, "wb").write(b"VSK" + bytes(image).replace(b"\n", b"\r\n"))


def record_offset(slot):
    return 13 if slot == 0 else 172 + (slot - 1) * 159


def shown(library, slot):
    code, out, err = vesk("show", "--json", library)
    assert code == 0, err
    document = json.loads(out)
    pattern = document["temporaryPattern"] if slot == 0 else document["userPatterns"][slot - 1]
    return pattern, lambda name: pattern[name]["raw"]


def expected_notes(pattern, raw):
    """The notes the library says the pattern plays, from vesk show --json."""
    per_bar = 16 if raw("stepsPerBar") else 12
    steps = [(s["stepType"]["raw"], s["stepNote"]["raw"], s["stepLevel"]["raw"], s["stepGate"]["raw"]) for s in pattern["steps"]]
    steps = steps[: per_bar * (raw("patternLength") + 1)]
    t, channel, notes = 480 * 4 // per_bar, 9 if raw("type") == 3 else 0, []
    if raw("type") == 3:
        # Every hit its own note, its gate its length; an empty step nothing.
        return [(s * t, s * t + (min(gate, 105) * t + 50) // 100, note, max(1, level), channel, kind in (CLOSED_ACCENT, OPEN_ACCENT), kind in (OPEN, OPEN_ACCENT))
                for s, (kind, note, level, gate) in enumerate(steps) if kind != EMPTY]
    for s, (kind, note, level, _) in enumerate(steps):
        if kind in (NORMAL, SLIDE, ACCENT):
            last = s
            while last + 1 < len(steps) and steps[last + 1][0] == TIE:
                last += 1
            end = (last + 1) * t + t // 2 if kind == SLIDE else last * t + (min(steps[last][3], 105) * t + 50) // 100
            notes.append([s * t, end, note, max(1, level), channel, kind == ACCENT, False])
    for a, b in zip(notes, notes[1:]):
        if a[2] == b[2] and a[1] > b[0]:
            a[1] = min(a[1], b[1])
    return [tuple(n) for n in notes]


def notes_in(midi):
    """Notes as mido reads them: note-offs paired first come, first served."""
    notes, open_notes, controllers, tick = [], {}, {}, 0
    for message in midi.tracks[0]:
        tick += message.time
        if message.type == "control_change":
            controllers[(message.channel, message.control)] = message.value
        elif message.type == "note_on" and message.velocity > 0:
            open_notes.setdefault((message.channel, message.note), []).append(len(notes))
            notes.append([tick, None, message.note, message.velocity, message.channel, controllers.get((message.channel, 80), 0) >= 64,
                          controllers.get((message.channel, 81), 0) >= 64])
        elif message.type in ("note_off", "note_on"):
            notes[open_notes[(message.channel, message.note)].pop(0)][1] = tick
    return [tuple(n) for n in notes]


def export_every_kind(folder):
    """Slots 0 to 11: Lead, Bass and Rythm, 16 and 12 steps a bar, one and two bars, random steps."""
    library, rng = os.path.join(folder, "kinds.vsk"), random.Random(5)
    kinds = [(type_, per_bar, bars) for type_ in (1, 2, 3) for per_bar in (16, 12) for bars in (1, 2)]

    def fill(image):
        for slot, (type_, per_bar, bars) in enumerate(kinds):
            o, tenths = record_offset(slot), rng.randint(400, 2400)
            image[o:o + 6] = bytes([tenths >> 7, tenths & 127, bars - 1, 1 if per_bar == 16 else 0, 0, type_])
            for s in range(32):
                image[o + NOTE + s], image[o + LEVEL + s], image[o + GATE + s] = rng.randint(0, 127), rng.randint(0, 127), rng.randint(0, 105)
                image[o + TYPE + s] = rng.choice((NORMAL, NORMAL, TIE, SLIDE, REST, ACCENT))

    new_library(library, fill)
    for slot in range(len(kinds)):
        out = os.path.join(folder, "kind%d.mid" % slot)
        code, _, err = vesk("export-mid", library, "temp" if slot == 0 else str(slot), out)
        check(code == 0, "export of slot %d: %s" % (slot, err))
        pattern, raw = shown(library, slot)
        midi = mido.MidiFile(out)
        where = "slot %d (%s): " % (slot, pattern["type"]["value"])
        check(midi.type == 0 and midi.ticks_per_beat == 480, where + "type 0 at 480 ticks")
        metas = {m.type: m for m in midi.tracks[0] if m.is_meta}
        check(round(mido.tempo2bpm(metas["set_tempo"].tempo) * 10) == raw("tempoHigh") * 128 + raw("tempoLow"), where + "tempo")
        check((metas["time_signature"].numerator, metas["time_signature"].denominator) == (4, 4), where + "4/4")
        check(metas["track_name"].name == "%s - %s" % (pattern["name"], pattern["type"]["value"]), where + "track name")
        expected, found = expected_notes(pattern, raw), notes_in(midi)
        check(found == expected, where + "notes\n  expected %s\n  found    %s" % (expected, found))


def import_a_melody(folder):
    library, path = os.path.join(folder, "melody.vsk"), os.path.join(folder, "melody.mid")
    new_library(library, lambda image: image.__setitem__(record_offset(7) + 5, 2))  # Bass: the lowest of a chord wins

    # (step, note, sixteenths long, velocity): a chord, a note tied over two
    # steps, a note in bar two, and one after step 32; at 96 ticks a quarter.
    melody = [(0, 40, 1, 100), (0, 52, 1, 90), (2, 43, 2.5, 80), (17, 45, 0.5, 70), (33, 47, 1, 60)]
    events = sorted([(step * 24, 1, mido.Message("note_on", note=note, velocity=velocity)) for step, note, _, velocity in melody]
                    + [(step * 24 + int(length * 24), 0, mido.Message("note_off", note=note)) for step, note, length, _ in melody], key=lambda e: e[:2])
    track, tick = mido.MidiTrack(), 0
    for when, _, message in events:
        track.append(message.copy(time=when - tick))
        tick = when
    midi = mido.MidiFile(type=1, ticks_per_beat=96)
    midi.tracks += [mido.MidiTrack([mido.MetaMessage("set_tempo", tempo=mido.bpm2tempo(100.0))]), track]
    midi.save(path)

    code, out, err = vesk("import-mid", path, library, "7")
    check(code == 0, "import: " + err)
    check(out.strip() == path + ": imported 32 steps; 1 note after step 32 was left out", "import message: " + out)
    pattern, raw = shown(library, 7)
    check(raw("tempoHigh") * 128 + raw("tempoLow") == 1000, "imported tempo")
    check((raw("patternLength"), raw("stepsPerBar"), raw("type")) == (1, 1, 2), "imported length, steps per bar, type")
    steps = [(s["stepType"]["raw"], s["stepNote"]["raw"], s["stepLevel"]["raw"], s["stepGate"]["raw"]) for s in pattern["steps"]]
    check(steps[0] == (NORMAL, 40, 100, 100), "step 1: %s" % (steps[0],))
    check(steps[1][0] == REST, "step 2: %s" % (steps[1],))
    check(steps[2][:3] == (NORMAL, 43, 80) and steps[3][0] == TIE and steps[4][0] == TIE and steps[4][3] == 50, "steps 3-5: %s" % (steps[2:5],))
    check(steps[17] == (NORMAL, 45, 70, 50), "step 18: %s" % (steps[17],))
    check(all(s[0] == REST for s in steps[18:]), "steps 19-32 rest")


def played_steps(library, slot):
    pattern, raw = shown(library, slot)
    steps = [(s["stepType"]["raw"], s["stepNote"]["raw"], s["stepLevel"]["raw"], s["stepGate"]["raw"]) for s in pattern["steps"]]
    return (raw("patternLength"), raw("stepsPerBar")), steps[: (16 if raw("stepsPerBar") else 12) * (raw("patternLength") + 1)]


def through_mido(folder):
    """A file of ours that mido reads and writes again comes back exactly; one whose notes mido changed is read by its notes."""
    library, path = os.path.join(folder, "kicks.vsk"), os.path.join(folder, "kicks.mid")

    def kicks(image):
        o = record_offset(1)
        image[o + 2:o + 6] = bytes([0, 0, 0, 3])  # one bar of 12 steps, Rythm
        for s in range(32):
            image[o + NOTE + s], image[o + LEVEL + s], image[o + GATE + s], image[o + TYPE + s] = 10 + s, s, 2 * s, EMPTY
        for s in (0, 3, 6, 9):  # on the beats, so the notes alone would say 16 steps
            image[o + NOTE + s], image[o + LEVEL + s], image[o + GATE + s], image[o + TYPE + s] = 36, 0 if s == 3 else 100, 50, CLOSED
        image[o + TYPE + 6], image[o + TYPE + 9] = CLOSED_ACCENT, OPEN
        for slot in (2, 3):  # imported into Rythm patterns, whose steps mean the same
            image[record_offset(slot) + 5] = 3

    new_library(library, kicks)
    code, _, err = vesk("export-mid", library, "1", path)
    check(code == 0, "export of the kicks: " + err)
    midi = mido.MidiFile(path)
    check(any(m.type == "sequencer_specific" for m in midi.tracks[0]), "mido reads the steps' own event")
    midi.save(os.path.join(folder, "resaved.mid"))
    note_ons = [m for m in midi.tracks[0] if m.type == "note_on" and m.velocity > 0]
    note_ons[0].velocity = 99
    midi.save(os.path.join(folder, "changed.mid"))

    expected = played_steps(library, 1)
    code, _, err = vesk("import-mid", os.path.join(folder, "resaved.mid"), library, "2")
    check(code == 0, "import of the file mido wrote: " + err)
    check(played_steps(library, 2) == expected, "the file mido wrote again: %s\n  expected %s" % (played_steps(library, 2), expected))

    code, _, err = vesk("import-mid", os.path.join(folder, "changed.mid"), library, "3")
    check(code == 0, "import of the file mido changed: " + err)
    (length, per_bar), steps = played_steps(library, 3)
    check((length, per_bar, len(steps)) == (0, 0, 12), "the changed file keeps its 12 steps: %s" % ((length, per_bar, len(steps)),))
    check(steps[0][:3] == (CLOSED, 36, 99) and steps[5][0] == EMPTY and steps[6][0] == CLOSED_ACCENT and steps[9][0] == OPEN,
          "the changed file by its notes: %s" % (steps,))


with tempfile.TemporaryDirectory() as folder:
    export_every_kind(folder)
    import_a_melody(folder)
    through_mido(folder)

for failure in failures:
    print("FAILED:", failure)
print("mido %s: %s" % (mido.__version__, "all checks passed" if not failures else "%d failed" % len(failures)))
sys.exit(1 if failures else 0)
