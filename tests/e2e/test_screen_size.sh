# When the screen's resolution changes while the saver runs, its window
# covers the new screen and the footer moves to the new bottom edge.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/xephyr.sh"

# The dark pixels (footer text; designs stay well above) in rows $1 to $2.
ink() {
  screenshot
  convert "$E2E_TMP/screen.png" -crop "1024x$(($2 - $1 + 1))+0+$1" +repage -threshold 50% \
    -negate -format '%[fx:int(mean*w*h+0.5)]' info:
}
# Waits up to 5 s for footer text in rows $1 to $2.
footer_in() { for _ in $(seq 50); do (($(ink "$1" "$2") > 50)) && return 0; sleep 0.1; done; return 1; }

start_xephyr -screen 1024x768 -resizeable
write_settings "DrawDelay=1000"
start_saver /s /w
design=$(wait_for_window 10000) || fail "no saver window"
footer_in 748 767 || fail "no footer along the bottom at 1024x768"
xrandr -s 1280x960 >/dev/null 2>&1 || fail "xrandr could not change the screen size"
expect_pixels 5000 "#FFFFFF" 1279,0 1279,700 1100,900 10,900
[ "$(geometry "$design")" = "1280x960+0+0" ] || fail "the window is $(geometry "$design")"
footer_in 940 959 && (($(ink 748 767) == 0)) || fail "the footer did not move to the bottom"

xdotool key x
wait_exit "$SAVER_PID" 2000
[ "$EXIT_STATUS" -eq 0 ] || fail "the saver ended with status $EXIT_STATUS after the resize"
echo "PASS"
