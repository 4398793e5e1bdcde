#!/usr/bin/env bash
# Builds the Debian package from a build tree, checks it with Debian's own checker (lintian:
# no error, no warning), unpacks it into a temporary root and checks what a user would
# meet: the programs run, the demo plays, the desktop files and the MIME types are valid,
# the manual pages format.
#   package_test.sh BUILD_DIR
set -euo pipefail
build=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "package_test: $*" >&2; exit 1; }

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/pkg" > "$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack failed"; }
deb=$(ls "$work"/pkg/*.deb)
dpkg-deb --field "$deb" Depends | grep -q fluidsynth || fail "Depends does not name FluidSynth"
# The long description is prose, not a list joined by separators.
[[ $(dpkg-deb --field "$deb" Description | sed -n 2p) == " VORNAL plays adventure games"* ]] ||
    fail "description: $(dpkg-deb --field "$deb" Description)"
lintian --fail-on error,warning --no-tag-display-limit "$deb" > "$work/lintian.log" 2>&1 ||
    { cat "$work/lintian.log"; fail "lintian reports errors or warnings"; }
if grep -E '^[EW]: ' "$work/lintian.log"; then fail "lintian reports errors or warnings"; fi
dpkg -x "$deb" "$work/root"
root=$work/root/usr

for f in bin/vnplayer bin/vnpack share/applications/vornal-player.desktop \
         share/applications/vornal-pack.desktop share/mime/packages/vornal.xml \
         share/icons/hicolor/scalable/apps/vornal-player.svg \
         share/icons/hicolor/48x48/apps/vornal-player.png share/man/man1/vnplayer.1.gz \
         share/man/man1/vnpack.1.gz share/doc/vornal/script-language.md \
         share/doc/vornal/copyright share/doc/vornal/changelog.gz; do
    [[ -e $root/$f ]] || fail "the package lacks $f"
done

[[ $("$root/bin/vnplayer" --version) == "vnplayer (VORNAL) 0.10" ]] || fail "vnplayer --version"
"$root/bin/vnpack" --version | grep -q "VORNAL Pack" || fail "vnpack --version"
demo=$(ls "$root"/share/vornal/demo/demo.vn[ps] | head -n 1)
out=$(printf 'ヘルプ\n' | "$root/bin/vnplayer" --tty --fast --mute "$demo")
grep -q "古い館の秘密" <<< "$out" || fail "the installed demo did not play: $out"

desktop-file-validate "$root"/share/applications/*.desktop || fail "desktop files"
xmllint --noout "$root/share/mime/packages/vornal.xml" || fail "MIME XML"
# The MIME database accepts our types and recognises an archive by its magic.
mkdir -p "$work/mime/packages"
cp /usr/share/mime/packages/freedesktop.org.xml "$root/share/mime/packages/vornal.xml" \
    "$work/mime/packages/"
update-mime-database "$work/mime" > "$work/mime.log" 2>&1 || { cat "$work/mime.log"; fail "update-mime-database"; }
grep -q "application/x-vornal-scenario" "$work/mime/magic" || fail "no magic for archives"
for page in "$root"/share/man/man1/*.1.gz; do
    warnings=$(zcat "$page" | groff -k -Tutf8 -man -ww -z 2>&1)
    [[ -z $warnings ]] || fail "$page: $warnings"
done
echo "package_test: $(basename "$deb"), $(stat -c %s "$deb") bytes"
