# On two monitors side by side the designs stay on the primary one and the
# other is covered in the background colour, a window there included; a
# monitor that goes and comes back is followed, and a key with the pointer
# on the other monitor ends the saver. With --every-monitor the other
# monitor draws designs of its own, but the hint and the banner stay on the
# primary one, the designs follow a new primary, and a key with the pointer
# on either monitor ends the saver.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/xephyr.sh"

# A black root, so that nothing but designs counts as drawn.
start_xephyr -screen 1280x800 -screen 1280x800 +xinerama -br
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

# Long spirals, so that the designs go on while they are looked at.
write_settings_for_type KaloSpiral DrawDelay=5 MaxLayers=32 SolidMix=Solid ShowAbout=FALSE
PRIMARY=1280x800+0+0 OTHER=1280x800+1280+0
xdotool mousemove 1900 600
start_saver /s --every-monitor
design=$(wait_for_window 10000) || fail "no saver window with --every-monitor"
# The hint, up from the start, stands in the middle of the primary monitor
# alone.
deadline=$(($(now_ms) + 5000))
until screenshot && plain_button_row 520 380 760; do
  (($(now_ms) < deadline)) || fail "no hint on the primary monitor"
done
plain_button_row 1800 380 2040 && fail "a hint on the other monitor"
wait_for_drawing 20000 200
cp "$E2E_TMP/screen.png" "$E2E_TMP/before.png"
# Both go on drawing (a rest between pictures may last some 9 s).
for part in "$PRIMARY" "$OTHER"; do
  deadline=$(($(now_ms) + 15000))
  until sleep 1 && screenshot &&
    (($(differing_pixels "$E2E_TMP/before.png" "$E2E_TMP/screen.png" "$part") > 100)); do
    (($(now_ms) < deadline)) || fail "nothing new drawn on $part"
  done
done
deadline=$(($(now_ms) + 10000))
until (($(convert "$E2E_TMP/screen.png" -crop "$OTHER" +repage -fill white +opaque black \
  -format '%[fx:int(mean*w*h)]' info:) > 100)); do
  (($(now_ms) < deadline)) || fail "the other monitor draws nothing"
  screenshot
done
[ -z "${KALO_KEEP_SHOTS:-}" ] || cp "$E2E_TMP/screen.png" "$KALO_KEEP_SHOTS/two_monitors.png"
# A monitor that goes takes its designs along; one that comes gets its own.
xrandr --delmonitor beside >/dev/null 2>&1
wait_window_gone "^KaloSaver: beside$" 5000 || fail "a monitor that went keeps its designs"
monitor beside 1280 none
wait_for_named_window "^KaloSaver: beside$" 5000 >/dev/null || fail "a monitor that came has none"
# The space bar, with the pointer on the other monitor, marks the primary's
# design: the banner shows along its top alone (until the design is saved).
xdotool key space
deadline=$(($(now_ms) + 3000))
until screenshot && plain_button_row 395 10 885; do
  (($(now_ms) < deadline)) || fail "no pending-save banner on the primary monitor"
done
plain_button_row 1675 10 2165 && fail "a banner on the other monitor"
# The other monitor made primary takes the designs (a leading * marks the
# primary); the one that was primary gets designs of its own.
xrandr --delmonitor beside >/dev/null 2>&1
monitor '*beside' 1280 none
deadline=$(($(now_ms) + 5000))
until [ "$(geometry "$design")" = "$OTHER" ]; do
  (($(now_ms) < deadline)) || fail "the designs stayed at $(geometry "$design") on a new primary"
  sleep 0.1
done
wait_for_named_window "^KaloSaver: primary$" 5000 >/dev/null || fail "the old primary has no designs"
# SIGTERM ends it all the same, and takes the lock along.
ends_saver signal TERM
[ ! -e "$XDG_RUNTIME_DIR/kalosaver.lock" ] || fail "SIGTERM left the lock behind"
# A key ends it with the pointer on either monitor.
for x in 1900 600; do
  xdotool mousemove "$x" 600
  start_drawing /s --every-monitor
  ends_saver key x
done
echo "PASS"
