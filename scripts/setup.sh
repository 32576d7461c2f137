#!/usr/bin/env bash
# Installs every Debian package Sorvelan needs to build, run and test.
# Safe to run again: packages already present are skipped.
set -euo pipefail

PACKAGES=(
  g++ cmake make
  qt6-base-dev
  qt6-translations-l10n
  libmecab-dev mecab-ipadic-utf8
  fonts-ipafont-gothic
  libgtest-dev
  xvfb xauth
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all packages present"
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
echo "setup: installed ${missing[*]}"
