#!/usr/bin/env bash
# The tool's main job on the simulated board: builds the tool, creates a demo board in a
# scratch folder (a host chip and one chip behind each downstream port, all on older
# firmware, with generated ISP drivers and newer BIN files), then shows the versions,
# updates all three chips in real time with a progress bar, and shows the versions again.
#
# Usage: scripts/demo.sh [SCRATCH_DIR]   (default: build/demo)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
demo="${1:-$root/build/demo}"

"$root/scripts/setup.sh" "$root/build"
"$root/sim/demo/make_demo_board.sh" "$demo" "$root/build/tools/vexa-mkimage" > /dev/null

# Real time, with a faster AUX channel than the default so the update takes under a minute.
sed -i -e 's/^VirtualTime = .*/VirtualTime = 0/' -e 's/^AuxLatencyUs = .*/AuxLatencyUs = 100/' \
  "$demo/board.ini"

cd "$demo"
vexaisp=("$root/build/frontends/cli/vexaisp" --config Config.ini --simulate board.ini)
"${vexaisp[@]}" versions
"${vexaisp[@]}" --stats update --yes
"${vexaisp[@]}" versions
echo "Log file: $demo/VexaISP.log"
