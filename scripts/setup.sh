#!/usr/bin/env bash
# Installs the Debian packages the build needs, only those that are missing.
set -euo pipefail
pkgs=(build-essential cmake ninja-build pkg-config qt6-base-dev libgl-dev libgtest-dev libgmock-dev
      libbenchmark-dev libsqlite3-dev xvfb xauth fonts-dejavu-core fonts-dejavu-extra
      qt6-translations-l10n)
# The X smoke test drives the tool under Xvfb with real X input and captures its windows.
pkgs+=(xdotool x11-apps)
# The grid's export tests read its CSV with Python's csv module and its RTF with unrtf.
pkgs+=(python3 unrtf)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
