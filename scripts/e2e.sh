#!/usr/bin/env bash
# Runs the browser tests against real exports: makes the test shop in four
# number formats, exports each with the built tillbox, serves each with PHP's
# built-in server (so couponChecker.php and orderMailer.php really run),
# catches the order mail in an SMTP sink, and runs the e2e/ suite on them.
#
# Builds nothing: run scripts/build.sh first (or set TILLBOX_BUILD_DIR).
# Needs chromium, php-cli and python3-aiosmtpd (scripts/install-deps.sh);
# installs only the npm packages of e2e/ when they are missing. Everything it
# starts is stopped when it ends, however it ends. Screenshots go to
# <build>/e2e-screenshots/. Extra arguments go to node's test runner, e.g.
#   scripts/e2e.sh --test-name-pattern=coupon
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${TILLBOX_BUILD_DIR:-$root/build}"
started=$SECONDS

fail() {
  echo "e2e: $*" >&2
  exit 1
}

tillbox="$build/app/tillbox"
make_shop="$build/app/make-test-shop"
for program in "$tillbox" "$make_shop"; do
  [ -x "$program" ] || fail "$program is missing; build first (scripts/build.sh)"
done
command -v php >/dev/null || fail "php is missing (apt-get install php-cli)"
command -v node >/dev/null && command -v npm >/dev/null || fail "node and npm are missing"
/usr/bin/python3 -c 'import aiosmtpd' 2>/dev/null || fail "aiosmtpd is missing (apt-get install python3-aiosmtpd)"
[ -x "${TILLBOX_E2E_CHROMIUM:-/usr/bin/chromium}" ] || fail "chromium is missing (apt-get install chromium)"

work="$(mktemp -d "${TMPDIR:-/tmp}/tillbox-e2e.XXXXXX")"
pids=()

cleanup() {
  local pid
  for pid in "${pids[@]}"; do
    # Each server runs in a process group of its own (PHP's workers too).
    kill -TERM -- "-$pid" 2>/dev/null || kill -TERM "$pid" 2>/dev/null || true
  done
  for pid in "${pids[@]}"; do
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# Waits up to ten seconds for a condition (a command), while process $1 lives.
wait_for() {
  local pid=$1
  shift
  local deadline=$((SECONDS + 10))
  until "$@"; do
    kill -0 "$pid" 2>/dev/null || return 1
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.05
  done
}

# Starts a command in a process group of its own; its log is $work/$1.log.
# The log is made here, before the fork: the background job opens it only
# when it gets to run, and whoever polls the log must not find it missing.
start() {
  local name=$1
  shift
  : >"$work/$name.log"
  setsid "$@" >>"$work/$name.log" 2>&1 &
  pids+=($!)
}

# The same with the output on this terminal.
start_attached() {
  setsid "$@" &
  pids+=($!)
}

# The SMTP sink picks a free port and reports it once it listens.
mkdir "$work/mail"
start smtp /usr/bin/python3 "$root/e2e/lib/smtp-sink.py" --folder "$work/mail" --ready "$work/smtp.port"
wait_for "${pids[-1]}" test -s "$work/smtp.port" || fail "the SMTP sink did not start: $(cat "$work/smtp.log")"
smtp_port="$(cat "$work/smtp.port")"

php_port() {
  grep -o 'Development Server (http://127\.0\.0\.1:[0-9]*)' "$work/$1.log" | head -n 1 | grep -o '[0-9]*)$' | tr -d ')'
}

# dot-left is the shop most tests use; its cart ID is the one they expect.
variants=(dot-left dot-right comma-left comma-right)
entries=()
for variant in "${variants[@]}"; do
  cart_id="demoshop"
  [ "$variant" = dot-left ] || cart_id="shop-$variant"
  "$make_shop" --decimal "${variant%-*}" --symbol "${variant#*-}" --smtp-port "$smtp_port" --cart-id "$cart_id" \
    "$work/$variant.tillbox"
  # The source tree's resources take precedence over the staged copy, so
  # edits of templates and scripts are tested without a rebuild.
  "$tillbox" -q --resources "$root/resources" export "$work/$variant.tillbox" "$work/$variant"
  # The suite sends more orders and coupon checks from 127.0.0.1 than the
  # owner's limits allow one shopper; the limits themselves are tested by
  # tests/php.
  sed -i 's/^const TILLBOX_ORDERS = [0-9]*;/const TILLBOX_ORDERS = 10000;/' \
    "$work/$variant/rw_common/plugins/tillbox/tillbox/orderMailer.php"
  sed -i 's/^const TILLBOX_COUPON_CHECKS = [0-9]*;/const TILLBOX_COUPON_CHECKS = 10000;/' \
    "$work/$variant/rw_common/plugins/tillbox/tillbox/couponChecker.php"
  mkdir -p "$work/store-$variant"
  # Port 0: PHP takes a free port and names it in its log. The scripts' store
  # (order keys, rate limits) goes with the work folder.
  start "php-$variant" env PHP_CLI_SERVER_WORKERS=4 php -d display_errors=0 -d log_errors=1 \
    -d sys_temp_dir="$work/store-$variant" -S 127.0.0.1:0 -t "$work/$variant"
  wait_for "${pids[-1]}" php_port "php-$variant" >/dev/null ||
    fail "PHP's server for $variant did not start: $(cat "$work/php-$variant.log")"
  origin="http://127.0.0.1:$(php_port "php-$variant")"
  entries+=("$(printf '{"name":"%s","decimal":"%s","symbol":"%s","cartID":"%s","root":"%s","origin":"%s","page":"shop/index.html","filesFolder":"shop/index_files"}' \
    "$variant" "${variant%-*}" "${variant#*-}" "$cart_id" "$work/$variant" "$origin")")
done
(IFS=,; printf '{"defaultShop":"dot-left","mailDir":"%s","shops":[%s]}\n' "$work/mail" "${entries[*]}") >"$work/sites.json"

cd "$root/e2e"
if [ ! -d node_modules/playwright-core ]; then
  npm ci --no-audit --no-fund
fi
export TILLBOX_E2E_SITES="$work/sites.json" TILLBOX_E2E_SCREENSHOTS="$build/e2e-screenshots"
# Browser profiles and scratch sites land in the work folder, which goes
# with everything else however the run ends.
mkdir "$work/tmp"
export TMPDIR="$work/tmp"
# In the background, so that a signal to this script is handled at once
# (the trap stops the tests with the servers).
if [ $# -eq 0 ]; then
  start_attached npm test --silent
else
  # node takes its options before the test folder.
  start_attached node --test "$@" tests/
fi
status=0
wait "${pids[-1]}" || status=$?
# The scripts must run cleanly, not merely answer.
for variant in "${variants[@]}"; do
  if grep -E 'PHP (Fatal error|Parse error|Warning|Notice|Deprecated)' "$work/php-$variant.log"; then
    echo "e2e: PHP reported the problems above while serving $variant" >&2
    status=1
  fi
done
echo "e2e: $((SECONDS - started)) s; screenshots in $build/e2e-screenshots"
exit $status
