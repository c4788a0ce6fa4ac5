#!/usr/bin/env bash
# Packs a configured build with CPack and checks the package holds what a user needs.
#   scripts/check_packages.sh deb BUILD_DIR   the Debian package: unpacked into a scratch root,
#                                             it holds the programs, udev rule, desktop entry,
#                                             icon and man page, and both programs run from there
#   scripts/check_packages.sh zip BUILD_DIR   the Windows ZIP: the stripped tool and dialog, a sample
#                                             Config.ini and the README
set -euo pipefail

kind="$1"
build_dir="$(cd "$2" && pwd)"
version="$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build_dir/CPackConfig.cmake")"
scratch="$build_dir/package-check"
rm -rf "$build_dir/packages" "$scratch"
mkdir -p "$scratch"

fail() {
  echo "check_packages: $*" >&2
  exit 1
}

# expect_files ROOT PATH...: every PATH exists under ROOT.
expect_files() {
  local root="$1" path
  shift
  for path in "$@"; do
    [[ -f "$root/$path" ]] || fail "missing from the package: $path"
  done
}

# expect_output TEXT COMMAND...: the command succeeds and prints exactly TEXT.
expect_output() {
  local expected="$1" actual
  shift
  actual="$("$@")" || fail "failed: $*"
  [[ "$actual" == "$expected" ]] || fail "$* printed '$actual', expected '$expected'"
}

case "$kind" in
  deb)
    (cd "$build_dir" && cpack -G DEB > /dev/null)
    deb="$(echo "$build_dir"/packages/*.deb)"
    [[ -f "$deb" ]] || fail "no .deb in $build_dir/packages"
    dpkg -x "$deb" "$scratch"
    expect_files "$scratch" usr/bin/vexaisp usr/bin/vexaisp-gui usr/bin/vexa-mkimage \
      usr/lib/udev/rules.d/60-vexaisp.rules usr/share/applications/vexaisp-gui.desktop \
      usr/share/icons/hicolor/scalable/apps/vexaisp-gui.svg usr/share/man/man1/vexaisp.1
    depends="$(dpkg-deb -f "$deb" Depends)"
    for package in libqt6widgets6 libstdc++6 libc6; do
      [[ "$depends" == *"$package"* ]] || fail "Depends lacks $package: $depends"
    done
    expect_output "vexaisp $version" "$scratch/usr/bin/vexaisp" --version
    expect_output "vexaisp-gui $version" env -u DISPLAY -u WAYLAND_DISPLAY \
      "$scratch/usr/bin/vexaisp-gui" --version
    echo "$(basename "$deb"): Depends: $depends"
    ;;
  zip)
    (cd "$build_dir" && cpack -G ZIP > /dev/null)
    zip="$(echo "$build_dir"/packages/*.zip)"
    [[ -f "$zip" ]] || fail "no .zip in $build_dir/packages"
    (cd "$scratch" && cmake -E tar xf "$zip")
    top="$scratch/$(basename "$zip" .zip)"
    expect_files "$top" vexaisp.exe vexaisp-gui.exe vexa-mkimage.exe Config.ini README.md
    for exe in "$top"/*.exe; do
      if x86_64-w64-mingw32-objdump -h "$exe" | grep -q '\.debug_'; then
        fail "$(basename "$exe") still holds debug information"
      fi
    done
    echo "$(basename "$zip"): $(cd "$top" && echo *)"
    ;;
  *)
    fail "unknown package kind '$kind' (deb or zip)"
    ;;
esac
