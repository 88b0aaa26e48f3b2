#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when any is missing.
set -euo pipefail

packages=(
  cmake ninja-build g++-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64
  wine wine64 xvfb imagemagick x11-apps xdotool fonts-wqy-zenhei locales
  python3 python3-pytest python3-cryptography clang libclang-rt-dev googletest openssl
  osslsigncode tinyproxy python3-numpy python3-pytest-xdist
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing the Debian packages the build and tests need (several minutes on a fresh"
  echo "machine): ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  echo "apt-get update"
  apt-get update -q
  # One line per package as it is unpacked and set up; apt's own status decides success.
  apt-get install -y -q -o=Dpkg::Use-Pty=0 "${missing[@]}" |
    { grep -E '^(Unpacking|Setting up) ' || true; }
  echo "Debian packages installed."
fi
