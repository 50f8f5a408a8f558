#!/usr/bin/env bash
# Installs the Debian packages Tarnwick needs that are not there yet (as root, or through
# sudo). Safe to run again. Extra groups by argument:
#   bench     the peer INI libraries the benchmarks compare with
#   checks    clang and its runtimes, for the sanitizer build and the fuzz targets
#   wincheck  the MinGW-w64 compiler, for the syntax check of the Windows code paths
set -euo pipefail

packages=(build-essential cmake ninja-build pkg-config
          qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-translations-l10n
          qt6-qpa-plugins libgl-dev libicu-dev libuchardet-dev fonts-noto-cjk file)
for group in "$@"; do
  case "$group" in
    bench) packages+=(libinih-dev libsimpleini-dev python3) ;;
    checks) packages+=(clang libclang-rt-dev) ;;
    wincheck) packages+=(g++-mingw-w64-x86-64-posix) ;;
    *) echo "deps.sh: unknown group $group" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo=""
  [[ $(id -u) -eq 0 ]] || sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
