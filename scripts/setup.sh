#!/usr/bin/env bash
# Installs every Debian package Sorvelan needs to build, run and test.
# Safe to run again: packages already present are skipped.
set -euo pipefail

PACKAGES=(
  g++ cmake make
  qt6-base-dev libxcb1-dev
  qt6-translations-l10n shared-mime-info
  libmecab-dev mecab-ipadic-utf8
  fonts-ipafont-gothic
  libgtest-dev
  xvfb xauth
)

bash "$(dirname "$0")/install-packages.sh" "${PACKAGES[@]}"
