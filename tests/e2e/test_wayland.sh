# The saver on a Wayland desktop: a headless sway with two outputs side by
# side. The designs take the first output and a plain cover the second, an
# output plugged in later is covered too, the pointer is hidden over all of
# them, and a key ends the saver; with --every-monitor every output draws
# designs. An idle daemon starts it once the desktop has been idle for its
# time and runs its resume command after the key. The companion mode's
# question comes up over the saver, shows the pointer, and Return answers it.
# sway will not run as root, so the desktop runs as a user of its own, with
# its own folders and its own copy of the program.
source "$(dirname "$0")/lib.sh"
need_tools sway swaymsg swayidle grim wtype setpriv python3 pgrep useradd

WL_USER=kalowl
if ! id -u "$WL_USER" >/dev/null 2>&1; then
  useradd --system --no-create-home --shell /usr/sbin/nologin "$WL_USER" 2>/dev/null ||
    id -u "$WL_USER" >/dev/null 2>&1 || fail "no user $WL_USER to run the desktop as"
fi
chmod 711 "$E2E_TMP"
WL=$E2E_TMP/wl
mkdir -p "$WL/home" "$WL/runtime" "$WL/bin" "$WL/work" "$WL/shots"
PROGRAM=$WL/bin/kalosaver
cp "$KALOSAVER" "$PROGRAM"
cp "$(dirname "$0")/wl_pointer.py" "$WL/bin/"
export XDG_CONFIG_HOME=$WL/config
mkdir -p "$XDG_CONFIG_HOME/kalosaver"
cat >"$WL/sway.conf" <<EOF
xwayland disable
output HEADLESS-1 resolution 800x600 position 0 0
output HEADLESS-2 resolution 800x600 position 800 0
EOF
chown -R "$WL_USER:" "$WL"
chmod 755 "$WL" "$XDG_CONFIG_HOME" "$XDG_CONFIG_HOME/kalosaver"
chmod 700 "$WL/runtime"

# Savers that the idle daemon started are found by this run's own copy.
wayland_cleanup() {
  pgrep -f "^$PROGRAM" | xargs -r kill -9 2>/dev/null || true
  cleanup
}
trap wayland_cleanup EXIT

# Runs a command as the desktop's user, in the desktop's session, in the
# folder $RUN_IN (the user's home when unset), in place of the shell that
# calls it.
exec_as_user() {
  exec setpriv --reuid="$WL_USER" --regid="$WL_USER" --init-groups \
    env -i -C "${RUN_IN:-$WL/home}" HOME="$WL/home" \
    PATH=/usr/bin:/bin XDG_RUNTIME_DIR="$WL/runtime" XDG_CONFIG_HOME="$XDG_CONFIG_HOME" \
    ${WAYLAND_SOCKET_NAME:+WAYLAND_DISPLAY=$WAYLAND_SOCKET_NAME} ${SWAY_SOCKET:+SWAYSOCK=$SWAY_SOCKET} \
    QT_QPA_PLATFORM=wayland "$@"
}
as_user() { (exec_as_user "$@"); }
# Starts a command as the desktop's user in the background; its pid lands in
# LAST_PID.
start_as_user() {
  exec_as_user "$@" >>"$E2E_TMP/saver.log" 2>&1 &
  LAST_PID=$!
  E2E_PIDS+=("$LAST_PID")
}

# Polls for up to $1 ms until the command that follows succeeds.
wait_until() {
  local deadline=$(($(now_ms) + $1))
  shift
  until "$@"; do
    (($(now_ms) < deadline)) || return 1
    sleep 0.1
  done
}

# Outputs without a screen, drawn in software, and no input devices but the
# virtual ones below. A full-screen window that sway hands to an output as it
# is, unredrawn, would never reach the screenshots: sway draws every frame
# (asked with "-D noscanout" up to sway 1.7, which later releases ignore, and
# with the variable since).
start_as_user env WLR_BACKENDS=headless WLR_HEADLESS_OUTPUTS=2 WLR_RENDERER=pixman \
  WLR_LIBINPUT_NO_DEVICES=1 WLR_SCENE_DISABLE_DIRECT_SCANOUT=1 sway -D noscanout -c "$WL/sway.conf"
found_sockets() {
  WAYLAND_SOCKET_NAME=$(cd "$WL/runtime" && ls wayland-[0-9] 2>/dev/null | head -n1)
  SWAY_SOCKET=$(ls "$WL"/runtime/sway-ipc.*.sock 2>/dev/null | head -n1)
  [ -n "$WAYLAND_SOCKET_NAME" ] && [ -n "$SWAY_SOCKET" ]
}
wait_until 10000 found_sockets || fail "sway never came up: $(tail -n 5 "$E2E_TMP/saver.log")"
# A desktop always has a keyboard; one stays plugged in, so that the saver
# learns which of its windows holds it.
start_as_user wtype -s 3600000
# The mouse, plugged in while the test runs, moved by lines written to it.
coproc POINTER { exec_as_user python3 "$WL/bin/wl_pointer.py" 2>&1; }
E2E_PIDS+=("$POINTER_PID")
# Moves the pointer to ($1, $2) of the desktop, whose size changes with its
# outputs.
point_at() {
  local reply
  echo "$1 $2 $(as_user swaymsg -t get_tree | python3 -c '
import json, sys
r = json.load(sys.stdin)["rect"]
print(r["width"], r["height"])')" >&"${POINTER[1]}"
  read -r -t 5 -u "${POINTER[0]}" reply && [ "$reply" = moved ] || fail "the pointer did not move: $reply"
}
key() { as_user wtype -s 500 "$@"; }

# Screenshot of output $1 into shots/$1.png; "-c" as $2 includes the pointer.
shot() { as_user grim ${2:-} -o "$1" "$WL/shots/$1.png" 2>/dev/null; }
# The colours of the last screenshot of output $1, or of the part $2 of it.
colours() {
  convert "$WL/shots/$1.png" ${2:+-crop "$2" +repage} -unique-colors -depth 8 txt:- |
    grep -io '#[0-9A-F]\{6\}' | tr a-f A-F | sort -u | tr '\n' ' '
}
# Output $1 shows the one colour $2 everywhere; "-c" as $3 with the pointer.
plain() { shot "$1" "${3:-}" && [ "$(colours "$1")" = "$2 " ]; }
# Output $1 shows designs on black, away from the controls along the top,
# in the middle and along the bottom: more than 100 pixels drawn, and black
# round them (the desktop shows none).
drawn() {
  shot "$1" && [ "$(convert "$WL/shots/$1.png" -fill black -draw 'rectangle 0 0 799 39' \
    -draw 'rectangle 260 270 540 330' -draw 'rectangle 0 570 799 599' -fill white +opaque black \
    -format '%[fx:mean*w*h > 100]' info:)" = 1 ] &&
    [ "$(convert "$WL/shots/$1.png" -fill white +opaque black -format '%[fx:mean < 0.95]' info:)" = 1 ]
}
# The output on which sway shows a window titled $1; nothing when none is.
window_output() {
  as_user swaymsg -t get_tree | python3 -c '
import json, sys
def nodes(n, output):
    if n.get("type") == "output":
        output = n["name"]
    yield n, output
    for c in n.get("nodes", []) + n.get("floating_nodes", []):
        yield from nodes(c, output)
print(next((o for n, o in nodes(json.load(sys.stdin), None) if n.get("name") == sys.argv[1] and n.get("visible")), ""))' "$1"
}
shown_window() { [ -n "$(window_output "$1")" ]; }
# The designs take the output that the compositor announces first, which
# differs between sway releases (HEADLESS-1 in 1.7, HEADLESS-2 in 1.10): DESIGNS
# names it once the saver shows, COVERED the other one, and X_DESIGNS and
# X_COVERED where they start on the desktop.
find_outputs() {
  wait_until 10000 shown_window "$WINDOW_TITLE" || fail "sway shows no saver window"
  DESIGNS=$(window_output "$WINDOW_TITLE")
  case $DESIGNS in
    HEADLESS-1) COVERED=HEADLESS-2 X_DESIGNS=0 X_COVERED=800 ;;
    HEADLESS-2) COVERED=HEADLESS-1 X_DESIGNS=800 X_COVERED=0 ;;
    *) fail "the saver window is on $DESIGNS" ;;
  esac
}

# ---- "/s": every output covered, the pointer hidden, a key ends it --------
# Solid lines, so that every stroke shows on the black screen.
write_settings DrawDelay=1 ShowAbout=FALSE LinesDots=Lines SolidMix=Solid
start_as_user "$PROGRAM" /s
SAVER_PID=$LAST_PID
find_outputs
wait_until 20000 drawn "$DESIGNS" || fail "no designs on $DESIGNS: $(colours "$DESIGNS")"
wait_until 5000 plain "$COVERED" '#000000' || fail "$COVERED is not covered: $(colours "$COVERED")"

# Over the cover the pointer shows nowhere; over the design window the footer
# under it looks as it did without it.
point_at $((X_COVERED + 400)) 300
wait_until 3000 plain "$COVERED" '#000000' -c || fail "the pointer shows over the cover"
FOOTER=40x10+380+590
shot "$DESIGNS" -c
footer=$(convert "$WL/shots/$DESIGNS.png" -crop "$FOOTER" +repage -depth 8 rgb:- | md5sum)
footer_unchanged() {
  shot "$DESIGNS" -c &&
    [ "$(convert "$WL/shots/$DESIGNS.png" -crop "$FOOTER" +repage -depth 8 rgb:- | md5sum)" = "$footer" ]
}
point_at $((X_DESIGNS + 385)) 590
wait_until 3000 footer_unchanged || fail "the pointer shows over the design window"
for _ in 1 2 3; do
  sleep 0.2
  footer_unchanged || fail "the pointer came back over the design window"
done

# An output plugged in while the saver runs gets its cover.
as_user swaymsg create_output >/dev/null
wait_until 5000 plain HEADLESS-3 '#000000' || fail "the new output is not covered: $(colours HEADLESS-3)"
key x
wait_exit "$SAVER_PID" 10000
[ "$EXIT_STATUS" -eq 0 ] || fail "a key ended the saver with status $EXIT_STATUS"

# ---- "/s --every-monitor": designs on every output ------------------------
start_as_user "$PROGRAM" /s --every-monitor
SAVER_PID=$LAST_PID
find_outputs
for output in HEADLESS-1 HEADLESS-2 HEADLESS-3; do
  wait_until 20000 drawn "$output" || fail "no designs on $output: $(colours "$output")"
done
[ -z "${KALO_KEEP_SHOTS:-}" ] || cp "$WL"/shots/HEADLESS-[12].png "$KALO_KEEP_SHOTS/"
key x
wait_exit "$SAVER_PID" 10000
[ "$EXIT_STATUS" -eq 0 ] || fail "a key ended the saver on every output with status $EXIT_STATUS"

# ---- Started by the idle daemon, ended by a key, resumed ------------------
started=$(now_ms)
start_as_user swayidle -w timeout 2 "$PROGRAM /s" resume "touch $WL/resumed"
IDLE_PID=$LAST_PID
wait_until 15000 shown_window "$WINDOW_TITLE" || fail "the idle daemon never started the saver"
(($(now_ms) - started >= 2000)) || fail "the saver came before the desktop was idle for 2 s"
wait_until 20000 drawn "$DESIGNS" || fail "no designs after the idle start"
key x
wait_until 5000 eval '[ -z "$(pgrep -f "^$PROGRAM")" ]' || fail "a key did not end the idle-started saver"
wait_until 5000 test -e "$WL/resumed" || fail "the idle daemon's resume command never ran"
kill "$IDLE_PID"

# ---- "/z": the question over the saver, Return answers it -----------------
write_settings_for_type KaloStar MaxLayers=1 ShowAbout=FALSE SolidMix=Solid
# The keyboard is on the covered output, as after the user's last click
# there: the question comes up over its cover, where the user looks. The
# pointer waits there too, away from the question.
as_user swaymsg focus output "$COVERED" >/dev/null
point_at $((X_COVERED + 400)) 100
RUN_IN=$WL/work start_as_user "$PROGRAM" /s /z
SAVER_PID=$LAST_PID
wait_until 20000 drawn "$DESIGNS" || fail "no designs in companion mode"
wait_until 3000 plain "$COVERED" '#000000' -c || fail "the pointer or the desktop shows in companion mode"
key -k space
wait_until 30000 shown_window "Auto-Draw Load Request" || fail "the question is not shown"
shot "$COVERED" -c
[ "$(colours "$COVERED" 64x64+392+92 | wc -w)" -gt 1 ] || fail "no pointer while the question is up"
key -k Return
wait_exit "$SAVER_PID" 10000
[ "$EXIT_STATUS" -eq 0 ] || fail "the hand-off ended with status $EXIT_STATUS"
cmp -s "$WL/work/loadaskr.que" <(printf 'Load = YES\r\n') || fail "Return did not answer Yes"
check_canvas_file "$WL/work/kalosave.cvd" 1
echo "PASS"
