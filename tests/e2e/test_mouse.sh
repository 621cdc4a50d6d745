# A hand trembling on the mouse (3 pixels between moves) leaves the saver
# running; a real move (40 pixels) ends it.
source "$(dirname "$0")/lib.sh"

write_settings_for_type KaloStar DrawDelay=200 SolidMix=Solid
xdotool mousemove 640 400
start_drawing /s
# Every point is within 3 pixels on each axis of every other, so the check
# holds even where a busy X server merges moves that queued up in it; the
# hint in the middle of the screen does not shield the pointer.
for _ in 1 2 3 4 5; do
  for to in "643 403" "640 400" "640 403" "643 400" "640 400"; do
    # shellcheck disable=SC2086
    xdotool mousemove $to
    sleep 0.04
  done
done
stays_alive "$SAVER_PID" 500 || fail "a 3-pixel jiggle ended the saver"

ends_saver mousemove 680 400
echo "PASS"
