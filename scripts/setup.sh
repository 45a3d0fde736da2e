#!/usr/bin/env bash
# Installs every Debian package the build and the tests need, and nothing that
# is already there. Safe to run again; it is quick when all is present.
set -euo pipefail

packages=(
  build-essential cmake make pkg-config python3
  clang libclang-rt-14-dev
  googletest libgtest-dev libbenchmark-dev
  g++-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64
  wine64 wine fonts-wine
  xvfb xdotool x11-apps imagemagick
  locales fonts-ipafont-gothic
  libfaketime e2fsprogs
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Japanese locale, so that Wine runs with code page 932.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf8$'; then
  if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
  $SUDO sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
fi
