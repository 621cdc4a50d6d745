# "/c" shows the settings dialog and nothing else; the program lives as long
# as the dialog. Cancel writes nothing, OK writes every setting, and either
# ends the program with status 0; an OK whose save failed ends it with status 1.
source "$(dirname "$0")/lib.sh"

SETTINGS_TITLE="KaloSaver Settings"
profile="$XDG_CONFIG_HOME/kalosaver/CONTROL.INI"

# Waits for the settings dialog, with no saver window beside it, and gives
# it the keyboard.
wait_for_dialog() {
  local dialog
  dialog=$(wait_for_named_window "^$SETTINGS_TITLE\$" 10000) || fail "no settings dialog"
  xdotool search --onlyvisible --name "$WINDOW_TITLE" >/dev/null 2>&1 &&
    fail "the saver window appeared in configure mode"
  xdotool windowfocus --sync "$dialog"
}

# OK has the focus when the dialog opens; Tab moves it to Cancel.
start_saver /c
wait_for_dialog
stays_alive "$SAVER_PID" 300 || fail "configure mode ended while the dialog was open"
ends_saver key Tab key space
[ ! -e "$profile" ] || fail "Cancel wrote the profile"

start_saver /c
wait_for_dialog
ends_saver key space
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
wait_exit "$SAVER_PID" 10000
[ "$EXIT_STATUS" -eq 1 ] || fail "a failed save ended with status $EXIT_STATUS"

echo "PASS"
