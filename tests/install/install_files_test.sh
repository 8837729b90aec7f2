#!/usr/bin/env bash
# cmake --install into a temporary prefix: exactly the files a desktop needs,
# and the desktop entry and AppStream metadata pass their validators.
set -euo pipefail
build="$1"
id=com.velmora.SolutionsDatabase
fail() { echo "FAIL: $*"; exit 1; }

prefix="$(mktemp -d /tmp/velmora-install.XXXXXX)"
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" > /dev/null

expected="bin/velmora-solutions
share/applications/$id.desktop
share/icons/hicolor/256x256/apps/$id.png
share/icons/hicolor/48x48/apps/$id.png
share/icons/hicolor/scalable/apps/$id.svg
share/man/man1/velmora-solutions.1.gz
share/metainfo/$id.metainfo.xml"
actual="$(cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort)"
[ "$actual" = "$(LC_ALL=C sort <<< "$expected")" ] || fail "installed files differ:"$'\n'"$actual"
[ -x "$prefix/bin/velmora-solutions" ] || fail "the program is not executable"

desktop="$prefix/share/applications/$id.desktop"
desktop-file-validate "$desktop" || fail "desktop-file-validate"
for line in "Type=Application" "Name=Velmora Solutions Database" "Exec=velmora-solutions" "Icon=$id" \
            "Terminal=false" "Categories=Office;Database;"; do
  grep -qxF "$line" "$desktop" || fail "desktop entry lacks $line"
done
grep -q '^GenericName=.' "$desktop" || fail "desktop entry lacks a GenericName"

metainfo="$prefix/share/metainfo/$id.metainfo.xml"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
grep -qF "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" || fail "metainfo names another desktop entry"

for size in 48 256; do
  file "$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png" | grep -q "PNG image data, $size x $size" \
    || fail "the $size pixel icon is not a $size pixel PNG"
done
file "$prefix/share/icons/hicolor/scalable/apps/$id.svg" | grep -q "SVG" || fail "the scalable icon is not SVG"
zcat "$prefix/share/man/man1/velmora-solutions.1.gz" | grep -q '^\.TH VELMORA-SOLUTIONS 1 ' || fail "manual page"

echo "install_files_test: all checks passed"
