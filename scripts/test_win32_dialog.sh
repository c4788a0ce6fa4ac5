#!/usr/bin/env bash
# Runs the Windows dialog (vexaisp-gui.exe of the cross-build) under Wine on a virtual X
# server against the demo board, and compares what it shows with the dialog model: for each
# case a control dump and a picture after start-up and after a run, each dump checked by
# vexa_win32_dump_check against the model's expectation for the same configuration and board.
# Every run also tries to close the dialog while the chips are programmed, which must be
# refused; the full run's log file must equal the command-line tool's (time stamps aside). A
# run of the host alone through the AMD stand-in driver, instead of the simulator, must end as
# the command-line run does.
#
# Usage: scripts/test_win32_dialog.sh BUILD_DIR WINDOWS_BUILD_DIR [OUT_DIR]
#   BUILD_DIR: the native build (vexa-mkimage, vexaisp, vexa_win32_dump_check);
#   OUT_DIR: where the dumps and pictures stay (default: WINDOWS_BUILD_DIR/win32-dialog-test).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(realpath "${1:?usage: test_win32_dialog.sh BUILD_DIR WINDOWS_BUILD_DIR [OUT_DIR]}")"
windows="$(realpath "${2:?usage: test_win32_dialog.sh BUILD_DIR WINDOWS_BUILD_DIR [OUT_DIR]}")"
out="$(realpath -m "${3:-$windows/win32-dialog-test}")"
gui="$windows/frontends/win32/vexaisp-gui.exe"
checker="$build/tests/vexa_win32_dump_check"

# One virtual X server for every case.
if [[ -z "${VEXA_WIN32_TEST_XVFB:-}" ]]; then
  VEXA_WIN32_TEST_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

# Unix file names are UTF-8 to Wine.
export LC_ALL=C.UTF-8
# shellcheck source=tests/wine/wine_test_common.sh
source "$root/tests/wine/wine_test_common.sh"
rm -rf "$out"
mkdir -p "$out"
wine_prefix "$out/wine-prefix"

# board DIR ONE_STEP PORTS FAULT [EDIT]: a fresh demo board; Config.ini in one-step mode or
# not (1/0) and with the downstream ports or the host alone (1/0); FAULT, a line for the host
# chip's section of the board file; EDIT, a sed expression for Config.ini. The host's new
# firmware gets a name outside ASCII, which the dialog must carry through its UTF-16
# boundary. DATA_BYTES, when set, limits the images' data (see make_demo_board.sh).
board() {
  rm -rf "$1"
  "$root/sim/demo/make_demo_board.sh" "$1" "$build/tools/vexa-mkimage" "${DATA_BYTES:-}" > /dev/null
  mv "$1/host-new.bin" "$1/host-neu-ä.bin"
  sed -i 's/host-new\.bin/host-neu-ä.bin/' "$1/Config.ini"
  [[ $3 == 1 ]] || sed -i '/P[12] *=/d' "$1/Config.ini"
  echo "OneStepProgramming = $2" >> "$1/Config.ini"
  [[ -z "$4" ]] || sed -i "s/^\[Host\]\$/[Host]\n$4/" "$1/board.ini"
  [[ -z "${5:-}" ]] || sed -i "$5" "$1/Config.ini"
}

# Drops the time stamps and the date lines, which differ by platform.
without_times() {
  sed -E -e 's/^\[[0-9:.]+\] //' -e '/^[0-9]{2}\/[0-9]{2}\/[0-9]{2} /d' \
    -e '/^[A-Z][a-z]{2} [A-Z][a-z]{2} /d' "$1"
}

# run_case NAME ONE_STEP PORTS FAULT EDIT OUTPUT_TEXT...: start-up and run of one setup (see
# board; PHASES=start for the start-up alone); the run's output box must hold every
# OUTPUT_TEXT.
run_case() {
  local name="$1" setup=("$2" "$3" "$4" "$5")
  shift 5
  for phase in ${PHASES:-start run}; do
    local dir="$out/$name-$phase"
    local run=()
    [[ $phase == run ]] && run=(--run)
    board "$dir/wine" "${setup[@]}"
    board "$dir/model" "${setup[@]}"
    (cd "$dir/wine" && wine "$gui" --config Config.ini --simulate board.ini "${run[@]}" \
      --screenshot "$out/$name-$phase.png" --dump-controls "$out/$name-$phase.txt" \
      > "$dir/stdout" 2> "$dir/stderr") || fail "$name $phase: vexaisp-gui exited $?"
    (cd "$dir/model" && "$checker" "$out/$name-$phase.txt" Config.ini board.ini check.log \
      "${run[@]}") || fail "$name $phase: the dialog differs from the model"
    [[ -s "$out/$name-$phase.png" ]] || fail "$name $phase: no picture"
    if [[ $phase == run ]]; then
      grep -q "Not allowed to exit!" "$dir/stderr" || fail "$name: the exit during the run was not refused"
      for text in "$@"; do
        grep -q -F "$text" "$out/$name-$phase.txt" || fail "$name: the output lacks \"$text\""
      done
    fi
  done
}

# --version needs no window.
[[ "$(wine "$gui" --version 2> /dev/null)" == "vexaisp-gui 5.1"* ]] || fail "--version"

run_case files-all 0 1 "" "" "ISP completed!"
run_case files-host-ü 0 0 "" "" "ISP completed!"
run_case devices 1 1 "" "" "ISP completed!"
run_case version 1 0 "" "" "ISP completed!"
run_case failed 0 1 "TransportFailAfter = 200" "" "ISP failed!" "Gfx Error"
# A firmware file that does not exist: its path red and "Start" off once the detection is in.
PHASES=start run_case missing-file 0 0 "" "s/host-neu-ä\.bin/missing.bin/"

# cli_update DIR ONE_STEP PORTS: the command-line tool's update of a fresh board of that setup
# on the simulator, whose flash files and log the dialog's runs must match.
cli_update() {
  board "$1" "$2" "$3" ""
  (cd "$1" && "$build/frontends/cli/vexaisp" --config Config.ini --simulate board.ini update --yes \
    > /dev/null) || fail "the command-line run in $1 failed"
}

# The dialog's log file of the full run equals the command-line tool's for the same run.
cli_update "$out/files-all-cli" 0 1
diff <(without_times "$out/files-all-run/wine/VexaISP.log") \
  <(without_times "$out/files-all-cli/VexaISP.log") || fail "the dialog's log differs from the command-line tool's"

# A run through a driver instead of the simulator: the AMD stand-in in the prefix's system
# folder, as a user's driver, answers from the board. The dialog must end in success with the
# command-line run's flash contents and run log; the header and the adapter report name the
# driver, so the logs compare from the run's start. The host alone, with 32 KiB of data in
# each image, since every transfer through Wine and the driver takes real time.
driver="$out/files-host-amd-standin"
DATA_BYTES=0x8000 cli_update "$out/files-host-cli" 0 0
DATA_BYTES=0x8000 board "$driver" 0 0 ""
system32="$WINEPREFIX/drive_c/windows/system32"
cp "$windows/tests/wine/standins/atiadlxx.dll" "$system32/"
(cd "$driver" && VEXA_STANDIN_BOARD="Z:${driver//\//\\}\\board.ini" wine "$gui" --config Config.ini \
  --run --dump-controls "$driver.txt" > stdout 2> stderr) \
  || fail "through the AMD stand-in: vexaisp-gui exited $?"
rm "$system32/atiadlxx.dll"
grep -q -F "ISP completed!" "$driver.txt" || fail "through the AMD stand-in: no success"
for flash in host port1 port2; do
  cmp -s "$driver/$flash.flash" "$out/files-host-cli/$flash.flash" \
    || fail "through the AMD stand-in: $flash flash differs from the command-line run's"
done
diff <(run_log "$driver/VexaISP.log") <(run_log "$out/files-host-cli/VexaISP.log") \
  || fail "through the AMD stand-in: the dialog's log differs from the command-line tool's"

wineserver -k || true
if ((failures > 0)); then
  echo "$failures failures; dumps and pictures in $out"
  exit 1
fi
echo "Windows dialog under Wine: all cases match the model; dumps and pictures in $out"
