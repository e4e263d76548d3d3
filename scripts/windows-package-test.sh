#!/usr/bin/env bash
# What ships for Windows, checked end to end under Wine and Xvfb, after
# scripts/build.sh (build/VeskEdit, build/vesk) and scripts/windows-build.sh:
# makes the installer and the zip (scripts/windows-package.sh), installs,
# runs and uninstalls them (tests/package/windows-install.sh), compares
# vesk.exe with vesk (tests/cli/windows-compare.sh) and runs the end-to-end
# cases through Wine, comparing the library saved with Linux's
# (tests/e2e/windows-e2e.sh). Runs every check; fails if any failed.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1

took() { echo "== ($1 took $((SECONDS - started)) s)"; started=$SECONDS; }
started=$SECONDS
status=0

scripts/windows-package.sh || exit 1
took "the installer and the zip"

echo "== Windows: install, run and uninstall"
tests/package/windows-install.sh build-windows/VeskEdit-*-setup.exe build-windows/VeskEdit-*-windows-x64.zip || status=1
took "the install check"

echo "== Windows: vesk.exe against vesk"
tests/cli/windows-compare.sh build/vesk build-windows/vesk.exe || status=1
took "the comparison of vesk.exe with vesk"

echo "== Windows: end to end"
tests/e2e/windows-e2e.sh build/VeskEdit build-windows/VeskEdit.exe || status=1
took "the end-to-end cases under Wine"

exit $status
