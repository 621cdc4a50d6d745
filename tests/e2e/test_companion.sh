# Companion mode ("/z"): the space bar marks the design being drawn and moves
# the pending-save banner to the middle of the screen; when the design is
# finished the user is asked whether to load it onto the companion's canvas.
# Yes writes "kalosave.cvd" and then "loadaskr.que" in the current folder, No
# writes only the answer; either way the saver ends with status 0. A second
# press takes the mark back.
source "$(dirname "$0")/lib.sh"

QUESTION_TITLE="Auto-Draw Load Request"
# Stars are short designs (3 to 500 strokes a layer); two layers give one or
# two records. The end of a design is followed by a pause of 1.5 to 3 s
# before a marked design is handed over, in which the banner is there to be
# seen; a short pause between strokes makes it likelier still that the mark
# lands while the design is being drawn. Solid lines show on the black
# screen whatever layer is drawn.
write_settings_for_type KaloStar MaxLayers=2 ShowAbout=FALSE DrawDelay=20 SolidMix=Solid

# The companion hint fills a button along the top (x 387 to 893, y 5 to 32);
# the banner, moved to the middle (y 386 to 413), shows on both sides of the
# hint there.
hint_on_top() { plain_button_row 395 10 885; }
banner_in_middle() { plain_button_row 395 390 505 && plain_button_row 775 390 885; }

# Starts "/s /z" in folder $1 and marks the first design once $2 pixels of
# it are drawn.
start_and_mark() {
  start_saver_in "$1" /s /z
  wait_for_window 10000 >/dev/null || fail "no saver window in companion mode"
  wait_for_drawing 20000 "$2"
  hint_on_top || fail "no companion hint along the top"
  xdotool key space
}

# Polls until the banner stands in the middle and the hint has left the top.
expect_banner() {
  local deadline=$(($(now_ms) + 3000))
  while :; do
    screenshot
    banner_in_middle && ! hint_on_top && return 0
    xdotool search --onlyvisible --name "$QUESTION_TITLE" >/dev/null 2>&1 &&
      fail "the question came before the pending-save banner was seen"
    (($(now_ms) < deadline)) || fail "no pending-save banner in the middle of the screen"
    sleep 0.05
  done
}

# The question, once the design is finished; the banner has gone by then.
wait_for_question() {
  QUESTION=$(wait_for_named_window "$QUESTION_TITLE" 60000) || fail "the question never came"
  alive "$SAVER_PID" || fail "the saver ended before the answer"
  screenshot
  plain_button_row 395 390 480 && fail "the banner stays on the screen during the question"
  return 0
}

# Yes (Return, the default answer): the design, then the answer.
yes="$E2E_TMP/yes"
mkdir -p "$yes"
start_and_mark "$yes" 500
expect_banner
# While a save is pending, other keys do not end the saver.
xdotool key x
wait_for_question
[ -z "$(ls -A "$yes")" ] || fail "files written before the answer: $(ls -A "$yes")"
keys_to_window "$QUESTION" Return
wait_exit "$SAVER_PID" 10000
[ "$EXIT_STATUS" -eq 0 ] || fail "the hand-off after Yes ended with status $EXIT_STATUS"
cmp -s "$yes/loadaskr.que" <(printf 'Load = YES\r\n') ||
  fail "loadaskr.que after Yes holds: $(od -c "$yes/loadaskr.que" | head -n 2)"
check_canvas_file "$yes/kalosave.cvd" 1
records=$(($(wc -l <"$yes/kalosave.cvd") - 5))
((records <= 2)) || fail "$records records for at most two layers"
[ "$(canvas_design_type "$yes/kalosave.cvd")" = 2 ] || fail "the record is not a Star"
# Only the first record carries the background field in front.
[ "$(canvas_field_count "$yes/kalosave.cvd" 6)" -eq 10 ] || fail "first Star record is not 10 fields"
for ((line = 7; line < 6 + records; line++)); do
  [ "$(canvas_field_count "$yes/kalosave.cvd" "$line")" -eq 9 ] ||
    fail "Star record on line $line is not 9 fields"
done
[ "$(ls -A "$yes" | sort | tr '\n' ' ')" = "kalosave.cvd loadaskr.que " ] ||
  fail "files left after Yes: $(ls -A "$yes")"

# No (the N key): only the answer; a design left from before stays as it was.
write_settings_for_type KaloStar MaxLayers=2 ShowAbout=FALSE SolidMix=Solid
no="$E2E_TMP/no"
mkdir -p "$no"
printf 'an earlier design\r\n' >"$no/kalosave.cvd"
cp "$no/kalosave.cvd" "$E2E_TMP/earlier.cvd"
start_and_mark "$no" 500
wait_for_question
keys_to_window "$QUESTION" n
wait_exit "$SAVER_PID" 10000
[ "$EXIT_STATUS" -eq 0 ] || fail "the hand-off after No ended with status $EXIT_STATUS"
cmp -s "$no/loadaskr.que" <(printf 'Load = NO\r\n') ||
  fail "loadaskr.que after No holds: $(od -c "$no/loadaskr.que" | head -n 2)"
cmp -s "$no/kalosave.cvd" "$E2E_TMP/earlier.cvd" || fail "No changed the existing kalosave.cvd"

# A signal from the session while the question is up ends the saver at once,
# the question with it; the companion is told not to load the design.
write_settings_for_type KaloStar MaxLayers=2 ShowAbout=FALSE SolidMix=Solid
term="$E2E_TMP/term"
mkdir -p "$term"
start_and_mark "$term" 500
wait_for_question
ends_saver signal TERM
cmp -s "$term/loadaskr.que" <(printf 'Load = NO\r\n') || fail "no Load = NO after SIGTERM"

# A second press takes the mark back: the hint returns to the top, any other
# key ends the saver again, and nothing is written. Slow strokes keep the
# design from ending between the two presses.
write_settings_for_type KaloStar MaxLayers=1 ShowAbout=FALSE DrawDelay=300 SolidMix=Solid
back="$E2E_TMP/back"
mkdir -p "$back"
start_and_mark "$back" 100
expect_banner
xdotool key space
deadline=$(($(now_ms) + 3000))
until hint_on_top && ! banner_in_middle; do
  (($(now_ms) < deadline)) || fail "the hint did not return to the top after the second press"
  sleep 0.05
  screenshot
done
xdotool search --onlyvisible --name "$QUESTION_TITLE" >/dev/null 2>&1 &&
  fail "the question came after the mark was taken back"
ends_saver key x
[ -z "$(ls -A "$back")" ] || fail "files written without a mark: $(ls -A "$back")"
echo "PASS"
