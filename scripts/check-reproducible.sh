#!/bin/sh
# Builds the release again from a fresh clone of this commit, in another folder and at another
# time, and checks that its dist/ holds the same files, byte for byte, as the one here.
# REQUIRES: `make release` has filled dist/ from the commit checked out, with nothing changed.
set -eu
[ -f dist/SHA256SUMS ] || { echo "no dist/SHA256SUMS: run make release first" >&2; exit 1; }
again=$(mktemp -d /tmp/parcelo-again-XXXXXX)
trap 'rm -rf "$again"' EXIT
git clone -q . "$again/parcelo"
git -C "$again/parcelo" checkout -q "$(git rev-parse HEAD)"
make -C "$again/parcelo" release >"$again/log" 2>&1 || { tail -40 "$again/log"; exit 1; }
if ! diff -r dist "$again/parcelo/dist"; then
  echo "dist/ differs between two builds of the same commit" >&2
  exit 1
fi
echo "dist/ is the same, byte for byte, from $(pwd) and from $again/parcelo:"
cat dist/SHA256SUMS
