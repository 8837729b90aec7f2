#!/usr/bin/env bash
# cpack -G DEB from the build: the package holds the program and its desktop
# files, and depends on the engine plugin and the libraries found for it.
set -euo pipefail
build="$1"
id=com.velmora.SolutionsDatabase
fail() { echo "FAIL: $*"; exit 1; }

out="$(mktemp -d /tmp/velmora-package.XXXXXX)"
trap 'rm -rf "$out"' EXIT
if ! (cd "$out" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" > "$out/cpack.log" 2>&1); then
  cat "$out/cpack.log"
  fail "cpack"
fi
debs=("$out"/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "cpack made ${#debs[@]} packages"
deb="${debs[0]}"

dpkg-deb --info "$deb"
[ "$(dpkg-deb --field "$deb" Package)" = velmora-solutions ] || fail "package name"
depends="$(dpkg-deb --field "$deb" Depends)"
# Named by hand (loaded at run time) and computed from the executable's libraries.
for package in firebird3.0-server-core libfbclient2 qt6-qpa-plugins libqt6widgets6 libc6; do
  grep -qE "(^|, )$package( |,|$)" <<< "$depends" || fail "Depends lacks $package: $depends"
done

contents="$(dpkg-deb --contents "$deb")"
echo "$contents"
for path in ./usr/bin/velmora-solutions ./usr/share/applications/$id.desktop \
            ./usr/share/icons/hicolor/scalable/apps/$id.svg ./usr/share/icons/hicolor/48x48/apps/$id.png \
            ./usr/share/icons/hicolor/256x256/apps/$id.png ./usr/share/metainfo/$id.metainfo.xml \
            ./usr/share/man/man1/velmora-solutions.1.gz; do
  grep -qE " $(sed 's/\./\\./g' <<< "$path")$" <<< "$contents" || fail "package lacks $path"
done
grep -E " \./usr/bin/velmora-solutions$" <<< "$contents" | grep -q '^-rwxr-xr-x root/root' || fail "program mode or owner"

echo "package_test: all checks passed"
