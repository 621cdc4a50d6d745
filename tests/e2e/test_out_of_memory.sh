# Memory that runs out under the full-screen saver ends it with one line and
# status 1, and takes the single-instance lock with it: the limit leaves room
# for the saver as it runs on the usual screen, and an 8192 x 8192 screen
# then asks for a 256 MiB picture before anything else of that size.
source "$(dirname "$0")/lib.sh"

write_settings "DrawDelay=0"
# One malloc arena, so that address space reserved for threads' arenas and
# never used leaves no room the limit did not mean.
export MALLOC_ARENA_MAX=1
limit_above 128 "$KALOSAVER" /s
kill "$XVFB_PID"
wait "$XVFB_PID" 2>/dev/null || true
start_xvfb 8192x8192 "$E2E_TMP/xvfb.log" || fail "no large X server: $(cat "$E2E_TMP/xvfb.log")"
status=0
timeout 20 prlimit --as="$LIMIT_BYTES" "$KALOSAVER" /s >"$E2E_TMP/out" 2>&1 || status=$?
[ "$status" = 1 ] && [ "$(cat "$E2E_TMP/out")" = "kalosaver: out of memory" ] ||
  fail "out of memory gave status $status: $(head -c 300 "$E2E_TMP/out")"
[ ! -e "$XDG_RUNTIME_DIR/kalosaver.lock" ] || fail "the lock stays after running out of memory"
echo "PASS"
