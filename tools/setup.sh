#!/usr/bin/env bash
# Installs the Debian packages Tarnwick needs that are not there yet, then configures
# and builds it in build/. Safe to run again: it installs and rebuilds only what is
# missing or changed. Extra arguments go to CMake's configure step.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)

packages=(build-essential cmake ninja-build pkg-config
          qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-translations-l10n
          qt6-qpa-plugins libgl-dev libicu-dev fonts-noto-cjk file)
if [[ "${TARNWICK_BENCH:-OFF}" == ON ]]; then
  packages+=(libinih-dev libsimpleini-dev python3)
fi
if [[ "${TARNWICK_SANITIZE:-OFF}" == ON ]]; then
  packages+=(clang libclang-rt-dev)
fi

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

build="${TARNWICK_BUILD_DIR:-$here/build}"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${TARNWICK_BUILD_TYPE:-RelWithDebInfo}" \
  -DTARNWICK_WERROR=ON -DTARNWICK_BUILD_BENCH="${TARNWICK_BENCH:-OFF}" \
  -DTARNWICK_SANITIZE="${TARNWICK_SANITIZE:-OFF}" "$@" >/dev/null
cmake --build "$build" --parallel "$(nproc)"
