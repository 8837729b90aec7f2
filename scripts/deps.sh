#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need, when missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config clang libclang-rt-14-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-charts-dev libqt6opengl6-dev
  libgtest-dev googletest
  firebird3.0-server-core libfbclient2 firebird-dev firebird3.0-utils firebird3.0-server
  libsimpleini-dev qtkeychain-qt6-dev
  libxapian-dev libqrencode-dev libcurl4-openssl-dev libmagic-dev
  libcsv-dev libvformat-dev libzip-dev
  zbar-tools python3-aiosmtpd openssl
  xdg-utils file poppler-utils python3
  librsvg2-bin desktop-file-utils appstream dpkg-dev
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
