#!/bin/sh
# Makes the installed form of a manual page: SOURCE (UTF-8) becomes OUT, with @VERSION@ replaced
# by VERSION and every other character written as a groff escape where preconv is at hand, so
# that groff reads it alike whatever it takes the input encoding to be; and OUT.gz, compressed as
# Debian asks (gzip -9n, without a name or a time).
set -eu
source=$1
out=$2
version=$3
if command -v preconv >/dev/null 2>&1; then
  sed "s/@VERSION@/$version/" "$source" | preconv -e utf-8 | sed '/^\.lf /d' >"$out"
else
  sed "s/@VERSION@/$version/" "$source" >"$out"
fi
gzip -9n -c "$out" >"$out.gz"
