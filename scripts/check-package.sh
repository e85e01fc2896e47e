#!/bin/sh
# Checks the packages that make package built: the Windows .zip holds parcelo.exe, the README
# and the sample list; the .deb installs (as root) and its parcelo writes the sample's files.
set -eu
build=$1
windows=$2
deb=$(ls "$build"/parcelo_*.deb)
zip=$(ls "$windows"/parcelo-*-windows-x64.zip)
for name in parcelo.exe README.md sample-area.json; do
  unzip -l "$zip" | grep -q "/$name\$" || { echo "$zip lacks $name" >&2; exit 1; }
done
echo "$zip: parcelo.exe, README.md, sample-area.json"
if [ "$(id -u)" -ne 0 ]; then
  echo "not root: $deb built, not installed"
  exit 0
fi
dpkg -i "$deb" >/dev/null
installed=$(mktemp -d)
built=$(mktemp -d)
/usr/bin/parcelo /usr/share/doc/parcelo/sample-area.json "$installed" >/dev/null
"$build"/parcelo data/sample-area.json "$built" >/dev/null
diff -r "$installed" "$built"
[ "$(ls "$installed" | wc -l)" -eq 4 ] || { echo "the installed parcelo wrote too little" >&2; exit 1; }
dpkg -L parcelo | grep -q '/man1/parcelo.1' || { echo "no manual page installed" >&2; exit 1; }
rm -rf "$installed" "$built"
echo "$deb: installed; on the sample it writes the build's 4 files; manual page installed"
