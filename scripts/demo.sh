#!/usr/bin/env bash
# Installs what is missing, builds, and runs the main job on the bundled demo shop.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${TILLBOX_BUILD_DIR:-$root/build}"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
"$build/app/tillbox" inspect "$root/demo/demo-shop.tillbox"
