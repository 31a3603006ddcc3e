#!/usr/bin/env bash
# Installs what is missing and builds; then, with a display, opens the demo
# shop in Tillbox Studio; without one, exports the demo shop and serves it on
# 127.0.0.1 with PHP's built-in server (Ctrl-C stops it).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${TILLBOX_BUILD_DIR:-$root/build}"
port="${TILLBOX_DEMO_PORT:-8080}"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x "$build/app/tillbox-studio" ]; then
  echo "Opening the demo shop in Tillbox Studio"
  exec "$build/app/tillbox-studio" "$root/demo/demo-shop.tillbox"
fi
out="$build/demo-site"
"$build/app/tillbox" export "$root/demo/demo-shop.tillbox" "$out"
echo "Exported the demo shop into $out"
if ! command -v php >/dev/null; then
  echo "PHP is not installed, so the shop is not served; open $out/shop/index.html in a browser."
  exit 0
fi
echo "Serving the demo shop at http://127.0.0.1:$port/shop/ (Ctrl-C stops it)"
exec php -S "127.0.0.1:$port" -t "$out"
