# The Debian package, made by scripts/package.sh from a Release build of its
# own, declares what the program needs on a fresh Debian, lays its files out
# under /usr, and passes Debian's own checker. It is looked at, not installed.
set -euo pipefail
work=$(mktemp -d /tmp/wendle-package-XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

top=$WENDLE_SOURCE_DIR
"$top/scripts/package.sh" "$work/build" >"$work/made" 2>"$work/build.log" ||
    { tail -n 40 "$work/build.log" >&2; fail "scripts/package.sh failed"; }
version=$(sed -n 's/^project(Wendle VERSION \([0-9.]*\).*/\1/p' "$top/CMakeLists.txt")
deb="$work/build/wendle_${version}_$(dpkg --print-architecture).deb"
[ "$(cat "$work/made")" = "$deb" ] || fail "package.sh made '$(cat "$work/made")', not $deb"

# --- What dpkg-deb --info shows. ---
dpkg-deb --info "$deb" control >"$work/control"
field() { sed -n "s/^$1: //p" "$work/control"; }
[ "$(field Package)" = wendle ] || fail "package name '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "version '$(field Version)', the project's is $version"
[ "$(field Section)" = science ] || fail "section '$(field Section)'"
field Maintainer | grep -q '^[^<]\+ <[^@>]\+@[^>]\+>$' || fail "maintainer '$(field Maintainer)'"
[ "$(sed -n '/^Description:/,$p' "$work/control" | wc -l)" -ge 3 ] ||
    fail "no description paragraph under the synopsis"
# Depends, one relation a line: the libraries found by dpkg-shlibdeps, then
# the programs Wendle starts.
field Depends | sed 's/, /\n/g; s/ ([^)]*)//g' >"$work/depends"
for want in libc6 libfltk1.3 libstdc++6 xterm fontconfig 'vim-tiny | vim'; do
    grep -qxF "$want" "$work/depends" || fail "Depends lacks '$want': $(field Depends)"
done
[ "$(field Recommends)" = "xfonts-base, libnotify-bin" ] || fail "Recommends '$(field Recommends)'"
[ "$(field Suggests)" = slurm-client ] || fail "Suggests '$(field Suggests)'"
# No maintainer script: Debian's triggers rebuild the menu and MIME caches,
# and the package's own has the font cache brought up to date.
control=$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | sed -n 's|^\./\(.\)|\1|p' | sort | paste -sd' ')
[ "$control" = "control md5sums triggers" ] || fail "control files: $control"
dpkg-deb --info "$deb" triggers | grep -qx 'activate-noawait /usr/share/fonts' ||
    fail "the package does not bring the font cache up to date"

# --- What dpkg-deb --contents holds: everything under /usr. ---
dpkg-deb --contents "$deb" | awk '{ print $1, $6 }' >"$work/contents"
exe=-rwxr-xr-x file=-rw-r--r--
has() { grep -qxF -e "$1 ./usr/$2" "$work/contents" || fail "the package has no /usr/$2 with mode $1"; }
has $exe bin/wendle
has $exe bin/wendle-srun
has $file share/applications/wendle.desktop
has $file share/mime/packages/wendle-keyword.xml
has $file share/icons/hicolor/48x48/apps/wendle.png
has $file share/icons/hicolor/scalable/apps/wendle.svg
has $file share/man/man1/wendle.1.gz
has $file share/man/man1/wendle-srun.1.gz
has $file share/doc/wendle/copyright
has $exe share/wendle/examples/lsdyna-standin
for deck in plate/plate.k beam_error/beam_error.k crash/crash.dyn; do
    has $file "share/wendle/examples/decks/$deck"
done
outside=$(awk '$2 !~ /^\.\/usr\// { print $2 }' "$work/contents")
[ -z "$outside" ] || fail "files outside /usr: $outside"

# --- The files themselves, unpacked beside the package. ---
root="$work/root"
dpkg-deb -x "$deb" "$root"
desktop="$root/usr/share/applications/wendle.desktop"
desktop-file-validate "$desktop" || fail "menu entry rejected by desktop-file-validate"
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
[ "$exec_line" = "wendle %F" ] || fail "the menu entry runs '$exec_line'"
[ -x "$root/usr/bin/${exec_line% *}" ] || fail "the menu entry's command is not in /usr/bin"
# Installed where a desktop looks (a folder of the test's own), decks open with Wendle.
data="$work/data"
mkdir -p "$data/mime/packages" "$data/applications"
cp "$root/usr/share/mime/packages/wendle-keyword.xml" "$data/mime/packages/"
cp "$desktop" "$data/applications/"
desk=(env XDG_DATA_HOME="$data" XDG_CONFIG_HOME="$work" XDG_CURRENT_DESKTOP=GNOME)
"${desk[@]}" update-mime-database "$data/mime"
"${desk[@]}" update-desktop-database "$data/applications"
printf '$ plate\n' >"$work/plate.k"
printf '*KEYWORD\n' >"$work/deck.inp"
query() { "${desk[@]}" xdg-mime query "$@"; }
found="$(query filetype "$work/plate.k") $(query filetype "$work/deck.inp")"
found+=" $(query default text/x-lsdyna-keyword)"
[ "$found" = "text/x-lsdyna-keyword text/x-lsdyna-keyword wendle.desktop" ] || fail "decks: $found"
for page in wendle wendle-srun; do
    zcat "$root/usr/share/man/man1/$page.1.gz" | grep -q "^\.TH ${page^^} 1 .*\"Wendle $version\"" ||
        fail "manual page $page.1.gz has no title for version $version"
done
# The manual page points at the examples where this package puts them.
zcat "$root/usr/share/man/man1/wendle.1.gz" | grep -qF /usr/share/wendle/examples/ ||
    fail "manual page does not name /usr/share/wendle/examples/"
grep -q '^License: ' "$root/usr/share/doc/wendle/copyright" || fail "copyright names no licence"

# --- Debian's checker: neither errors nor warnings. ---
# Its scratch files go with the work folder.
TMPDIR="$work" lintian --fail-on error,warning "$deb" >"$work/lintian" 2>&1 ||
    { cat "$work/lintian" >&2; fail "lintian"; }
echo PASS
