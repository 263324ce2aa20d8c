#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need.
# Skips apt entirely when everything is already there, so repeated runs are fast.
set -euo pipefail
packages=(cmake g++ make qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev qt6-svg-dev
          qt6-qpa-plugins qt6-translations-l10n libgl-dev fonts-dejavu-core clang-format git
          qt6-speech-dev qt6-speech-speechd-plugin speech-dispatcher speech-dispatcher-espeak-ng
          espeak-ng qt6-charts-dev qt6-declarative-dev shared-mime-info libxml2-utils
          libxxhash-dev pkg-config "$@")
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
