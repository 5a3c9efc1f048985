# Shared by scripts/play and scripts/test: installs what a fresh Debian 12 machine lacks.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
JOBS="$(nproc 2>/dev/null || echo 2)"

BUILD_PACKAGES=(cmake make g++ pkg-config
  libsdl2-dev libsdl2-image-dev libsdl2-ttf-dev libsdl2-mixer-dev libutfcpp-dev)
TEST_PACKAGES=(googletest libgtest-dev xvfb xauth xdotool imagemagick x11-utils
  libgl1-mesa-dri libglx-mesa0 mesa-utils python3
  desktop-file-utils appstream dpkg-dev file)
PLAY_PACKAGES=(xdg-utils)
FUZZ_PACKAGES=(clang libclang-rt-14-dev)
MUTANT_PACKAGES=(googletest libgtest-dev ninja-build python3)

install_missing() {
  local missing=()
  local package
  for package in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$package")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build() { # build <folder> [cmake options...]
  local folder="$1"
  shift
  cmake -S "$ROOT" -B "$ROOT/$folder" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  cmake --build "$ROOT/$folder" -j "$JOBS"
}
