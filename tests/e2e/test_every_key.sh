# Keyboard and pointer belong to the saver while it draws: a key ends it even
# when another program's window has taken the focus, and so does a turn of
# the wheel over another program's window. While the saver asks something
# they belong to the desktop again, and afterwards to the saver once more.
source "$(dirname "$0")/lib.sh"

# An xmessage at (400, 300), shown on top of the saver, that takes the focus;
# its id lands in OTHER. Return presses its button and ends it.
other_program() {
  xmessage -default okay -geometry 200x80+400+300 "another program" 2>/dev/null &
  OTHER_PID=$!
  E2E_PIDS+=("$OTHER_PID")
  OTHER=$(wait_for_named_window "^xmessage$" 10000) || fail "xmessage never showed"
  xdotool windowraise "$OTHER" windowfocus --sync "$OTHER"
}

write_settings_for_type KaloStar DrawDelay=100
xdotool mousemove 500 340
for act in "key x" "click 4"; do
  start_saver /s
  wait_for_window 10000 >/dev/null || fail "no saver window"
  wait_for_drawing 5000 50
  other_program
  alive "$SAVER_PID" || fail "the saver ended before '$act'"
  # shellcheck disable=SC2086
  xdotool $act
  wait_exit "$SAVER_PID" 2000
  [ "$EXIT_STATUS" -eq 0 ] || fail "'$act' over another program ended the saver with $EXIT_STATUS"
  kill "$OTHER_PID"
done

write_settings_for_type KaloStar MaxLayers=2 ShowAbout=FALSE
start_saver /s
wait_for_window 10000 >/dev/null || fail "no saver window"
wait_for_drawing 5000 500
xdotool key space
question=$(wait_for_named_window "^Save as WINDOWS Bitmap file[?]$" 60000) ||
  fail "the bitmap question never came"
# The other program gets its key while the saver asks.
other_program
xdotool key Return
wait_exit "$OTHER_PID" 2000
keys_to_window "$question" Escape
question=$(wait_for_named_window "^KaloDraw Canvas data file save query$" 10000) ||
  fail "the canvas question never came"
keys_to_window "$question" Escape
about=$(wait_for_named_window "^KaloSaver$" 10000) || fail "no about box after the questions"
keys_to_window "$about" Return
wait_window_gone "^KaloSaver$" 5000 || fail "OK left the about box open"
other_program
xdotool key x
wait_exit "$SAVER_PID" 2000
[ "$EXIT_STATUS" -eq 0 ] || fail "a key after the questions ended the saver with $EXIT_STATUS"
echo "PASS"
