#!/usr/bin/env bash
# Commands are known by their rows in engine/commands.def: product code
# never compares a command id with a number or a range of command constants.
#   command_ranges.sh SOURCE_DIR
set -u
cd "$1" || exit 2
pattern='(>=|<=|>|<)\s*(8[0-9]|9[0-9]|1[0-4][0-9]|30[0-5])\b'
pattern+='|(>=|<=|>|<)\s*Cmd[A-Z]|\bCmd[A-Za-z0-9]+\s*(>=|<=|>|<)[^<]'
if grep -rnE "$pattern" --include='*.cpp' --include='*.h' \
    arith numtext engine shell console | grep -v '^engine/commands\.h:'; then
  echo "command_ranges: the lines above test command ids by number or range"
  exit 1
fi
echo "command_ranges: none found"
