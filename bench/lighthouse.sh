#!/usr/bin/env bash
# Measures the exported demo shop with Lighthouse's mobile preset (its
# default: a mid-range phone on a slow 4G line) in Debian's chromium: the
# performance score, the cumulative layout shift, the accessibility score
# and any console error. Prints the figures and exits non-zero when the page
# scores below 95, shifts by 0.1 or more, or logs an error.
#
# Builds nothing: run scripts/build.sh first. Lighthouse comes from npm into a
# temporary folder (or LIGHTHOUSE names an installed lighthouse command);
# the export is served by php -S on 127.0.0.1 and everything is removed at
# the end. Extra arguments go to lighthouse (e.g. --preset=desktop).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${TILLBOX_BUILD_DIR:-$root/build}"
export CHROME_PATH="${CHROME_PATH:-/usr/bin/chromium}"
[ -x "$build/app/tillbox" ] || { echo "lighthouse: build first (scripts/build.sh)" >&2; exit 1; }
[ -x "$CHROME_PATH" ] || { echo "lighthouse: no chromium at $CHROME_PATH" >&2; exit 1; }

work="$(mktemp -d "${TMPDIR:-/tmp}/tillbox-lighthouse.XXXXXX")"
server=""
cleanup() {
  [ -z "$server" ] || kill -TERM -- "-$server" 2>/dev/null || kill -TERM "$server" 2>/dev/null || true
  [ -z "$server" ] || wait "$server" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

lighthouse="${LIGHTHOUSE:-}"
if [ -z "$lighthouse" ]; then
  (cd "$work" && npm install --silent --no-audit --no-fund --prefix "$work/npm" lighthouse@12 >/dev/null)
  lighthouse="$work/npm/node_modules/.bin/lighthouse"
fi

"$build/app/tillbox" -q --resources "$root/resources" export "$root/demo/demo-shop.tillbox" "$work/site"
setsid php -S 127.0.0.1:0 -t "$work/site" >"$work/php.log" 2>&1 &
server=$!
for _ in $(seq 100); do
  port="$(grep -so 'http://127\.0\.0\.1:[0-9]*' "$work/php.log" | head -n 1 | grep -o '[0-9]*$' || true)"
  [ -n "$port" ] && break
  sleep 0.05
done
[ -n "${port:-}" ] || { echo "lighthouse: php did not start: $(cat "$work/php.log")" >&2; exit 1; }

"$lighthouse" "http://127.0.0.1:$port/shop/index.html" --quiet --output=json --output-path="$work/report.json" \
  --only-categories=performance,accessibility,best-practices \
  --chrome-flags="--headless=new --no-sandbox --disable-gpu" "$@"

node - "$work/report.json" <<'EOF'
const report = require(process.argv[2]);
const audit = (id) => report.audits[id] || {};
const score = (id) => Math.round(report.categories[id].score * 100);
const errors = (audit('errors-in-console').details || {}).items || [];
const failing = Object.values(report.audits)
  .filter((a) => a.score !== null && a.score < 0.9 && a.scoreDisplayMode === 'binary').map((a) => a.id);
const figures = {
  preset: report.configSettings.formFactor,
  performance: score('performance'),
  accessibility: score('accessibility'),
  bestPractices: score('best-practices'),
  cumulativeLayoutShift: Number(audit('cumulative-layout-shift').numericValue.toFixed(3)),
  largestContentfulPaintMs: Math.round(audit('largest-contentful-paint').numericValue),
  totalBlockingTimeMs: Math.round(audit('total-blocking-time').numericValue),
  consoleErrors: errors.map((e) => e.description || e.source),
  failingAudits: failing,
};
console.log(JSON.stringify(figures, null, 2));
const good = figures.performance >= 95 && figures.cumulativeLayoutShift < 0.1 && errors.length === 0;
process.exit(good ? 0 : 1);
EOF
