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
cat > "$scratch/Config.ini" <<'CONFIG'
[Firmware Update]
DriverFilePath = host-driver.bin
FWFilePath = host-new.bin
DriverFilePathP1 = port1-driver.bin
FWFileP1 = port1-new.bin
DriverFilePathP2 = port2-driver.bin
FWFileP2 = port2-new.bin
OneStepProgramming = 0
CONFIG

mkdir -p "$(dirname "$png")"
cd "$scratch"
"$root/build/app/dialog/vexaisp-gui" --config Config.ini --simulate board.ini --run \
  --screenshot "$png"
echo "Screenshot: $png"
