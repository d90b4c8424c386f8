#!/usr/bin/env bash
# Runs the shell test program under Wine in a private X display.
#
#   run_gui_tests.sh TEST_EXE QUIB_EXE WINE_PREFIX ARTIFACTS_DIR [gtest options]
#
# Starts Xvfb on a free display, creates the Wine prefix on first use (32-bit,
# with a virtual desktop so that windows get their frames and input stays
# inside Wine), runs the program, and stops the prefix's wineserver and the
# X server again, also when interrupted. Screenshots go to ARTIFACTS_DIR. Exits with the program's status, or
# 77 (skipped) when Xvfb or Wine is missing.
set -u
exe=$1
quib=$2
prefix=$(realpath -m "$3")
artifacts=$(realpath -m "$4")
shift 4

for tool in Xvfb wine wineserver; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "run_gui_tests: $tool is not installed; GUI tests skipped"
    exit 77
  fi
done

export WINEPREFIX=$prefix WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

workdir=$(mktemp -d)
xvfb_pid=""
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  rm -rf "$workdir"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Xvfb picks a free display itself and writes its number to fd 3.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$workdir/display" \
  >"$workdir/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$workdir/display" ] && break
  sleep 0.1
done
if [ ! -s "$workdir/display" ]; then
  echo "run_gui_tests: Xvfb did not start:"
  cat "$workdir/xvfb.log"
  exit 1
fi
export DISPLAY=":$(head -n1 "$workdir/display")"

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "run_gui_tests: creating the Wine prefix $WINEPREFIX (once)"
  mkdir -p "$WINEPREFIX"
  wineboot --init >/dev/null 2>&1
  wineserver -w
fi
# Windows live in a virtual desktop of the display's size.
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f \
  >/dev/null 2>&1
wineserver -w

mkdir -p "$artifacts"
QUIB_EXE=$(winepath -w "$quib" 2>/dev/null)
QUIB_ARTIFACTS=$(winepath -w "$artifacts" 2>/dev/null)
export QUIB_EXE QUIB_ARTIFACTS
wine "$exe" "$@"
status=$?
exit $status
