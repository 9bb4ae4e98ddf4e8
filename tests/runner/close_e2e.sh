# The real program starts on its own X server and ends when its window is
# closed the way a window manager closes it.
source "$WENDLE_SOURCE_DIR/tests/support/e2e.sh"
e2e_setup
e2e_start
e2e_wm_close "$E2E_WIN"
e2e_wait_exit
[ "$E2E_RC" = 1 ] || e2e_fail "exit status $E2E_RC, expected 1"
e2e_check_sanitizers
echo PASS
