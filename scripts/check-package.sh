#!/bin/sh
# Checks the packages that make package built: the Windows .zip holds parcelo.exe, the licence,
# the README and the sample list; lintian finds nothing wrong with the .deb; and (as root) the
# .deb installs, its parcelo writes the sample's files, and man shows the page of the language.
set -eu
build=$1
windows=$2
deb=$(ls "$build"/parcelo_*.deb)
zip=$(ls "$windows"/parcelo-*-windows-x64.zip)
for name in parcelo.exe LICENSE README.md sample-area.json; do
  unzip -l "$zip" | grep -qE " parcelo-[0-9.]+-windows-x64/$name\$" || { echo "$zip lacks $name at its top" >&2; exit 1; }
done
echo "$zip: parcelo.exe, LICENSE, README.md, sample-area.json"
lintian --fail-on error,warning --display-info "$deb"
echo "$deb: lintian reports no error and no warning"
if [ "$(id -u)" -ne 0 ]; then
  echo "not root: $deb built, not installed"
  exit 0
fi
dpkg -i "$deb" >/dev/null
installed=$(mktemp -d)
built=$(mktemp -d)
trap 'rm -rf "$installed" "$built"' EXIT
/usr/bin/parcelo /usr/share/doc/parcelo/sample-area.json "$installed" >/dev/null
"$build"/parcelo data/sample-area.json "$built" >/dev/null
diff -r "$installed" "$built"
[ "$(ls "$installed" | wc -l)" -eq 4 ] || { echo "the installed parcelo wrote too little" >&2; exit 1; }
# man picks the page by the locale, which must exist: a Japanese one is compiled for the check.
localedef -i ja_JP -f UTF-8 "$built/ja_JP.UTF-8"
for locale in C ja_JP.UTF-8; do
  LOCPATH=$built LANG=$locale LC_ALL=$locale MANWIDTH=80 man -P cat parcelo >"$built/$locale.txt" 2>&1
done
grep -q "User Commands" "$built/C.txt" || { cat "$built/C.txt" >&2; exit 1; }
grep -q "ユーザーコマンド" "$built/ja_JP.UTF-8.txt" || { cat "$built/ja_JP.UTF-8.txt" >&2; exit 1; }
echo "$deb: installed; on the sample it writes the build's 4 files; man shows English and Japanese"
