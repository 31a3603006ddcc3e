#!/usr/bin/env bash
# Lays out the plug-in bundle's resources in DEST: everything under
# resources/ (but the drawing sources), plus the files made from Debian
# packages at build time: PHPMailer combined into class.phpmailer.php and
# class.smtp.php, and MooTools with its licence notice.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
dest="${1:?usage: stage-resources.sh DEST}"

mkdir -p "$dest"
# Copy file by file so a half-finished run never leaves a mix of old and new.
(cd "$root/resources" && find . -type f ! -path './art/*' -print0) |
  while IFS= read -r -d '' f; do
    mkdir -p "$dest/$(dirname "$f")"
    if ! cmp -s "$root/resources/$f" "$dest/$f"; then
      cp "$root/resources/$f" "$dest/$f.tmp.$$" && mv "$dest/$f.tmp.$$" "$dest/$f"
    fi
  done

"$root/scripts/bundle-phpmailer.sh" "$dest" >/dev/null

mootools=/usr/share/javascript/mootools
if [ ! -f "$mootools/mootools-core-nc.js" ] || [ ! -f "$mootools/mootools-more-nc.js" ]; then
  echo "stage-resources: MooTools is missing; install it with: apt-get install libjs-mootools" >&2
  exit 1
fi
notice='/*
 * MooTools 1.4.5, copied unchanged from Debian'"'"'s libjs-mootools package.
 * Copyright (c) 2006-2009 Valerio Proietti and the MooTools contributors.
 * Released under the MIT License: http://mootools.net/license.txt
 * (the full text is in licenses/MooTools.txt beside the plug-in).
 */'
for part in core more; do
  out="$dest/mootools.$part.js"
  { printf '%s\n' "$notice"; cat "$mootools/mootools-$part-nc.js"; } > "$out.tmp.$$"
  mv "$out.tmp.$$" "$out"
done
