#!/bin/sh
# Makes the installed form of a manual page: SOURCE (UTF-8) becomes OUT, with every other
# character written as a groff escape where preconv is at hand, so that groff reads it alike
# whatever it takes the input encoding to be; and OUT.gz, compressed as Debian asks (gzip -9n,
# without a name or a time).
set -eu
source=$1
out=$2
if command -v preconv >/dev/null 2>&1; then
  preconv -e utf-8 "$source" | sed '/^\.lf /d' >"$out"
else
  cp "$source" "$out"
fi
gzip -9n -c "$out" >"$out.gz"
