#!/usr/bin/env bash
# Runs the Windows build of vexaisp under Wine against the stand-in vendor drivers, installed
# in a throw-away Wine prefix as a user's driver would be, and compares each run with the same
# run on the simulated board. Exits non-zero at the first check that fails.
#
# Usage: run_standins.sh BUILD_WINDOWS_DIR
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$here/../.."
build="$(cd "${1:?usage: run_standins.sh BUILD_WINDOWS_DIR}" && pwd)"
exe="$build/frontends/cli/vexaisp.exe"

work="$(mktemp -d)"
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT

export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
system32="$WINEPREFIX/drive_c/windows/system32"
wine wineboot --init >/dev/null 2>&1
wineserver -w

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# A fresh demo board in folder $1, on the old firmware: a copy of one made once, since its
# images are the same every time and each takes a Wine start to write.
make_board() {
  local template="$work/demo-board"
  if [ ! -d "$template" ]; then
    local mkimage="$work/mkimage"
    printf '#!/bin/sh\nexec wine %q "$@"\n' "$build/tools/vexa-mkimage.exe" >"$mkimage"
    chmod +x "$mkimage"
    "$root/sim/demo/make_demo_board.sh" "$template" "$mkimage" >/dev/null
  fi
  cp -r "$template" "$1"
}

# vexaisp.exe in folder $1 with the rest of the arguments; its output goes to $1/out.txt and
# its exit code to $1/code.txt; the log keeps no time stamps so that runs compare.
run_tool() {
  local dir="$1"
  shift
  local code=0
  (cd "$dir" && wine "$exe" --config Config.ini "$@" >>out.txt 2>&1) || code=$?
  echo "$code" >>"$dir/code.txt"
  # Each command starts the log afresh; the update's is kept for the comparison.
  case " $* " in *" update "*) cp "$dir/VexaISP.log" "$dir/update.log" ;; esac
}

# The run's part of an update log (the header and adapter report name the transport), without
# time stamps and carriage returns.
run_log() { sed -n -e 's/\r$//' -e 's/^\[[0-9:.]*\] //' -e '/^Start VEXA ISP/,$p' "$1"; }

# Only the named stand-in DLLs in the system folder.
install_dlls() {
  rm -f "$system32/atiadlxx.dll" "$system32/nvapi64.dll"
  local dll
  for dll in "$@"; do cp "$build/tests/wine/standins/$dll" "$system32/$dll"; done
}

sim_run() {
  local dir="$work/sim"
  make_board "$dir"
  local command
  for command in detect versions "update --yes" versions; do
    # shellcheck disable=SC2086
    run_tool "$dir" --simulate board.ini $command
  done
}

# Per vendor: detect, versions, update, versions through the stand-in; the same output codes
# and log as the simulator run.
vendor_run() {
  local vendor="$1" dll="$2"
  local dir="$work/$vendor"
  make_board "$dir"
  install_dlls "$dll"
  export VEXA_STANDIN_BOARD="Z:${dir//\//\\}\\board.ini"
  local command
  for command in detect versions "update --yes" versions; do
    # shellcheck disable=SC2086
    run_tool "$dir" $command
  done
  unset VEXA_STANDIN_BOARD
  grep -q "$vendor" "$dir/out.txt" || fail "$vendor: detect does not name the vendor"
  [ "$(cat "$dir/code.txt")" = "$(cat "$work/sim/code.txt")" ] ||
    fail "$vendor: exit codes $(echo $(cat "$dir/code.txt")), simulator $(echo $(cat "$work/sim/code.txt"))"
  local flash
  for flash in host port1 port2; do
    cmp -s "$dir/$flash.flash" "$work/sim/$flash.flash" || fail "$vendor: $flash flash differs from the simulator run's"
  done
  [ -s "$work/sim/update.log" ] && grep -q "^Start VEXA ISP" <(run_log "$work/sim/update.log") ||
    fail "simulator run: no run in the update log"
  diff <(run_log "$dir/update.log") <(run_log "$work/sim/update.log") >"$dir/log.diff" ||
    { fail "$vendor: log differs from the simulator run's"; head -40 "$dir/log.diff"; }
}

# Both stand-ins installed, one board behind each: detect in folder $1 with the Config.ini
# line $2 (empty for none) must choose the vendor $3, whose board then answers "versions".
choose() {
  local name="$1" key="$2" vendor="$3"
  local dir="$work/choice-$name"
  make_board "$dir"
  [ -z "$key" ] || echo "$key" >>"$dir/Config.ini"
  export VEXA_STANDIN_BOARD="Z:${dir//\//\\}\\board.ini"
  run_tool "$dir" detect
  unset VEXA_STANDIN_BOARD
  [ "$(cat "$dir/code.txt")" = 0 ] || fail "$name: detect failed"
  grep -q "^Graphics Adapter: $vendor" "$dir/out.txt" || { fail "$name: $vendor not chosen"; cat "$dir/out.txt"; }
}

# A failure: $1 names it, $2 the exit code expected, $3 the texts the output or the log must
# hold, separated by ";"; the rest is the command.
expect_failure() {
  local name="$1" code="$2" text="$3"
  shift 3
  local dir="$work/failure-$name"
  make_board "$dir"
  export VEXA_STANDIN_BOARD="Z:${dir//\//\\}\\board.ini"
  run_tool "$dir" "$@"
  unset VEXA_STANDIN_BOARD VEXA_STANDIN_FAIL_AFTER
  [ "$(cat "$dir/code.txt")" = "$code" ] || fail "$name: exit code $(cat "$dir/code.txt"), expected $code"
  ! grep -qF "ISP completed!" "$dir/out.txt" "$dir/VexaISP.log" || fail "$name: reported as completed"
  local texts one
  IFS=';' read -r -a texts <<<"$text"
  for one in "${texts[@]}"; do
    grep -sqF "$one" "$dir/out.txt" "$dir/VexaISP.log" ||
      { fail "$name: no \"$one\""; cat "$dir/out.txt"; }
  done
}

sim_run
vendor_run AMD atiadlxx.dll
vendor_run NVidia nvapi64.dll

install_dlls atiadlxx.dll nvapi64.dll
choose auto "" NVidia
choose fixed "AmdDeviceId = 1" AMD

install_dlls
# No driver at all, and no COM class registered for the Intel driver object.
expect_failure nothing-installed 3 "Library not found!;Loading DLL... failed!;Gfx init failed!" detect
cp "$build/tests/wine/standins/without-aux/atiadlxx.dll" "$system32/atiadlxx.dll"
expect_failure amd-entry-point-missing 3 "Getting Native AUX ch... failed!" detect
install_dlls atiadlxx.dll
export VEXA_STANDIN_FAIL_AFTER=400
expect_failure amd-call-fails 1 "ISP failed!;... failed! (-1)" update --yes
install_dlls nvapi64.dll
export VEXA_STANDIN_FAIL_AFTER=400
expect_failure nvidia-call-fails 1 "ISP failed!;failed!" update --yes

[ "$failures" -eq 0 ] || { echo "$failures Wine check(s) failed"; exit 1; }
echo "All Wine checks passed"
