#!/bin/sh
# Usage: compare-builds.sh REFERENCE CANDIDATE [EMULATOR...]
# Runs two builds of parcelo, the candidate under EMULATOR if given (qemu-arm -cpu arm1176),
# on the same cases: the sample, the worked examples, the agency's real list when it is beside
# the project, a list cut off, an unsafe office code, a missing input, --version and --help.
# Every exit status, console byte and written file must be the same.
set -eu
reference=$(realpath "$1")
candidate=$(realpath "$2")
shift 2
EMULATOR="$*"
project=$(pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/lists"
head -c 1500 data/sample-area.json >"$work/lists/cut-off.json"
echo '{"centers": {}, "offices": {"0": {}, "../x": {}}}' >"$work/lists/unsafe-code.json"
cases="data/sample-area.json tests/data/centre-example.json tests/data/office-example.json"
cases="$cases $work/lists/cut-off.json $work/lists/unsafe-code.json missing.json --version --help"
if [ -f ../shared/data/area.json ]; then
  cases="$cases ../shared/data/area.json"
else
  echo "skip - the agency's real list: ../shared/data/area.json is absent"
fi
passed=0 failed=0
for case in $cases; do
  for side in reference candidate; do
    folder="$work/$side"
    rm -rf "$folder" && mkdir -p "$folder/out"
    case $case in
      -*) set -- "$case" ;;
      /*) set -- "$case" out ;;
      *) set -- "$project/$case" out ;;
    esac
    if [ "$side" = reference ]; then
      cp "$reference" "$folder/parcelo"
      (cd "$folder" && ./parcelo "$@" >stdout 2>stderr; echo $? >status) || true
    else
      cp "$candidate" "$folder/parcelo"
      # shellcheck disable=SC2086
      (cd "$folder" && $EMULATOR ./parcelo "$@" >stdout 2>stderr; echo $? >status) || true
    fi
    rm "$folder/parcelo"
  done
  if diff -r "$work/reference" "$work/candidate" >"$work/diff"; then
    echo "ok - ${case##*/}"
    passed=$((passed + 1))
  else
    echo "FAIL - ${case##*/}"
    head -20 "$work/diff"
    failed=$((failed + 1))
  fi
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
