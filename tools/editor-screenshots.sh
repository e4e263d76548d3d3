#!/usr/bin/env bash
# Screenshots of the main window, the lead, bass and rhythm editors and a rhythm step grid,
# taken from the running program under Xvfb for the README. Run it again after
# changing how the editors look:
#
#     tools/editor-screenshots.sh [PATH-TO-VeskEdit] [FOLDER]    (build/VeskEdit, docs)
#
# Only one copy of VeskEdit runs per machine: close any other first.
set -euo pipefail
cd "$(dirname "$0")/.."
binary=${1:-build/VeskEdit}
folder=$(readlink -f "${2:-docs}")
VESK_E2E_SHOTS=$folder tests/e2e/e2e.sh screenshots "$binary"
