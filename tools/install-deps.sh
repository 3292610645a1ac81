#!/usr/bin/env bash
# Installs everything the project builds, tests and scans with, from Debian's
# packages. Safe to run again; needs root (or sudo).
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qtbase5-dev libpugixml-dev libgtest-dev libsndfile1-dev libsmf-dev
    # Manual pages, and the Debian package with the dependencies its
    # programs' libraries give.
    help2man dpkg-dev file
    xvfb xauth
    # The include-direction check.
    python3
    # Third-party plug-ins the scanner is tested against.
    lsp-plugins-vst dragonfly-reverb-vst zam-plugins
)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

run() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
export DEBIAN_FRONTEND=noninteractive
run apt-get update -qq
run apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
