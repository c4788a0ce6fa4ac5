# shellcheck shell=bash
# Sourced by the Wine test scripts: the Wine prefix, the failure count and the log comparison
# they share.

# wine_prefix DIR: a fresh Wine prefix in DIR for this shell and its children, without the
# Mono and Gecko installers' prompts.
wine_prefix() {
  export WINEPREFIX="$1" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  wineboot -i >/dev/null 2>&1
  wineserver -w
}

# fail TEXT: reports one failed check; the script ends non-zero once every check has run.
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# run_log FILE: the run's part of a log (the header and adapter report name the transport),
# without time stamps and carriage returns.
run_log() { sed -n -e 's/\r$//' -e 's/^\[[0-9:.]*\] //' -e '/^Start VEXA ISP/,$p' "$1"; }
