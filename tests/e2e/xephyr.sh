# A nested X server inside the private Xvfb, for what Xvfb cannot show: two
# monitors side by side, and a screen whose size changes while the saver
# runs. Source it after lib.sh.

command -v Xephyr >/dev/null || fail "missing tool: Xephyr"
command -v xrandr >/dev/null || fail "missing tool: xrandr"

XEPHYR_PID=""
stop_xephyr() {
  [ -z "$XEPHYR_PID" ] || { kill "$XEPHYR_PID" 2>/dev/null; wait "$XEPHYR_PID" 2>/dev/null; } || true
}
trap 'stop_xephyr; cleanup' EXIT

# Starts Xephyr with the given options on a free display number and points
# DISPLAY at it; the saver's windows and xdotool then live there.
start_xephyr() {
  local attempt number deadline pid
  for attempt in 1 2 3 4 5; do
    number=$((200 + RANDOM % 5000))
    [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ] && continue
    Xephyr ":$number" "$@" -nolisten tcp -noreset >>"$E2E_TMP/xephyr.log" 2>&1 &
    pid=$!
    XEPHYR_PID=$pid
    deadline=$(($(now_ms) + 10000))
    while kill -0 "$pid" 2>/dev/null; do
      if DISPLAY=":$number" xdotool getmouselocation >/dev/null 2>&1; then
        export DISPLAY=":$number"
        return 0
      fi
      (($(now_ms) < deadline)) || break
      sleep 0.05
    done
    kill "$pid" 2>/dev/null || true
  done
  fail "no nested X server could be started: $(tail -n 5 "$E2E_TMP/xephyr.log")"
}

# The geometry of window $1 as "WIDTHxHEIGHT+X+Y".
window_geometry() {
  local WINDOW X Y WIDTH HEIGHT SCREEN
  eval "$(xdotool getwindowgeometry --shell "$1")"
  echo "${WIDTH}x${HEIGHT}+$X+$Y"
}

# Waits up to $2 ms for window $1 to have the geometry $3.
wait_for_geometry() {
  local deadline=$(($(now_ms) + $2)) got
  while got=$(window_geometry "$1"); [ "$got" != "$3" ]; do
    (($(now_ms) < deadline)) || fail "window $1 is $got, not $3"
    sleep 0.05
  done
}
