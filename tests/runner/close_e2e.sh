# Closing the real window — by the window manager or with Escape — writes the
# settings file and the history log to the user's folder and ends with
# status 0. The first start in a fresh home builds no font cache there.
source "$WENDLE_SOURCE_DIR/tests/support/e2e.sh"
e2e_setup

printf 'dynasolver_single=/opt/single\ndynasolver_double=\nmemory=\npausetime=4\nlastdir=/data/\n' \
    >"$HOME/wendle.ini"
expected='dynasolver_single=/opt/single
dynasolver_double=
memory=128
pausetime=4
lastdir=/data/
xterm=xterm'

e2e_start
# Task bars match the window to wendle.desktop by its class, and show its icon.
xprop -id "$E2E_WIN" WM_CLASS | grep -q ', "Wendle"$' ||
    e2e_fail "window class: $(xprop -id "$E2E_WIN" WM_CLASS)"
xprop -id "$E2E_WIN" _NET_WM_ICON | grep -q 'Icon (48 x 48)' || e2e_fail "the window has no icon"
grep -qx 'StartupWMClass=Wendle' "$WENDLE_SOURCE_DIR/data/wendle.desktop" ||
    e2e_fail "the desktop entry does not name the window's class"
e2e_wm_close "$E2E_WIN"
e2e_wait_exit
[ "$E2E_RC" = 0 ] || e2e_fail "exit status $E2E_RC after a window-manager close"
[ "$(cat "$HOME/wendle.ini")" = "$expected" ] || e2e_fail "settings: $(cat "$HOME/wendle.ini")"
[ -f "$HOME/wendle_history.log" ] || e2e_fail "no history log"
# A system font cache older than the font folders makes each user build one.
[ ! -e "$XDG_CACHE_HOME/fontconfig" ] || e2e_fail "a font cache was built in the home folder"

# Escape, typed into the window, closes it the same way.
rm "$HOME/wendle_history.log"
e2e_start
xdotool windowfocus --sync "$E2E_WIN" key Escape
e2e_wait_exit
[ "$E2E_RC" = 0 ] || e2e_fail "exit status $E2E_RC after Escape"
[ "$(cat "$HOME/wendle.ini")" = "$expected" ] || e2e_fail "settings after Escape"
[ -f "$HOME/wendle_history.log" ] || e2e_fail "no history log after Escape"

e2e_check_sanitizers
echo PASS
