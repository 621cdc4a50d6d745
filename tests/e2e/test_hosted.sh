# Inside a screen-saver host: savers draw only in the windows they are given,
# several at once, a small window as a shrunk preview; keys, the mouse and a
# stop and continue end none of them; SIGTERM, SIGINT and SIGHUP end them at
# once; a window that grows is followed, and one that is destroyed ends its
# saver. With only the variables MATE passes, a saver prints nothing. A huge
# window costs no more than the picture limit, and memory that runs out ends
# a saver with status 1.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/hosted_lib.sh"

A=0,0,640,480
B=640,0,640,480
P=480,540,320,240  # smaller than 640 x 480: a preview
start_hosts 640x480+0+0 640x480+640+0 320x240+480+540
screenshot
cp "$E2E_TMP/screen.png" "$E2E_TMP/before.png"

# Solid lines, so that every stroke shows on the black screen.
write_settings "DrawDelay=200" "LinesDots=Lines" "SolidMix=Solid"
start_saver --window-id "$(printf '0x%x' "${HOST_IDS[0]}")" --draw-delay 1
saver_a=$SAVER_PID
XSCREENSAVER_WINDOW=${HOST_IDS[1]} "$KALOSAVER" -root --draw-delay 1 >>"$E2E_TMP/saver.log" 2>&1 &
saver_b=$!
E2E_PIDS+=("$saver_b")
mkdir -p "$E2E_TMP/home"
env -i DISPLAY="$DISPLAY" HOME="$E2E_TMP/home" PATH="$PATH" XSCREENSAVER_WINDOW="${HOST_IDS[2]}" \
  "$KALOSAVER" -root --lines-dots lines --solid-mix solid >"$E2E_TMP/quiet.log" 2>&1 &
saver_p=$!
E2E_PIDS+=("$saver_p")

wait_drawn_in 10000 ${A//,/ } 500
wait_drawn_in 10000 ${B//,/ } 500
wait_drawn_in 10000 ${P//,/ } 100
[ -z "$(xdotool search --onlyvisible --name "$WINDOW_TITLE" 2>/dev/null)" ] ||
  fail "a hosted saver showed a window of its own"

# Input is the host's: none of it reaches the savers.
xdotool mousemove 100 100 mousemove 900 300 click 1 key x key space key Escape
kill -STOP "$saver_a"
sleep 0.2
kill -CONT "$saver_a"
for pid in "$saver_a" "$saver_b" "$saver_p"; do
  stays_alive "$pid" 500 || fail "saver $pid ended without being asked"
done
screenshot
n=$(changed_outside "$E2E_TMP/before.png" "$E2E_TMP/screen.png" "$A" "$B" "$P")
[ "$n" = 0 ] || fail "$n pixels changed outside the host windows"
# The 1280 x 800 screen shrunk to 320 x 200 leaves a band of background above
# and below, which a design drawn at the window's own size would cross.
n=$(($(drawn_in 480 540 320 20) + $(drawn_in 480 760 320 20)))
[ "$n" = 0 ] || fail "$n pixels drawn in the preview's margins"

# Hosts send SIGTERM; a terminal sends SIGINT, or SIGHUP when it closes.
kill -TERM "$saver_a"
kill -INT "$saver_b"
kill -HUP "$saver_p"
wait_all_gone 10000 "$saver_a" "$saver_b" "$saver_p"
echo "SIGTERM, SIGINT and SIGHUP to exit of three savers: $GONE_MS ms"
for pid in "$saver_a" "$saver_b" "$saver_p"; do
  wait "$pid" || fail "saver $pid ended with status $? after the signal"
done
[ ! -s "$E2E_TMP/quiet.log" ] || fail "a saver given only DISPLAY, HOME, PATH and" \
  "XSCREENSAVER_WINDOW printed: $(head -c 300 "$E2E_TMP/quiet.log")"

# The first window grows below the others: the picture keeps what it has
# and reaches into the new part. Destroyed, it takes its saver with it.
start_saver --window-id "${HOST_IDS[0]}" --draw-delay 0
screenshot
before=$(drawn_in ${A//,/ })
deadline=$(($(now_ms) + 10000))
until screenshot && [ "$(drawn_in ${A//,/ })" != "$before" ]; do
  (($(now_ms) < deadline)) || fail "the saver on the first window never drew"
  sleep 0.1
done
host_do resize 0 1000x700
wait_drawn_in 20000 0 480 480 220 200
host_do destroy 0
wait_all_gone 10000 "$SAVER_PID"
echo "window destroyed to exit: $GONE_MS ms"
wait "$SAVER_PID" || fail "saver ended with status $? when its window went"

# Memory that runs out as a window grows ends the saver with one line and
# status 1, not an abort: the preview's window grows past what the saver may
# still take.
limit_above 128 "$KALOSAVER" --window-id "${HOST_IDS[2]}"
prlimit --as="$LIMIT_BYTES" "$KALOSAVER" --window-id "${HOST_IDS[2]}" >"$E2E_TMP/oom.log" 2>&1 &
saver_p=$!
E2E_PIDS+=("$saver_p")
stays_alive "$saver_p" 1000 || fail "no saver under a memory limit: $(cat "$E2E_TMP/oom.log")"
host_do resize 2 20000x20000
wait_exit "$saver_p" 10000
[ "$EXIT_STATUS" = 1 ] && [ "$(cat "$E2E_TMP/oom.log")" = "kalosaver: out of memory" ] ||
  fail "out of memory gave status $EXIT_STATUS: $(head -c 300 "$E2E_TMP/oom.log")"

# A window far beyond the picture limit gets the largest picture of its
# shape, 8192 x 8192 (256 MiB), not one of 1.6 GB; the saver keeps drawing
# and still ends at once on SIGTERM.
start_saver --window-id "${HOST_IDS[1]}" --draw-delay 0
host_do resize 1 20000x20000
deadline=$(($(now_ms) + 10000))
until (($(memory_kb "$SAVER_PID" VmHWM) > 256 * 1024)); do
  alive "$SAVER_PID" && (($(now_ms) < deadline)) || fail "the saver never took the large picture"
  sleep 0.1
done
stays_alive "$SAVER_PID" 1000 || fail "the saver in a 20000 x 20000 window ended"
held=$(memory_kb "$SAVER_PID" VmHWM)
echo "20000 x 20000 window: $((held / 1024)) MiB held at most"
((held < 400 * 1024)) || fail "the saver in a 20000 x 20000 window held $((held / 1024)) MiB"
kill -TERM "$SAVER_PID"
wait_all_gone 10000 "$SAVER_PID"
wait "$SAVER_PID" || fail "saver ended with status $? after SIGTERM"
[ ! -s "$E2E_TMP/saver.log" ] || fail "savers printed: $(head -c 300 "$E2E_TMP/saver.log")"
echo "PASS"
