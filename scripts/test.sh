#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${TILLBOX_BUILD_DIR:-$root/build}"
"$root/scripts/install-deps.sh" --browser-tests
"$root/scripts/build.sh"
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
# The exported shop in a real browser, against PHP and an SMTP sink.
"$root/scripts/e2e.sh"
