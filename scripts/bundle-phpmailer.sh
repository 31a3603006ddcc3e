#!/usr/bin/env bash
# Builds the two self-contained PHPMailer files that the shop's order mailer
# loads: OUTDIR/class.phpmailer.php (Exception, OAuthTokenProvider, PHPMailer)
# and OUTDIR/class.smtp.php (SMTP), from Debian's libphp-phpmailer.
#
# Usage: scripts/bundle-phpmailer.sh OUTDIR
#   PHPMAILER_SRC  the folder holding PHPMailer's PHPMailer.php, SMTP.php, ...
#                  (default /usr/share/php/libphp-phpmailer/src)
#
# Each upstream file goes in unchanged except for its opening "<?php" line, so
# its own "namespace PHPMailer\PHPMailer;" stays and the classes keep their
# names. A file of several simple namespace blocks is valid PHP. The output is
# the same for the same input (no dates), so rebuilding changes nothing.
set -euo pipefail

if [ $# -ne 1 ] || [ -z "$1" ]; then
  echo "usage: $0 OUTDIR" >&2
  exit 2
fi
outdir="$1"
src="${PHPMAILER_SRC:-/usr/share/php/libphp-phpmailer/src}"

for f in Exception.php OAuthTokenProvider.php PHPMailer.php SMTP.php; do
  if [ ! -f "$src/$f" ]; then
    echo "bundle-phpmailer: $src/$f not found; install PHPMailer 6 with" \
         "'apt-get install libphp-phpmailer' or set PHPMAILER_SRC" >&2
    exit 1
  fi
  if [ "$(head -n 1 "$src/$f" | tr -d '\r')" != "<?php" ]; then
    echo "bundle-phpmailer: $src/$f does not start with a plain '<?php' line" >&2
    exit 1
  fi
done

version="$(sed -n "s/^[[:space:]]*const VERSION = '\([0-9.]*\)';.*/\1/p" "$src/PHPMailer.php" | head -n 1)"
case "$version" in
  6.*) ;;
  *) echo "bundle-phpmailer: PHPMailer 6 needed, found '${version:-unknown}' in $src" >&2; exit 1 ;;
esac

mkdir -p "$outdir"
tmp=""
trap '[ -z "$tmp" ] || rm -f "$tmp"' EXIT

# bundle OUTPUT "what it holds" FILE...
bundle() {
  local out="$1" holds="$2"
  shift 2
  tmp="$(mktemp "$outdir/.bundle.XXXXXX")"
  {
    cat <<EOF
<?php
/*
 * PHPMailer $version: $holds.
 *
 * Copyright 2012 - 2020 Marcus Bointon, 2010 - 2012 Jim Jagielski,
 * 2004 - 2009 Andy Prevost, 2001 - 2003 Brent R. Matzelle, and others.
 *
 * This library is free software; you can redistribute it and/or modify it
 * under the terms of the GNU Lesser General Public License as published by
 * the Free Software Foundation; either version 2.1 of the License, or (at
 * your option) any later version. It is distributed in the hope that it will
 * be useful, but WITHOUT ANY WARRANTY; without even the implied warranty of
 * MERCHANTABILITY or FITNESS FOR A PARTICULAR PURPOSE. See the GNU Lesser
 * General Public License (LGPL-2.1.txt, shipped with Tillbox) for details.
 * Source: https://github.com/PHPMailer/PHPMailer
 *
 * Changed for Tillbox: this file joins the upstream files $*
 * of src/ (taken from Debian's libphp-phpmailer) so that the shop's server
 * needs no autoloader; only each file's opening "<?php" line was removed.
 */
EOF
    local f
    for f in "$@"; do
      printf '\n// ---- %s ----\n' "$f"
      tail -n +2 "$src/$f"
    done
  } >"$tmp"
  chmod 644 "$tmp"
  mv -f "$tmp" "$outdir/$out"
  tmp=""
}

bundle class.phpmailer.php "PHPMailer, its Exception and the OAuthTokenProvider interface" \
  Exception.php OAuthTokenProvider.php PHPMailer.php
bundle class.smtp.php "the SMTP transport class" SMTP.php

if command -v php >/dev/null 2>&1; then
  for out in class.phpmailer.php class.smtp.php; do
    if ! php -l "$outdir/$out" >/dev/null; then
      echo "bundle-phpmailer: $outdir/$out is not valid PHP" >&2
      exit 1
    fi
  done
fi
