# "/c" shows the settings dialog and nothing else; the program lives as long
# as the dialog. Cancel writes nothing, OK writes every setting, and either
# ends the program with status 0; an OK whose save failed ends it with status 1.
source "$(dirname "$0")/lib.sh"

SETTINGS_TITLE="KaloSaver Settings"
profile="$XDG_CONFIG_HOME/kalosaver/CONTROL.INI"

wait_for_dialog() {
  local deadline=$(($(now_ms) + 10000))
  until xdotool search --onlyvisible --name "$SETTINGS_TITLE" >/dev/null 2>&1; do
    (($(now_ms) < deadline)) || fail "no settings dialog"
    sleep 0.05
  done
  xdotool search --onlyvisible --name "$WINDOW_TITLE" >/dev/null 2>&1 &&
    fail "the saver window appeared in configure mode"
  sleep 0.3
}

# OK has the focus when the dialog opens; Tab moves it to Cancel.
start_saver /c
wait_for_dialog
stays_alive "$SAVER_PID" 300 || fail "configure mode ended while the dialog was open"
xdotool key Tab key space
wait_exit "$SAVER_PID" 3000
[ "$EXIT_STATUS" -eq 0 ] || fail "Cancel ended with status $EXIT_STATUS"
[ ! -e "$profile" ] || fail "Cancel wrote the profile"

start_saver /c
wait_for_dialog
xdotool key space
wait_exit "$SAVER_PID" 3000
[ "$EXIT_STATUS" -eq 0 ] || fail "OK ended with status $EXIT_STATUS"
[ -s "$profile" ] || fail "OK wrote no profile"
grep -qi '^\[Screen Saver.KaloShare\]' "$profile" || fail "no settings section in the profile"
for key in KaloSpiral KaloYarn KaloStar KaloGons KaloAngle KaloBoxes DrawDelay Brightness \
  MaxDrawWidth MaxLayers LinesDots SolidMix BgColor Roundness ShowAbout; do
  grep -qi "^$key=" "$profile" || fail "OK did not write $key"
done
# A profile that cannot be written is reported in a box whose title shows
# as empty: a single blank, not the program's name.
: >"$E2E_TMP/not-a-folder"
XDG_CONFIG_HOME="$E2E_TMP/not-a-folder" start_saver /c
wait_for_dialog
xdotool key space
box=$(wait_for_named_window "^ $" 5000) || fail "no warning box with a blank title"
xprop -id "$box" _NET_WM_NAME | grep -qx '_NET_WM_NAME(UTF8_STRING) = " "' ||
  fail "warning box title: $(xprop -id "$box" _NET_WM_NAME WM_NAME)"
keys_to_window "$box" Return
wait_exit "$SAVER_PID" 3000
[ "$EXIT_STATUS" -eq 1 ] || fail "a failed save ended with status $EXIT_STATUS"

echo "PASS"
