#!/bin/sh
# Runs `make run` as on a host without dpkg: a PATH that holds every command of this one but
# dpkg-query. The setup step must name what such a host needs and leave the rest to CMake.
set -eu
bin=$(mktemp -d)
trap 'rm -rf "$bin"' EXIT
for dir in /usr/local/bin /usr/bin /usr/sbin; do
  for command in "$dir"/*; do
    name=$(basename "$command")
    [ "$name" = dpkg-query ] || [ -e "$bin/$name" ] || ln -s "$command" "$bin/$name"
  done
done
rm -rf build-any-host
PATH=$bin make run TOOL_BUILD=build-any-host >"$bin/log" 2>&1 || { cat "$bin/log"; exit 1; }
grep -q "brew install cmake make nlohmann-json" "$bin/log" || { cat "$bin/log"; exit 1; }
grep -q "out/centers.json を生成しました。" "$bin/log" || { cat "$bin/log"; exit 1; }
grep -E "brew|dnf" "$bin/log"
echo "make run without dpkg-query: named the Homebrew and dnf packages, built and ran the tool"
