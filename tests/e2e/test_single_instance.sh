# A second start ends at once while the first saver runs, and a saver that
# was killed does not keep the next one from starting. Without a private
# runtime folder the lock goes to a folder of the user's own.
source "$(dirname "$0")/lib.sh"

write_settings "DrawDelay=200"
start_saver /s
first=$SAVER_PID
wait_for_window 10000 >/dev/null || fail "first saver shows no window"

start_saver /s
wait_exit "$SAVER_PID" 10000
[ "$EXIT_STATUS" -eq 0 ] || fail "second instance ended with status $EXIT_STATUS"
alive "$first" || fail "the first saver ended when the second started"
[ "$(xdotool search --onlyvisible --name "SCRNSAVE: KaloSaver" | wc -l)" -eq 1 ] ||
  fail "more than one saver window"

# Killed without a chance to clean up: its lock file stays behind.
kill -9 "$first"
wait "$first" 2>/dev/null || true
ls "$XDG_RUNTIME_DIR"/kalosaver.lock >/dev/null || fail "no lock file in the runtime folder"
deadline=$(($(now_ms) + 5000))
while xdotool search --onlyvisible --name "SCRNSAVE: KaloSaver" >/dev/null 2>&1; do
  (($(now_ms) < deadline)) || fail "the killed saver's window stays"
  sleep 0.05
done

start_shown /s
ends_saver -r key q

# A runtime folder others may write to is no place for the lock.
chmod 777 "$XDG_RUNTIME_DIR"
export TMPDIR="$E2E_TMP/tmp"
mkdir -m 1777 "$TMPDIR"
start_saver /s
first=$SAVER_PID
wait_for_window 10000 >/dev/null || fail "no saver when the runtime folder is open to others"
own="$TMPDIR/kalosaver-$(id -u)"
[ -f "$own/kalosaver.lock" ] || fail "no lock in $own"
[ "$(stat -c %a "$own")" = 700 ] || fail "$own is open to others"
start_saver /s
wait_exit "$SAVER_PID" 10000
[ "$EXIT_STATUS" -eq 0 ] || fail "second instance ended with status $EXIT_STATUS"
alive "$first" || fail "the first saver ended when the second started"
echo "PASS"
