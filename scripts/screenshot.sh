#!/usr/bin/env bash
# Makes the README's picture of the dialog: builds the tool, creates the demo board in a
# scratch folder, and lets vexaisp-gui update all three chips offscreen (no display needed),
# rendering the dialog once the run has ended.
#
# Usage: scripts/screenshot.sh [PNG] [SCRATCH_DIR]   (defaults: docs/dialog.png, build/screenshot)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
png="$(realpath -m "${1:-$root/docs/dialog.png}")"
scratch="${2:-$root/build/screenshot}"

"$root/scripts/setup.sh" "$root/build"
"$root/sim/demo/make_demo_board.sh" "$scratch" "$root/build/tools/vexa-mkimage" > /dev/null
# Config.ini ends with its [Firmware Update] section, so the appended key lands in it.
echo "OneStepProgramming = 0" >> "$scratch/Config.ini"

mkdir -p "$(dirname "$png")"
cd "$scratch"
"$root/build/frontends/qt/vexaisp-gui" --config Config.ini --simulate board.ini --run \
  --screenshot "$png"
echo "Screenshot: $png"
