# Keyboard and pointer belong to the saver while it draws: a key ends it even
# when another program's window has taken the focus, and so does a turn of
# the wheel over that window. While the saver asks something they belong to
# the desktop again, and afterwards to the saver once more.
source "$(dirname "$0")/lib.sh"

# An xmessage raised over the saver, under the pointer, with the focus.
other_program() {
  xmessage -default okay -geometry 200x80+400+300 "another program" 2>/dev/null &
  OTHER_PID=$!
  E2E_PIDS+=("$OTHER_PID")
  OTHER=$(wait_for_named_window "^xmessage$" 10000) || fail "xmessage never showed"
  xdotool windowraise "$OTHER" windowfocus --sync "$OTHER"
}

write_settings_for_type KaloStar DrawDelay=100 SolidMix=Solid
xdotool mousemove 500 340
for act in "key x" "click 4"; do
  start_drawing -n 50 /s
  other_program
  # shellcheck disable=SC2086
  ends_saver $act
  kill "$OTHER_PID"
done

# A design that is soon finished, so that its save is soon offered.
write_settings_for_type KaloStar MaxLayers=2 ShowAbout=FALSE SolidMix=Solid
start_drawing -n 50 /s
xdotool key space
for title in "Save as WINDOWS Bitmap file[?]" "KaloDraw Canvas data file save query"; do
  question=$(wait_for_named_window "^$title$" 60000) || fail "no question '$title'"
  other_program
  xdotool key Return  # ends the other program, which has the keyboard now
  wait_exit "$OTHER_PID" 10000
  keys_to_window "$question" Escape
done
about=$(wait_for_named_window "^KaloSaver$" 10000) || fail "no about box after the questions"
keys_to_window "$about" Return
wait_window_gone "^KaloSaver$" 5000 || fail "OK left the about box open"
other_program
ends_saver key x
echo "PASS"
