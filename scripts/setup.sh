#!/usr/bin/env bash
# Installs everything the program, its tests and its resource script need (Debian 12).
set -euo pipefail
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
PACKAGES=(
    cmake ninja-build g++ pkg-config ca-certificates clang-format git
    dpkg-dev desktop-file-utils appstream  # the package: dpkg-shlibdeps, the validators
    qt6-base-dev qt6-multimedia-dev qt6-translations-l10n
    libsqlite3-dev libfreexl-dev libxlsxwriter-dev libgsf-1-dev
    fonts-wqy-microhei
    xvfb xauth
    python3-xlrd  # the spreadsheet tests cross-check our .xls files with it
)
missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
