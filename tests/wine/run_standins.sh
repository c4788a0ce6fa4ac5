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

# shellcheck source=tests/wine/wine_test_common.sh
source "$here/wine_test_common.sh"
unset DISPLAY
wine_prefix "$work/prefix"
system32="$WINEPREFIX/drive_c/windows/system32"

# A fresh demo board in folder $1, on the old firmware: a copy of one made once, since its
# images are the same every time and each takes a Wine start to write. Each image holds 32 KiB
# of data, the rest blank, since every update through a stand-in runs in real time: every kind
# of transaction is made as for a full image, in seconds instead of a minute.
make_board() {
  local template="$work/demo-board"
  if [ ! -d "$template" ]; then
    local mkimage="$work/mkimage"
    printf '#!/bin/sh\nexec wine %q "$@"\n' "$build/tools/vexa-mkimage.exe" >"$mkimage"
    chmod +x "$mkimage"
    "$root/sim/demo/make_demo_board.sh" "$template" "$mkimage" 0x8000 >/dev/null
  fi
  cp -r "$template" "$1"
}

# vexaisp.exe in folder $1 with the rest of the arguments; its output goes to $1/last.txt and
# is added to $1/out.txt, its exit code is added to $1/code.txt.
run_tool() {
  local dir="$1"
  shift
  local code=0
  (cd "$dir" && wine "$exe" --config Config.ini "$@" >last.txt 2>&1) || code=$?
  cat "$dir/last.txt" >>"$dir/out.txt"
  echo "$code" >>"$dir/code.txt"
  # Each command starts the log afresh; the update's is kept for the comparison.
  case " $* " in *" update "*) cp "$dir/VexaISP.log" "$dir/update.log" ;; esac
}

# The Intel stand-in's class (the id cui_standin.cpp answers to), registered for the driver's
# ProgID as the driver's installer does, and its keys' removal. The 64-bit regedit writes the
# registry view the 64-bit tool reads.
cui_class='{5E1B7D2A-9C43-4F6E-8A71-3D0C52E9B6F4}'
cat >"$work/cui-register.reg" <<EOF
Windows Registry Editor Version 5.00

[HKEY_CLASSES_ROOT\Igfxext.CUIExternal\CLSID]
@="$cui_class"

[HKEY_CLASSES_ROOT\CLSID\\$cui_class\InprocServer32]
@="C:\\\\windows\\\\system32\\\\cui_standin.dll"
"ThreadingModel"="Both"

[HKEY_CLASSES_ROOT\CLSID\\$cui_class\ProgID]
@="Igfxext.CUIExternal"
EOF
cat >"$work/cui-unregister.reg" <<EOF
Windows Registry Editor Version 5.00

[-HKEY_CLASSES_ROOT\Igfxext.CUIExternal]
[-HKEY_CLASSES_ROOT\CLSID\\$cui_class]
EOF
registry() { wine regedit /s "Z:${work//\//\\}\\cui-$1.reg"; }

# Only the named stand-in DLLs in the system folder, the Intel one with its class registered.
install_dlls() {
  rm -f "$system32/atiadlxx.dll" "$system32/nvapi64.dll" "$system32/cui_standin.dll"
  local dll action=unregister
  for dll in "$@"; do
    cp "$build/tests/wine/standins/$dll" "$system32/$dll"
    [ "$dll" != cui_standin.dll ] || action=register
  done
  registry "$action"
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

# Per vendor: detect, versions, update, versions through the stand-in in folder $1 with the
# DLL $2; detect must choose the adapter and port $3, and the runs give the same output codes,
# flash contents and log as the simulator run.
vendor_run() {
  local name="$1" dll="$2" adapter="$3"
  local dir="$work/$name"
  make_board "$dir"
  install_dlls "$dll"
  export VEXA_STANDIN_BOARD="Z:${dir//\//\\}\\board.ini"
  local command
  for command in detect versions "update --yes" versions; do
    # shellcheck disable=SC2086
    run_tool "$dir" $command
  done
  unset VEXA_STANDIN_BOARD
  grep -qF "Graphics Adapter: $adapter" "$dir/out.txt" || fail "$name: detect did not choose $adapter"
  [ "$(cat "$dir/code.txt")" = "$(cat "$work/sim/code.txt")" ] ||
    fail "$name: exit codes $(paste -sd" " "$dir/code.txt"), simulator $(paste -sd" " "$work/sim/code.txt")"
  local flash
  for flash in host port1 port2; do
    cmp -s "$dir/$flash.flash" "$work/sim/$flash.flash" || fail "$name: $flash flash differs from the simulator run's"
  done
  [ -s "$work/sim/update.log" ] && grep -q "^Start VEXA ISP" <(run_log "$work/sim/update.log") ||
    fail "simulator run: no run in the update log"
  diff <(run_log "$dir/update.log") <(run_log "$work/sim/update.log") >"$dir/log.diff" ||
    { fail "$name: log differs from the simulator run's"; head -40 "$dir/log.diff"; }
}

# The Intel driver's other record layout, on a copy of the board the Intel run updated: behind
# the LS-PCON device, found once the display's own channel does not answer, the chips show the
# new firmware as the simulator run's last "versions" does. No update through it: that would
# repeat the requests above in the other record.
ls_pcon_run() {
  local dir="$work/intel-ls-pcon"
  cp -r "$work/intel" "$dir"
  rm "$dir/out.txt" "$dir/code.txt"
  install_dlls cui_standin.dll
  export VEXA_STANDIN_BOARD="Z:${dir//\//\\}\\board.ini" VEXA_STANDIN_CUI_LSPCON=1
  run_tool "$dir" detect
  run_tool "$dir" versions
  unset VEXA_STANDIN_BOARD VEXA_STANDIN_CUI_LSPCON
  [ "$(tr '\n' ' ' <"$dir/code.txt")" = "0 0 " ] || fail "ls-pcon: exit codes $(tr '\n' ' ' <"$dir/code.txt")"
  grep -qF "Graphics Adapter: Intel: 0x0C [LS-PCON]" "$dir/out.txt" || fail "ls-pcon: not chosen"
  diff "$dir/last.txt" "$work/sim/last.txt" || fail "ls-pcon: versions differ from the simulator run's"
}

# Every stand-in installed, each answering from the same board: detect in folder $1 with the
# Config.ini line $2 (empty for none) must choose the adapter $3.
choose() {
  local name="$1" key="$2" adapter="$3"
  local dir="$work/choice-$name"
  make_board "$dir"
  [ -z "$key" ] || echo "$key" >>"$dir/Config.ini"
  export VEXA_STANDIN_BOARD="Z:${dir//\//\\}\\board.ini"
  run_tool "$dir" detect
  unset VEXA_STANDIN_BOARD
  [ "$(cat "$dir/code.txt")" = 0 ] || fail "$name: detect failed"
  grep -qF "Graphics Adapter: $adapter" "$dir/out.txt" || { fail "$name: $adapter not chosen"; cat "$dir/out.txt"; }
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
vendor_run amd atiadlxx.dll "AMD: 0x00 [DP]"
vendor_run nvidia nvapi64.dll "NVidia: 0x80061082 [DP_External]"
vendor_run intel cui_standin.dll "Intel: 0x1100 [DP]"
ls_pcon_run

install_dlls atiadlxx.dll nvapi64.dll cui_standin.dll
choose auto "" NVidia
choose amd "AmdDeviceId = 1" AMD
choose intel "IntelDeviceId = 0x1100" "Intel: 0x1100"

install_dlls
# No driver at all, and no COM class registered for the Intel driver object.
expect_failure nothing-installed 3 "Library not found!;Loading DLL... failed!;Gfx init failed!" detect
# The Intel driver's DLL without its class: COM finds the object through the registry alone.
cp "$build/tests/wine/standins/cui_standin.dll" "$system32/cui_standin.dll"
expect_failure intel-class-unregistered 3 "Gfx init failed!" detect
cp "$build/tests/wine/standins/without-aux/atiadlxx.dll" "$system32/atiadlxx.dll"
expect_failure amd-entry-point-missing 3 "Getting Native AUX ch... failed!" detect
# A driver call failing halfway through an update: $1 names the vendor, $2 its DLL, $3 the
# texts expected.
call_fails() {
  install_dlls "$2"
  export VEXA_STANDIN_FAIL_AFTER=400
  expect_failure "$1-call-fails" 1 "$3" update --yes
}
call_fails amd atiadlxx.dll "ISP failed!;... failed! (-1)"
call_fails nvidia nvapi64.dll "ISP failed!;failed!"
call_fails intel cui_standin.dll "ISP failed!;failed! (invalid event handle)"

[ "$failures" -eq 0 ] || { echo "$failures Wine check(s) failed"; exit 1; }
echo "All Wine checks passed"
