# Shared set-up for the end-to-end tests: a private X server, private settings
# and runtime folders, and helpers that start the saver, poll for its window,
# look at the screen and wait for the program to end. Source it with the
# saver's path as $1.
set -euo pipefail

KALOSAVER=${1:?usage: $0 path/to/kalosaver}
[ -x "$KALOSAVER" ] || { echo "not executable: $KALOSAVER" >&2; exit 1; }
# Fails naming the first of the tools given that is not installed: a check
# whose tool is missing must fail, never pass by finding nothing.
need_tools() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "FAIL: missing tool: $tool" >&2; exit 1; }
  done
}
need_tools Xvfb xdotool import convert

E2E_TMP=$(mktemp -d "${TMPDIR:-/tmp}/kalosaver-e2e.XXXXXX")
E2E_PIDS=()
XVFB_PID=""
WINDOW_TITLE="SCRNSAVE: KaloSaver"

cleanup() {
  local pid
  for pid in "${E2E_PIDS[@]}"; do kill -9 "$pid" 2>/dev/null || true; done
  if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null || true; wait "$XVFB_PID" 2>/dev/null || true; fi
  rm -rf "$E2E_TMP"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  # What a failure seen only in a CI log needs: whether the saver was still
  # there, and what the screen last showed.
  if [ -n "${SAVER_PID:-}" ]; then
    if alive "$SAVER_PID"; then echo "--- the saver is running" >&2; else
      local status=0
      wait "$SAVER_PID" 2>/dev/null || status=$?
      echo "--- the saver had ended, status $status" >&2
    fi
  fi
  if [ -s "$E2E_TMP/screen.png" ]; then
    convert "$E2E_TMP/screen.png" -format '--- last screenshot: %wx%h, %k colours\n' info: >&2 || true
  fi
  if [ -s "$E2E_TMP/saver.log" ]; then
    echo "--- saver output:" >&2
    tail -n 20 "$E2E_TMP/saver.log" >&2
  fi
  exit 1
}

# Milliseconds since the epoch.
now_ms() { date +%s%3N; }

source "$(dirname "${BASH_SOURCE[0]}")/private_session.sh"
use_private_folders "$E2E_TMP"

# Writes the profile with the given "Key=Value" lines.
write_settings() {
  {
    echo "[Screen Saver.KaloShare]"
    printf '%s\n' "$@"
  } >"$XDG_CONFIG_HOME/kalosaver/CONTROL.INI"
}

# Starts the saver with the given arguments; its pid lands in SAVER_PID.
start_saver() {
  "$KALOSAVER" "$@" >>"$E2E_TMP/saver.log" 2>&1 &
  SAVER_PID=$!
  E2E_PIDS+=("$SAVER_PID")
}

# A process that has ended but not yet been waited for counts as ended.
alive() { [ -r "/proc/$1/stat" ] && [ "$(cut -d' ' -f3 "/proc/$1/stat" 2>/dev/null)" != Z ]; }

# Waits up to $1 ms for the saver window to be mapped; prints its id.
wait_for_window() {
  local deadline=$(($(now_ms) + $1)) id
  while :; do
    id=$(xdotool search --onlyvisible --name "$WINDOW_TITLE" 2>/dev/null | head -n1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    (($(now_ms) < deadline)) || return 1
    sleep 0.05
  done
}

# Waits up to $2 ms for process $1 to end; sets EXIT_STATUS. Fails when it
# does not end in time.
wait_exit() {
  local pid=$1 deadline=$(($(now_ms) + $2))
  while alive "$pid"; do
    (($(now_ms) < deadline)) || fail "process $pid still running after $2 ms"
    sleep 0.02
  done
  EXIT_STATUS=0
  wait "$pid" || EXIT_STATUS=$?
}

# Checks that process $1 is still running $2 ms from now.
stays_alive() {
  local pid=$1 deadline=$(($(now_ms) + $2))
  while (($(now_ms) < deadline)); do
    alive "$pid" || return 1
    sleep 0.05
  done
  alive "$pid"
}

# Takes a screenshot of the whole screen.
screenshot() { import -window root "$E2E_TMP/screen.png"; }

# The colour of pixel (x, y) of the last screenshot as "#RRGGBB".
pixel() {
  convert "$E2E_TMP/screen.png" -crop "1x1+$1+$2" -depth 8 txt:- |
    grep -o '#[0-9A-Fa-f]\{6\}' | head -n1 | tr a-f A-F
}

# Polls screenshots for up to $1 ms until every listed "x,y" pixel has colour
# $2; fails naming the first pixel that never got there.
expect_pixels() {
  local timeout=$1 want=$2
  shift 2
  local deadline=$(($(now_ms) + timeout)) p got bad
  while :; do
    screenshot
    bad=""
    for p in "$@"; do
      got=$(pixel "${p%,*}" "${p#*,}")
      [ "$got" = "$want" ] || { bad="$p is $got"; break; }
    done
    [ -z "$bad" ] && return 0
    (($(now_ms) < deadline)) || fail "expected $want everywhere, but pixel $bad"
    sleep 0.1
  done
}

# Points away from the screen's centre (where designs and the hint are drawn)
# and from the footer along the bottom edge.
OUTER_POINTS=(10,10 1270,10 10,760 1270,760 150,400 1130,400)

start_xvfb 1280x800 "$E2E_TMP/xvfb.log" ||
  fail "no X server could be started: $(cat "$E2E_TMP/xvfb.log")"

# Replaces the X server with one of the same size whose screen has $1 bits of
# colour.
restart_xvfb_with_depth() {
  kill "$XVFB_PID" 2>/dev/null || true
  wait "$XVFB_PID" 2>/dev/null || true
  start_xvfb 1280x800 "$E2E_TMP/xvfb.log" "$1" ||
    fail "no $1-bit X server could be started: $(cat "$E2E_TMP/xvfb.log")"
}

# ---- Designs, dialogs and saved files -------------------------------------

DESIGN_TYPES=(KaloSpiral KaloYarn KaloStar KaloGons KaloAngle KaloBoxes)

# Writes a profile that enables the one design type $1 (the others off),
# plus the further "Key=Value" lines given. Unless given, strokes follow each
# other without a pause and are drawn with lines (Yarn is only ever drawn
# with them).
write_settings_for_type() {
  local only=$1 type default lines=()
  shift
  for type in "${DESIGN_TYPES[@]}"; do
    if [ "$type" = "$only" ]; then lines+=("$type=TRUE"); else lines+=("$type=FALSE"); fi
  done
  for default in LinesDots=Lines DrawDelay=0; do
    [[ " $* " == *" ${default%%=*}="* ]] || lines+=("$default")
  done
  write_settings "${lines[@]}" "$@"
}

# Where the window's controls stand on the 1280x800 screen, as
# "left,top,right,bottom": the hint in the middle (the name button of "/d"
# lies within it), the save banner or companion hint along the top, and the
# footer along the bottom.
HINT_BOX=512,376,768,424
TOP_BOX=0,0,1279,39
FOOTER_BOX=0,770,1279,799

# How many pixels of the last screenshot differ from colour $1 ("#RRGGBB",
# black when left out) away from the controls: what the designs have drawn.
drawn_pixels() {
  local bg=${1:-#000000} box args=()
  for box in "$TOP_BOX" "$HINT_BOX" "$FOOTER_BOX"; do
    args+=(-draw "rectangle ${box//,/ }")
  done
  convert "$E2E_TMP/screen.png" -fill "$bg" "${args[@]}" -transparent "$bg" -alpha extract \
    -precision 16 -format '%[fx:int(mean*w*h+0.5)]' info:
}

# Polls screenshots for up to $1 ms until at least $2 pixels away from the
# controls differ from the background $3: black when left out, and when
# "corner" the colour of each screenshot's top left pixel. Drawn pixels also
# mean that the start-up, during which input is ignored, is over.
wait_for_drawing() {
  local deadline=$(($(now_ms) + $1)) want=$2 bg=${3:-#000000} n
  while :; do
    screenshot
    if [ "${3:-}" = corner ]; then bg=$(pixel 1 1); fi
    n=$(drawn_pixels "$bg")
    ((n >= want)) && return 0
    (($(now_ms) < deadline)) || fail "after $1 ms only $n drawn pixels (want $want)"
    sleep 0.1
  done
}

# How many pixels differ between images $1 and $2, within the part $3
# ("WxH+X+Y") when given.
differing_pixels() {
  convert "$1" "$2" ${3:+-crop "$3" +repage} -compose difference -composite -colorspace gray -threshold 0 \
    -precision 16 -format '%[fx:int(mean*w*h+0.5)]' info:
}

# Starts the saver with the given arguments and waits for its window, whose
# id lands in SAVER_WINDOW.
start_shown() {
  start_saver "$@"
  SAVER_WINDOW=$(wait_for_window 10000) || fail "no saver window for: ${*:1:3}"
}

# Starts the saver as start_shown does and waits for its first strokes too
# (with "-n N" first, for N drawn pixels): input that comes before the first
# design is set up is ignored. The hint in the middle hides a design's first
# strokes, and a slow pace leaves few to see: a design that soon reaches out
# from the middle (stars, yarn) in solid lines ("SolidMix=Solid", which never
# takes the background's colour) shows at once.
start_drawing() {
  local want=1
  if [ "$1" = -n ]; then want=$2; shift 2; fi
  start_shown "$@"
  wait_for_drawing 20000 "$want" corner
}

# Gives the saver the input that follows, as xdotool commands ("key x",
# "click 1", "mousemove 680 400"), or sends it "signal NAME", and checks that
# the saver then ends with status 0. With "-r" first the xdotool input is
# given again every quarter second while the saver runs, for input that may
# come during the start-up and be ignored. The time it took is printed; what
# it may be is measured by bench/measure_saver.sh, not here, where a busy
# machine would fail it.
ends_saver() {
  local t0 again=0
  if [ "$1" = -r ]; then again=1; shift; fi
  t0=$(now_ms)
  if [ "$1" = signal ]; then kill -"$2" "$SAVER_PID"; else xdotool "$@"; fi
  while ((again)) && (($(now_ms) - t0 < 10000)); do
    sleep 0.25
    alive "$SAVER_PID" || break
    xdotool "$@"
  done
  wait_exit "$SAVER_PID" 10000
  [ "$EXIT_STATUS" -eq 0 ] || fail "the saver ended with status $EXIT_STATUS after: $*"
  echo "$*: ended in $(($(now_ms) - t0)) ms"
}

# True when row $2 of the last screenshot, sampled every 10 pixels from x=$1
# to x=$3, is one plain light grey: the face of a button, which no design
# paints.
plain_button_row() {
  local from=$1 y=$2 to=$3 colours
  colours=$(convert "$E2E_TMP/screen.png" -crop "$((to - from + 1))x1+$from+$y" +repage \
    -sample "$(((to - from) / 10 + 1))x1!" -depth 8 txt:- | grep -o '#[0-9A-Fa-f]\{6\}' | sort -u)
  [ "$(printf '%s\n' "$colours" | wc -l)" -eq 1 ] || return 1
  local r=$((16#${colours:1:2})) g=$((16#${colours:3:2})) b=$((16#${colours:5:2}))
  ((r == g && g == b && r >= 0xC0))
}

# Starts the saver with the given arguments in folder $1, its current folder;
# its pid lands in SAVER_PID.
start_saver_in() {
  local folder=$1 program
  shift
  program=$(realpath "$KALOSAVER")
  (cd "$folder" && exec "$program" "$@") >>"$E2E_TMP/saver.log" 2>&1 &
  SAVER_PID=$!
  E2E_PIDS+=("$SAVER_PID")
}

# Waits up to $2 ms for a shown window whose title matches the pattern $1;
# prints its id.
wait_for_named_window() {
  local deadline=$(($(now_ms) + $2)) id
  while :; do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    (($(now_ms) < deadline)) || return 1
    sleep 0.05
  done
}

# Waits up to $2 ms until no shown window's title matches the pattern $1.
wait_window_gone() {
  local deadline=$(($(now_ms) + $2))
  while xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; do
    (($(now_ms) < deadline)) || return 1
    sleep 0.05
  done
}

# Gives window $1 the keyboard (there is no window manager to do it) and
# types the keys that follow.
keys_to_window() {
  local id=$1
  shift
  xdotool windowfocus --sync "$id"
  xdotool key --delay 50 "$@"
}

# Checks file $1 for the canvas layout: the four "%%%" lines, the stamp line
# ending in "c", then $2 or more record lines each ending in "/", every line
# ended by CR LF. Fails with the reason.
check_canvas_file() {
  local file=$1 min_records=$2 n
  [ -s "$file" ] || fail "no canvas file $file"
  [ "$(tail -c 2 "$file" | od -An -c | tr -d ' ')" = '\r\n' ] || fail "$file does not end in CR LF"
  n=$(grep -c $'\r$' "$file" || true)
  [ "$n" -eq "$(wc -l <"$file")" ] || fail "$file has lines without CR LF"
  local want=(
    "%%% PLEASE DO NOT EDIT OR CHANGE THIS KaloDraw DATA FILE!"
    "%%% This file is in a VERY PARTICULAR FORMAT.  'KaloDraw'"
    "%%% WILL CRASH if it attempts to load an altered data file!"
    "%%% This file was generated from KaloDraw DESIGN PROCESSOR."
  )
  local i line
  for i in 1 2 3 4; do
    line=$(sed -n "${i}p" "$file" | tr -d '\r')
    [ "$line" = "${want[i - 1]}" ] || fail "line $i of $file is: $line"
  done
  line=$(sed -n 5p "$file" | tr -d '\r')
  [[ "$line" =~ ^[A-Za-z0-9]{16}c$ ]] || fail "stamp line of $file is: $line"
  n=$(tail -n +6 "$file" | wc -l)
  ((n >= min_records)) || fail "$file holds $n records, fewer than $min_records"
  tail -n +6 "$file" | tr -d '\r' | grep -v '\\/$' >/dev/null &&
    fail "a record line of $file does not end in \\/"
  return 0
}

# The design type number (0 to 5) of the first record of canvas file $1: the
# field after the background colour.
canvas_design_type() { sed -n 6p "$1" | cut -d'\' -f2 | tr -d ' \r'; }

# How many fields record line $2 of canvas file $1 holds (each is followed by
# a backslash).
canvas_field_count() { sed -n "$2p" "$1" | tr -cd '\\' | wc -c; }

# Answers the save of a marked design as a user would: Yes to the bitmap,
# typed in as $1; Yes to the canvas file under the name offered (the
# bitmap's, with the canvas extension); OK on the about box. A function named
# in $2 runs while the bitmap question is up, with its window id.
save_marked_design() {
  local question dialog about
  question=$(wait_for_named_window "^Save as WINDOWS Bitmap file[?]$" 60000) ||
    fail "the bitmap question never came"
  [ -z "${2:-}" ] || "$2" "$question"
  keys_to_window "$question" Return
  # The file dialog's name box has the keyboard; a full path overrides its
  # folder.
  dialog=$(wait_for_named_window "^Save As$" 10000) || fail "no file dialog for the bitmap"
  xdotool windowfocus --sync "$dialog"
  xdotool type --delay 10 "$1"
  xdotool key Return
  wait_window_gone "^Save As$" 5000 || fail "the bitmap's file dialog stays open"
  question=$(wait_for_named_window "^KaloDraw Canvas data file save query$" 10000) ||
    fail "the canvas question never came"
  keys_to_window "$question" Return
  dialog=$(wait_for_named_window "^Save As$" 10000) || fail "no file dialog for the canvas file"
  keys_to_window "$dialog" Return
  wait_window_gone "^Save As$" 5000 || fail "the canvas file dialog stays open"
  about=$(wait_for_named_window "^KaloSaver$" 10000) || fail "no about box after the save"
  keys_to_window "$about" Return
  wait_window_gone "^KaloSaver$" 5000 || fail "OK left the about box open"
}

# ---- Memory -----------------------------------------------------------------

# What process $1 has taken so far, in KiB, by the line $2 of its status:
# VmHWM the most memory it held, VmPeak the most address space it reserved.
memory_kb() { awk -v key="$2:" '$1 == key { print $2 }' "/proc/$1/status"; }

# Runs the command that follows for a second and a half, then ends it with
# SIGTERM; sets LIMIT_BYTES to the address space it reserved plus $1 MiB: a
# limit (prlimit --as) under which the same command starts as before but
# cannot take that much more.
limit_above() {
  local extra=$1 pid
  shift
  "$@" >>"$E2E_TMP/measured.log" 2>&1 &
  pid=$!
  E2E_PIDS+=("$pid")
  stays_alive "$pid" 1500 || fail "$* ended while its memory was measured"
  LIMIT_BYTES=$((($(memory_kb "$pid" VmPeak) + extra * 1024) * 1024))
  kill -TERM "$pid"
  wait "$pid" || fail "$* ended with status $? on SIGTERM"
}
