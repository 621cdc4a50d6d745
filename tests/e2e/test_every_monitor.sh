# On two monitors side by side the designs stay on the primary one and the
# other is covered in the background colour, a window there included; a
# monitor that goes and comes back is followed, and a key with the pointer
# on the other monitor ends the saver.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/xephyr.sh"

start_xephyr -screen 1280x800 -screen 1280x800 +xinerama
# Xephyr tells of its second head through Xinerama alone; desktops (and Qt)
# read monitors from RandR, which a real two-monitor server fills itself.
monitor() { xrandr --setmonitor "$1" "1280/339x800/212+$2+0" "$3" >/dev/null 2>&1; }
monitor primary 0 default
monitor beside 1280 none
xmessage -geometry 300x100+1500+300 "on the second monitor" 2>/dev/null &
E2E_PIDS+=($!)
wait_for_named_window "^xmessage$" 10000 >/dev/null || fail "xmessage never showed"

write_settings "DrawDelay=1000"
xdotool mousemove 1900 600
start_saver /s /c255
design=$(wait_for_window 10000) || fail "no saver window"
[ "$(geometry "$design")" = "1280x800+0+0" ] || fail "the designs are at $(geometry "$design")"
SECOND=(1290,10 2550,10 1290,790 2550,790 1600,340 1900,600)
expect_pixels 5000 "#FF0000" "${SECOND[@]}"
xrandr --delmonitor beside >/dev/null 2>&1
wait_window_gone "^KaloSaver: beside$" 5000 || fail "a monitor that went keeps its cover"
monitor beside 1280 none
expect_pixels 5000 "#FF0000" "${SECOND[@]}"

ends_saver key x
echo "PASS"
