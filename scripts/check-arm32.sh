#!/bin/sh
# Usage: check-arm32.sh REFERENCE PROGRAM...
# Each PROGRAM (a parcelo, a release .tar.gz holding one, or a .deb) must run as the 32-bit ARM
# program of every Raspberry Pi: under qemu as the Pi Zero's ARM1176 (ARMv6) and as the Pi 2's
# Cortex-A7, it must give what REFERENCE (a parcelo, or a .tar.gz holding one) gives on every case
# of compare-builds.sh.
set -eu
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# program FILE FOLDER: prints the path of the parcelo that FILE is or holds, unpacked in FOLDER.
program() {
  mkdir -p "$2"
  case $1 in
    *.tar.gz) tar -C "$2" -xzf "$1" && find "$2" -type f -name parcelo ;;
    *.deb) dpkg-deb -x "$1" "$2" && echo "$2/usr/bin/parcelo" ;;
    *) echo "$1" ;;
  esac
}

reference=$(program "$1" "$work/reference")
shift
n=0
for file in "$@"; do
  n=$((n + 1))
  candidate=$(program "$file" "$work/$n")
  for cpu in arm1176 cortex-a7; do
    echo "== ${file##*/} as the $cpu"
    sh scripts/compare-builds.sh "$reference" "$candidate" qemu-arm -cpu "$cpu"
  done
done
