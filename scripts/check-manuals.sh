#!/bin/sh
# Renders each manual page named as an argument for a UTF-8 terminal and fails on any warning.
set -eu
for page in "$@"; do
  warnings=$(groff -man -Tutf8 -ww -z "$page" 2>&1)
  if [ -n "$warnings" ]; then
    echo "$page:" >&2
    echo "$warnings" >&2
    exit 1
  fi
  echo "$page: no warnings"
done
