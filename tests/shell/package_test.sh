#!/usr/bin/env bash
# The release zip as a user meets it:
#
#   package_test.sh ZIP TEST_EXE WORK_DIR ARTIFACTS_DIR
#
# Unpacks ZIP into a folder of WORK_DIR whose name has spaces and letters
# beyond ASCII, and runs the package test of TEST_EXE against the quib.exe
# found there, in a fresh Wine prefix under WORK_DIR (run_gui_tests.sh gives
# it its X display). Exits 77 (skipped) when unzip, Xvfb or Wine is missing.
set -u
zip=$1
exe=$2
work=$(realpath -m "$3")
artifacts=$4
here=$(dirname "$0")

if ! command -v unzip >/dev/null 2>&1; then
  echo "package_test: unzip is not installed; skipped"
  exit 77
fi
if [ ! -f "$zip" ]; then
  echo "package_test: $zip is missing (build the target quib_package)"
  exit 1
fi
rm -rf "$work"
folder="$work/Quib Tëst ünd Prüfung"
mkdir -p "$folder"
unzip -q "$zip" -d "$folder" || exit 1
quib=$(find "$folder" -name quib.exe | head -n1)
for f in quib.exe quib.chm README.txt LICENSE.txt; do
  if [ ! -f "$(dirname "$quib")/$f" ]; then
    echo "package_test: the package lacks $f"
    exit 1
  fi
done

export QUIB_PACKAGE_TEST=1
bash "$here/run_gui_tests.sh" "$exe" "$quib" "$work/prefix" "$artifacts" \
  --gtest_filter='DesktopGui.Package*'
status=$?
[ "$status" = 0 ] && rm -rf "$work"
exit $status
