# On a screen narrower than 600 pixels the file dialog still lays out its
# grid with at least one entry per column: the layout and grid tests run on
# a virtual screen 500 pixels wide.
set -euo pipefail
: "${WENDLE_BUILD_DIR:?run through ctest}"

dir=$(mktemp -d /tmp/wendle-narrow-XXXXXX)
xvfb=
cleanup() {
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$dir"
}
trap cleanup EXIT
mkfifo "$dir/displayfd"
Xvfb -displayfd 3 -screen 0 500x600x24 -nolisten tcp -noreset 3>"$dir/displayfd" \
    2>"$dir/xvfb.log" &
xvfb=$!
num=
read -r num <"$dir/displayfd" || true
# A server that did not come up says why in its own words.
[ -n "$num" ] || { cat "$dir/xvfb.log" >&2; echo "FAIL: the X server did not start" >&2; exit 1; }
DISPLAY=":$num" "$WENDLE_BUILD_DIR/tests/test_dialogs" \
    --gtest_filter='FileDialogGrid.*:FileDialogLayout.*:FileDialogListing.FoldersFirst*:-*1280*'
echo PASS
