#!/bin/sh
# Usage: compare-builds.sh REFERENCE CANDIDATE [EMULATOR...]
# Runs two builds of parcelo, the candidate under EMULATOR if given (qemu-arm -cpu arm1176),
# on the cases of tests/data/comparison-cases.tsv: the sample, the worked examples, a list cut
# off, an unsafe office code, a missing input, --version, --help and the agency's real list
# when it is beside the project. Every exit status, console byte and written file must be the
# same.
set -eu
reference=$(realpath "$1")
candidate=$(realpath "$2")
shift 2
EMULATOR="$*"
project=$(pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tab=$(printf '\t')
passed=0 failed=0
while IFS="$tab" read -r name kind value; do
  case $name in '' | '#'*) continue ;; esac
  list="$work/list.json"
  case $kind in
    list | cut)
      path=${value%% *}
      if [ ! -f "$project/$path" ]; then
        echo "skip - $name: $path is absent"
        continue
      fi
      if [ "$kind" = cut ]; then
        head -c "${value#* }" "$project/$path" >"$list"
      else
        cp "$project/$path" "$list"
      fi
      set -- "$list" out ;;
    text) printf '%s' "$value" >"$list" && set -- "$list" out ;;
    args) eval "set -- $value" ;;
  esac
  for side in reference candidate; do
    folder="$work/$side"
    rm -rf "$folder" && mkdir -p "$folder/out"
    if [ "$side" = reference ]; then
      cp "$reference" "$folder/parcelo"
      (cd "$folder" && ./parcelo "$@" >stdout 2>stderr </dev/null; echo $? >status) || true
    else
      cp "$candidate" "$folder/parcelo"
      # shellcheck disable=SC2086
      (cd "$folder" && $EMULATOR ./parcelo "$@" >stdout 2>stderr </dev/null; echo $? >status) || true
    fi
    rm "$folder/parcelo"
  done
  if diff -r "$work/reference" "$work/candidate" >"$work/diff"; then
    echo "ok - $name"
    passed=$((passed + 1))
  else
    echo "FAIL - $name"
    head -20 "$work/diff"
    failed=$((failed + 1))
  fi
done <"$project/tests/data/comparison-cases.tsv"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
