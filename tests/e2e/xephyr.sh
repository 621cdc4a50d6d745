# A nested X server inside the private Xvfb, for what Xvfb cannot show: two
# monitors side by side, and a screen whose size changes. Source after lib.sh.
need_tools Xephyr xrandr
XEPHYR_PID=""
trap '[ -z "$XEPHYR_PID" ] || kill "$XEPHYR_PID" 2>/dev/null; cleanup' EXIT

# Starts Xephyr with the given options on a free display and points DISPLAY
# at it, so that the saver and xdotool work there.
start_xephyr() {
  local number deadline attempt
  for attempt in 1 2 3 4 5; do
    number=$((200 + RANDOM % 5000))
    [ -e "/tmp/.X11-unix/X$number" ] && continue
    Xephyr ":$number" "$@" -nolisten tcp -noreset >>"$E2E_TMP/xephyr.log" 2>&1 &
    XEPHYR_PID=$!
    deadline=$(($(now_ms) + 10000))
    while kill -0 "$XEPHYR_PID" 2>/dev/null && (($(now_ms) < deadline)); do
      DISPLAY=":$number" xdotool getmouselocation >/dev/null 2>&1 && export DISPLAY=":$number" &&
        return 0
      sleep 0.05
    done
    kill "$XEPHYR_PID" 2>/dev/null || true
  done
  fail "no nested X server: $(tail -n 3 "$E2E_TMP/xephyr.log")"
}

# Window $1's place as WIDTHxHEIGHT+X+Y.
geometry() { xdotool getwindowgeometry "$1" | awk '/Pos/ {p = $2} /Geom/ {print $2 "+" p}' | tr , +; }
