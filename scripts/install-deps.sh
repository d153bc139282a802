#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the sample run need.
# Idempotent: installs only what is missing. Debian 12, as root (or sudo).
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config ccache git
  googletest libgtest-dev libgmock-dev
  firebird3.0-server firebird3.0-utils firebird-dev libboost-dev
  qt6-base-dev qt6-charts-dev libqt6opengl6-dev
  libcurl4-openssl-dev libzip-dev liblhasa-dev libssl-dev libxml2-dev
  xvfb xauth fonts-ipafont-gothic pure-ftpd
  poppler-utils fonts-ipafont-mincho fonts-ipaexfont
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]} == 0)); then
  echo "install-deps: all packages present"
  exit 0
fi

SUDO=""
if [[ $(id -u) -ne 0 ]]; then SUDO="sudo"; fi
echo "install-deps: installing ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
