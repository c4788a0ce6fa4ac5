#!/usr/bin/env bash
# Writes the demo board into a folder: its board file, the firmware each chip starts with
# (*-old.bin), the firmware to update it to (*-new.bin), each chip's ISP driver
# (*-driver.bin) and the tool's Config.ini naming those drivers and new images. Flash files
# left from an earlier demo are removed, so the board starts from the old firmware again.
#
# Usage: make_demo_board.sh OUTDIR [path to vexa-mkimage [DATA_BYTES]]
#   DATA_BYTES limits each image's application data (the rest stays blank and is skipped by
#   the update), so that an update in real time takes seconds instead of a minute.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
out="${1:?usage: make_demo_board.sh OUTDIR [vexa-mkimage [DATA_BYTES]]}"
mkimage="${2:-$here/../../build/tools/vexa-mkimage}"
data=()
[[ -z "${3:-}" ]] || data=(--data "$3")

mkdir -p "$out"
rm -f "$out"/*.flash
cp "$here/board.ini" "$out/board.ini"

# chip name, chip type, old version bytes, new version bytes, extra options of the new image
make_chip() {
  local name="$1" chip="$2" old="$3" new="$4"
  shift 4
  "$mkimage" bin --chip "$chip" --version "$old" --seed 1 "${data[@]}" --out "$out/$name-old.bin"
  "$mkimage" bin --chip "$chip" --version "$new" --seed 2 "${data[@]}" "$@" \
    --out "$out/$name-new.bin"
  "$mkimage" driver --chip "$chip" --out "$out/$name-driver.bin"
}

make_chip host 1 0x01,0x01,0x00 0x02,0x01,0x05
make_chip port1 3 0x20,0x45,0x01 0x67,0x45,0x89
make_chip port2 4 0x00,0x01,0x02 0x03,0x02,0x04 --boot-code 0x0203

# [Firmware Update] is the only section and ends the file, so a key appended to the file
# belongs to it.
cat > "$out/Config.ini" <<'CONFIG'
[Firmware Update]
DriverFilePath = host-driver.bin
FWFilePath = host-new.bin
DriverFilePathP1 = port1-driver.bin
FWFileP1 = port1-new.bin
DriverFilePathP2 = port2-driver.bin
FWFileP2 = port2-new.bin
CONFIG
