#!/usr/bin/env bash
# Installs the Debian 12 packages that building, testing and running Tillbox
# need. Only missing packages are installed; safe to run again.
set -euo pipefail

# --browser-tests adds what the browser tests need (Chromium, Node.js).
browser_tests=false
[ "${1:-}" = "--browser-tests" ] && browser_tests=true

packages=(
  cmake ninja-build g++ pkg-config dpkg-dev
  qt6-base-dev qt6-image-formats-plugins libplist-dev libgtest-dev
  qt6-webengine-dev
  python3
  libjs-mootools libphp-phpmailer php-cli python3-aiosmtpd
)

if $browser_tests; then
  packages+=(chromium)
  command -v node >/dev/null && command -v npm >/dev/null || packages+=(nodejs npm)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd="sudo"; fi
  $sudo_cmd apt-get update -qq
  # Through env: sudo drops the caller's DEBIAN_FRONTEND, and debconf then
  # hunts for a dialog program and a terminal on a fresh system.
  $sudo_cmd env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
