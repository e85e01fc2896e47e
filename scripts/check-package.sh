#!/bin/sh
# Checks the packages that make package built: the Windows .zip holds parcelo.exe, the licence,
# the README and the sample list; lintian finds nothing wrong with the .deb (an unused override
# among it); and the .deb's parcelo writes the sample's files and man shows its pages.
set -eu
build=$1
windows=$2
deb=$(ls "$build"/parcelo_*.deb)
zip=$(ls "$windows"/parcelo-*-windows-x64.zip)
for name in parcelo.exe LICENSE README.md sample-area.json; do
  unzip -l "$zip" | grep -qE " parcelo-[0-9.]+-windows-x64/$name\$" || { echo "$zip lacks $name at its top" >&2; exit 1; }
done
echo "$zip: parcelo.exe, LICENSE, README.md, sample-area.json"
report=$(lintian --fail-on error,warning --display-info "$deb") || { echo "$report" >&2; exit 1; }
[ -z "$report" ] || echo "$report"
case $report in *unused-override*) echo "$deb carries an override it does not need" >&2; exit 1 ;; esac
echo "$deb: lintian reports no error, no warning and no unused override"
# The packaged program and manual pages, unpacked into a folder of their own: the check leaves
# the system as it found it (no dpkg -i, nothing in /usr/bin).
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
root=$unpacked/root written=$unpacked/written built=$unpacked/built
mkdir "$written" "$built"
dpkg-deb -x "$deb" "$root"
"$root"/usr/bin/parcelo "$root"/usr/share/doc/parcelo/sample-area.json "$written" >/dev/null
"$build"/parcelo data/sample-area.json "$built" >/dev/null
diff -r "$written" "$built"
[ "$(ls "$written" | wc -l)" -eq 4 ] || { echo "the packaged parcelo wrote too little" >&2; exit 1; }
# man picks the page by the locale, which must exist: a Japanese one is compiled for the check.
localedef -i ja_JP -f UTF-8 "$unpacked/ja_JP.UTF-8"
for locale in C ja_JP.UTF-8; do
  LOCPATH=$unpacked LANG=$locale LC_ALL=$locale MANWIDTH=80 MANPATH="$root/usr/share/man" \
    man -P cat parcelo >"$unpacked/$locale.txt" 2>&1
done
grep -q "User Commands" "$unpacked/C.txt" || { cat "$unpacked/C.txt" >&2; exit 1; }
grep -q "ユーザーコマンド" "$unpacked/ja_JP.UTF-8.txt" || { cat "$unpacked/ja_JP.UTF-8.txt" >&2; exit 1; }
echo "$deb: unpacked, its parcelo writes the build's 4 files of the sample; man shows English and Japanese"
