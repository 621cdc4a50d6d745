# "/s" covers the screen in the background colour and any key ends it at once
# with status 0; "/w" makes the background white, "/c" a given colour.
source "$(dirname "$0")/lib.sh"

# A slow stroke pace keeps the first design small, so the screen away from
# the centre still shows the plain background when it is looked at.
write_settings "DrawDelay=1000"

start_saver /s
wait_for_window 10000 >/dev/null || fail "/s shows no window"
expect_pixels 5000 "#000000" "${OUTER_POINTS[@]}"
sleep 0.3  # the first design is being set up; input before it is ignored
t0=$(now_ms)
xdotool key x
wait_exit "$SAVER_PID" 1000
[ "$EXIT_STATUS" -eq 0 ] || fail "/s ended with status $EXIT_STATUS"
echo "key to exit: $(($(now_ms) - t0)) ms"

start_saver /s /w
wait_for_window 10000 >/dev/null || fail "/s /w shows no window"
expect_pixels 5000 "#FFFFFF" "${OUTER_POINTS[@]}"
sleep 0.3
xdotool key Escape
wait_exit "$SAVER_PID" 1000
[ "$EXIT_STATUS" -eq 0 ] || fail "/s /w ended with status $EXIT_STATUS"

# 255 is pure red; "/c" wins over "/w". The click lands beside the hint in
# the middle of the screen, on the window itself.
xdotool mousemove 100 100
start_saver /w /s /c255
wait_for_window 10000 >/dev/null || fail "/s /c255 shows no window"
expect_pixels 5000 "#FF0000" "${OUTER_POINTS[@]}"
sleep 0.3
xdotool click 1
wait_exit "$SAVER_PID" 1000
[ "$EXIT_STATUS" -eq 0 ] || fail "a click ended the saver with status $EXIT_STATUS"
echo "PASS"
