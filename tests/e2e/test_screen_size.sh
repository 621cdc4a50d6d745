# When the screen's resolution changes while the saver runs, its window
# follows: it covers the whole new screen, and the footer moves to the new
# bottom edge.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/xephyr.sh"

start_xephyr -screen 1024x768 -resizeable
write_settings "DrawDelay=1000"
start_saver /s /w
design=$(wait_for_window 10000) || fail "no saver window"
wait_for_geometry "$design" 5000 "1024x768+0+0"

# The dark pixels of the footer's text in rows $1 to $2 of the last
# screenshot (the design stays well above them).
footer_ink() {
  convert "$E2E_TMP/screen.png" -crop "1024x$(($2 - $1 + 1))+0+$1" +repage -threshold 50% \
    -negate -format '%[fx:int(mean*w*h+0.5)]' info:
}
screenshot
(($(footer_ink 748 767) > 50)) || fail "no footer along the bottom at 1024x768"

xrandr -s 1280x960 >/dev/null 2>&1 || fail "xrandr could not change the screen size"
wait_for_geometry "$design" 5000 "1280x960+0+0"
expect_pixels 5000 "#FFFFFF" 1279,0 1279,700 1100,900 10,900
(($(footer_ink 940 959) > 50)) || fail "the footer did not move to the new bottom edge"
(($(footer_ink 748 767) == 0)) || fail "the footer stays where the old bottom edge was"

xdotool key x
wait_exit "$SAVER_PID" 2000
[ "$EXIT_STATUS" -eq 0 ] || fail "the saver ended with status $EXIT_STATUS after the resize"
echo "PASS"
