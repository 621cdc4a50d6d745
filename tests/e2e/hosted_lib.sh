# Stand-in host windows and what to look for in them, for the tests of the
# saver inside a screen-saver host. Source it after lib.sh.

HOST_IDS=()   # the windows given to savers, in the order asked for
HOST_TOPS=()  # their top-level windows, children of the root

# Opens one host window per geometry ("640x480+0+0"), black, and waits until
# all are shown. Commands go to them through host_do.
start_hosts() {
  local ids=$E2E_TMP/host.ids deadline
  mkfifo "$E2E_TMP/host.cmd"
  # Debian's own Python, to which the set-up gives Tk.
  /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/host_windows.py" "$ids" "$@" \
    <"$E2E_TMP/host.cmd" 2>>"$E2E_TMP/host.log" &
  E2E_PIDS+=("$!")
  exec {HOST_FD}>"$E2E_TMP/host.cmd"
  deadline=$(($(now_ms) + 10000))
  until [ -s "$ids" ]; do
    (($(now_ms) < deadline)) || fail "the host windows never showed: $(cat "$E2E_TMP/host.log")"
    sleep 0.05
  done
  local id top
  while read -r id top; do
    HOST_IDS+=("$id")
    HOST_TOPS+=("$top")
  done <"$ids"
}

# Sends one command to the host windows ("destroy 0", "resize 0 800x600",
# "vroot 0").
host_do() { echo "$*" >&"$HOST_FD"; }

# How many pixels of the last screenshot within the box x y w h are not black.
drawn_in() {
  convert "$E2E_TMP/screen.png" -crop "${3}x${4}+$1+$2" +repage -fill white +opaque black \
    -format '%[fx:int(mean*w*h+0.5)]' info:
}

# Polls screenshots for up to $1 ms until the box $2 $3 $4 $5 holds at least
# $6 pixels that are not black.
wait_drawn_in() {
  local deadline=$(($(now_ms) + $1)) n
  while :; do
    screenshot
    n=$(drawn_in "$2" "$3" "$4" "$5")
    ((n >= $6)) && return 0
    (($(now_ms) < deadline)) || fail "after $1 ms only $n pixels drawn in ${4}x${5}+$2+$3"
    sleep 0.1
  done
}

# How many pixels differ between screenshots $1 and $2 outside the boxes
# "x,y,w,h" that follow.
changed_outside() {
  local a=$1 b=$2 box x y w h args=()
  shift 2
  for box in "$@"; do
    IFS=, read -r x y w h <<<"$box"
    args+=(-draw "rectangle $x $y $((x + w - 1)) $((y + h - 1))")
  done
  convert "$a" -fill black "${args[@]}" "$E2E_TMP/a.png"
  convert "$b" -fill black "${args[@]}" "$E2E_TMP/b.png"
  compare -metric AE "$E2E_TMP/a.png" "$E2E_TMP/b.png" null: 2>&1 || true
}

# Waits up to $1 ms for all the processes that follow to end; fails naming
# the first still running. Sets GONE_MS to how long they took.
wait_all_gone() {
  local limit=$1 start deadline pid
  shift
  start=$(now_ms)
  deadline=$((start + limit))
  for pid in "$@"; do
    while alive "$pid"; do
      (($(now_ms) < deadline)) || fail "process $pid still running after $limit ms"
      sleep 0.01
    done
  done
  GONE_MS=$(($(now_ms) - start))
}
