# Only "/s" (lower case) runs the saver; any other command line ends at once
# with status 0 and no window, however long or strange it is.
source "$(dirname "$0")/lib.sh"

ends_without_window() {
  start_saver "$@"
  local pid=$SAVER_PID deadline=$(($(now_ms) + 3000))
  while alive "$pid"; do
    xdotool search --onlyvisible --name "SCRNSAVE: KaloSaver" >/dev/null 2>&1 &&
      fail "a window appeared for: ${*:0:3}"
    (($(now_ms) < deadline)) || fail "still running: ${*:0:3}"
    sleep 0.02
  done
  wait_exit "$pid" 100
  [ "$EXIT_STATUS" -eq 0 ] || fail "status $EXIT_STATUS for: ${*:0:3}"
}

ends_without_window
ends_without_window /S
ends_without_window /p 12345
ends_without_window "$(head -c 20000 /dev/zero | tr '\0' 'x')" /S /Z
ends_without_window $'\xff\xfe/\xc3\xa9' "/ s"
# Qt's own options are ordinary unknown switches: Qt never sees them.
ends_without_window -platform bogus
ends_without_window -display :9999 -platform offscreen

# A huge or negative colour number, thousands of characters of noise and
# Qt's options still run the saver, which a key then ends.
long_noise=$(head -c 6000 /dev/urandom | base64 -w0 | tr -d '/')
for args in "/s /c99999999999999999999" "/s /c-5" "/s /c1e400 /r" "/s $long_noise /d" \
  "/s -platform bogus -display :9999"; do
  # shellcheck disable=SC2086
  start_shown $args
  ends_saver -r key Return
done
# A profile that cannot be read (here a folder where the file should be)
# gives the defaults rather than stopping the saver.
mkdir -p "$XDG_CONFIG_HOME/kalosaver/CONTROL.INI"
start_shown /s
ends_saver -r key Return

# The box that says a canvas file cannot be drawn goes with the end signals,
# as the saver's own questions do, long before the grace time would end it.
for sig in TERM INT HUP; do
  start_saver --open "$E2E_TMP/none.cvd"
  wait_for_named_window "^KaloSaver$" 10000 >/dev/null || fail "no message box for a missing file"
  kill -"$sig" "$SAVER_PID"
  wait_exit "$SAVER_PID" 10000
  [ "$EXIT_STATUS" -eq 1 ] || fail "SIG$sig on the box ended with status $EXIT_STATUS"
done

# A colour-mapped screen cannot show the pictures: every windowed mode says so
# in one line (a canvas file that cannot be drawn is told instead) and ends.
restart_xvfb_with_depth 8
for args in "/s" "/c" "--open $E2E_TMP/none.cvd"; do
  status=0
  # shellcheck disable=SC2086
  timeout 10 "$KALOSAVER" $args >"$E2E_TMP/out" 2>&1 || status=$?
  [ "$status" -eq 1 ] && [ "$(wc -l <"$E2E_TMP/out")" -eq 1 ] &&
    grep -qE "8-bit colour|none.cvd" "$E2E_TMP/out" ||
    fail "'$args' on an 8-bit screen ended with $status, saying: $(head -c 300 "$E2E_TMP/out")"
done
echo "PASS"
