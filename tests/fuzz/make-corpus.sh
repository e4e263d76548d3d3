#!/usr/bin/env bash
# Rebuilds the seed corpus under tests/fuzz/corpus with the librarian itself:
# a default library, its .syx export, libraries edited by importing changed
# dumps, single dump bodies, and .syx files with damaged framing.
set -euo pipefail
cd "$(dirname "$0")/../.."
vesk=${VESK:-build/vesk}
out=tests/fuzz/corpus
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

"$vesk" new "$tmp/default.vsk"
"$vesk" export-syx "$tmp/default.vsk" "$tmp/default.syx"

# Edited dumps: Rythm user pattern 3, a changed system block, odd bytes (0x0A, 0x0D) in steps.
python3 - "$tmp" <<'PY'
import sys
tmp = sys.argv[1]
data = bytearray(open(tmp + "/default.syx", "rb").read())
msgs, i = [], 0
while i < len(data):
    j = data.index(0xF7, i)
    msgs.append(bytearray(data[i + 1:j]))
    i = j + 1

def fix(body):
    body[-1] = (128 - sum(body[5:-1]) % 128) % 128
    return body

system, users, temp = msgs[0], msgs[1:21], msgs[21]
system[9 + 0] = 70; system[9 + 8] = 16; system[9 + 12] = 3
users[2][9 + 5] = 3; users[2][9 + 6] = 7
for s in range(32):
    users[2][9 + 127 + s] = s % 5
    temp[9 + 31 + s] = (10, 13, 10, 127)[s % 4]
for m in (system, users[2], temp):
    fix(m)
open(tmp + "/edited.syx", "wb").write(b"".join(b"\xF0" + bytes(m) + b"\xF7" for m in (system, users[2], temp)))
for name, m in (("system", system), ("user03", users[2]), ("temp", temp)):
    open(tmp + "/body-" + name, "wb").write(bytes(m))
bad = bytearray(users[2]); bad[-1] ^= 1
open(tmp + "/body-badchecksum", "wb").write(bytes(bad))
# A controller stream as the sysex target reads it: channel selector, then status/data triples.
open(tmp + "/channel", "wb").write(bytes([0, 0xB0, 0, 85, 0xC0, 4, 0, 0xB0, 74, 100, 0xB1, 74, 1, 0xB0, 10, 0]))
junk = b"junk" + b"\xF0" + bytes(system) + b"\xF7" + b"\x00\x7F" + b"\xF0\x41\x10\x90" + b"\xF0" + bytes(temp) + b"\xF7" + b"\xF0" + bytes(200) + b"\xF7" + b"\xF0\x41\x10"
open(tmp + "/damaged.syx", "wb").write(junk)
PY

cp "$tmp/default.vsk" "$tmp/edited.vsk"
"$vesk" import-syx "$tmp/edited.syx" "$tmp/edited.vsk" 2>/dev/null

rm -rf "$out"
mkdir -p "$out/library_file" "$out/sysex" "$out/syx_file"
cp "$tmp/default.vsk" "$tmp/edited.vsk" "$out/library_file/"
head -c 5123 "$tmp/edited.vsk" >"$out/library_file/short.vsk"
cp "$tmp"/body-* "$tmp/channel" "$out/sysex/"
cp "$tmp/default.syx" "$tmp/edited.syx" "$tmp/damaged.syx" "$out/syx_file/"
: >"$out/syx_file/empty.syx"

# MIDI files: two exported patterns and a type 1 file with a tempo track, a
# chord, running status and a note left open.
mkdir -p "$out/midi_file"
"$vesk" export-mid "$tmp/default.vsk" 1 "$out/midi_file/lead.mid"
"$vesk" export-mid "$tmp/edited.vsk" 3 "$out/midi_file/rythm.mid"
python3 - "$out/midi_file/type1.mid" <<'PY'
import struct, sys
def chunk(kind, body): return kind + struct.pack(">I", len(body)) + body
tempo = chunk(b"MTrk", bytes([0, 0xFF, 0x51, 3, 0x07, 0xA1, 0x20, 0, 0xFF, 0x2F, 0]))
notes = chunk(b"MTrk", bytes([0, 0x90, 40, 100, 0, 52, 90, 60, 40, 0, 0, 52, 0, 0, 0xB0, 80, 127,
                              60, 0x90, 43, 80, 0x83, 0x60, 0x80, 43, 0, 0, 0x90, 45, 70, 0, 0xFF, 0x2F, 0]))
open(sys.argv[1], "wb").write(chunk(b"MThd", struct.pack(">HHH", 1, 2, 96)) + tempo + notes)
PY
ls -l "$out"/*
