# A hand trembling on the mouse (3 pixels between moves) leaves the saver
# running; a real move (40 pixels) ends it.
source "$(dirname "$0")/lib.sh"

write_settings "DrawDelay=200"
xdotool mousemove 640 400
start_saver /s
wait_for_window 10000 >/dev/null || fail "no saver window"
sleep 0.3
# Every step is at most 3 pixels on each axis from the one before; the hint
# in the middle of the screen does not shield the pointer.
for _ in 1 2 3 4 5; do
  for to in "643 403" "640 400" "640 397" "637 400" "640 400"; do
    # shellcheck disable=SC2086
    xdotool mousemove $to
    sleep 0.04
  done
done
stays_alive "$SAVER_PID" 500 || fail "a 3-pixel jiggle ended the saver"

t0=$(now_ms)
xdotool mousemove 680 400
wait_exit "$SAVER_PID" 1000
[ "$EXIT_STATUS" -eq 0 ] || fail "status $EXIT_STATUS after the mouse moved"
echo "move to exit: $(($(now_ms) - t0)) ms"
echo "PASS"
