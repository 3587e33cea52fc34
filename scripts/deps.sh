#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only when one is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config gettext python3
  libsdl2-dev libpng-dev zlib1g-dev libogg-dev libvorbis-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool x11-utils xfonts-base libgl1-mesa-dri libgl1-mesa-dev openbox
  sway xwayland libwayland-dev
  imagemagick sox vorbis-tools
  clang
  dpkg-dev file desktop-file-utils appstream lintian
)

# Installs those of the packages named that are missing.
install_missing() {
  local missing=()
  for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$p")
    fi
  done
  [ ${#missing[@]} -gt 0 ] || return 0
  echo "Installing missing packages: ${missing[*]}"
  local sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}

install_missing "${packages[@]}"
# The fuzz build links the sanitizer and libFuzzer runtimes of the clang installed above, which
# come in a package named after its major version.
install_missing "libclang-rt-$(clang -dumpversion | cut -d. -f1)-dev"
