#!/usr/bin/env bash
# Installs what the build needs on a Debian machine (only the packages that are missing; no
# network when none is), then configures and builds the tool. $1 is a preset of
# CMakePresets.json (default, sanitize, tsan, clang, fuzz, windows; "default" when absent) or a
# build directory; any further arguments go to CMake.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
target="${1:-default}"
shift || true

packages=(cmake ninja-build ccache g++ clang libclang-rt-14-dev libgtest-dev libgmock-dev libcli11-dev
  g++-mingw-w64-x86-64-posix qt6-base-dev dpkg-dev file wine wine64 fonts-wine xvfb)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if ((${#missing[@]} > 0)); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  if [[ $(id -u) -ne 0 ]]; then sudo_cmd=(sudo); fi
  "${sudo_cmd[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi

if [[ "$target" == */* ]] || ! (cd "$root" && cmake --list-presets | grep -q "\"$target\""); then
  cmake -S "$root" -B "$target" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
  cmake --build "$target" -j"$(nproc)"
else
  (cd "$root" && cmake --preset "$target" "$@" && cmake --build --preset "$target" -j"$(nproc)")
fi
