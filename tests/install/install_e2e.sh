# Installing into a fresh prefix puts the program, its menu entry, its icon
# and the stand-in solver with its decks where a desktop finds them.
set -euo pipefail
prefix=$(mktemp -d /tmp/wendle-install-XXXXXX)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$WENDLE_BUILD_DIR" --prefix "$prefix" >/dev/null

[ -x "$prefix/bin/wendle" ] || fail "no executable bin/wendle"
[ -x "$prefix/bin/wendle-srun" ] || fail "no executable bin/wendle-srun beside it"
desktop="$prefix/share/applications/wendle.desktop"
[ -f "$desktop" ] || fail "no menu entry"
desktop-file-validate "$desktop" || fail "menu entry rejected by desktop-file-validate"
grep -qx 'Exec=wendle %F' "$desktop" || fail "menu entry does not start wendle with the files"
[ -f "$prefix/share/mime/packages/wendle-keyword.xml" ] || fail "no MIME type for decks"
grep -qx 'Icon=wendle' "$desktop" || fail "menu entry names another icon"

svg="$prefix/share/icons/hicolor/scalable/apps/wendle.svg"
png="$prefix/share/icons/hicolor/48x48/apps/wendle.png"
grep -q '<svg' "$svg" || fail "scalable icon missing"
# PNG signature, then a 48 x 48 IHDR.
[ "$(head -c 8 "$png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "icon is no PNG"
[ "$(dd if="$png" bs=1 skip=16 count=8 2>/dev/null | od -An -tx1 | tr -d ' \n')" = 0000003000000030 ] ||
    fail "icon is not 48 x 48"

examples="$prefix/share/wendle/examples"
[ -x "$examples/lsdyna-standin" ] || fail "stand-in solver missing or not executable"
# Each sample in a folder of its own: a solver writes its files beside the deck.
for deck in plate/plate.k beam_error/beam_error.k crash/crash.dyn; do
    [ -f "$examples/decks/$deck" ] || fail "sample deck $deck missing"
done

# The installed stand-in really runs a deck.
work="$prefix/work"
mkdir "$work"
cp "$examples/decks/plate/plate.k" "$work/"
(cd "$work" && STANDIN_RUN=0 "$examples/lsdyna-standin" "i=$work/plate.k" memory=1 >/dev/null)
grep -q 'N o r m a l    t e r m i n a t i o n' "$work/messag" || fail "stand-in did not end normally"
[ -f "$prefix/share/man/man1/wendle.1" ] || fail "manual page missing"
grep -q '^\.TH WENDLE 1' "$prefix/share/man/man1/wendle.1" || fail "manual page has no title"
echo PASS
