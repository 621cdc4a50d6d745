# A private X server and private settings and runtime folders for one run of
# the real program, shared by the end-to-end tests and the saver measurements.
# Source it; the caller cleans up XVFB_PID and the folder it passes.

# Starts Xvfb with a screen of size $1 (WIDTHxHEIGHT) and $3 bits of colour
# (24 when left out), its output in $2, on a free display number of its own:
# a random high number, so that other X servers and runs on the machine are
# never shared, tried again with another number when that one turns out to be
# taken. Sets XVFB_PID and DISPLAY;
# returns 1 when no server could be started.
start_xvfb() {
  local size=$1 log=$2 depth=${3:-24} attempt number deadline
  for attempt in 1 2 3 4 5 6 7 8 9 10; do
    number=$((200 + RANDOM % 5000))
    [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ] && continue
    Xvfb ":$number" -screen 0 "${size}x$depth" -nolisten tcp -noreset >"$log" 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$number"
    deadline=$(($(date +%s%3N) + 10000))
    while kill -0 "$XVFB_PID" 2>/dev/null; do
      xdotool getmouselocation >/dev/null 2>&1 && return 0
      (($(date +%s%3N) < deadline)) || break
      sleep 0.05
    done
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=""
  done
  return 1
}

# Settings and the lock file stay inside the folder $1; Qt draws on the X
# server at its plain scale.
use_private_folders() {
  export XDG_CONFIG_HOME="$1/config"
  export XDG_RUNTIME_DIR="$1/runtime"
  mkdir -p "$XDG_CONFIG_HOME/kalosaver" "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
  export QT_QPA_PLATFORM=xcb
  unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR
}
