# When the screen's resolution changes while the saver runs, its window
# covers the new screen (the controls' places are checked by the widget
# tests) and a key still ends it.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/xephyr.sh"

start_xephyr -screen 1024x768 -resizeable
write_settings "DrawDelay=1000"
start_saver /s /w
design=$(wait_for_window 10000) || fail "no saver window"
expect_pixels 5000 "#FFFFFF" 1023,0 10,700
xrandr -s 1280x960 >/dev/null 2>&1 || fail "xrandr could not change the screen size"
expect_pixels 5000 "#FFFFFF" 1279,0 1279,700 1100,900 10,900
[ "$(geometry "$design")" = "1280x960+0+0" ] || fail "the window is $(geometry "$design")"
xrandr -s 800x600 >/dev/null 2>&1 || fail "xrandr could not change the screen size"
expect_pixels 5000 "#FFFFFF" 799,0 10,590
[ "$(geometry "$design")" = "800x600+0+0" ] || fail "the window is $(geometry "$design")"

ends_saver key x
echo "PASS"
