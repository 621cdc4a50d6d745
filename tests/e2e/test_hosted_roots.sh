# "-root" with no window from the host: the saver draws in the virtual root a
# desktop marks, else on the screen's root, which gets its own background
# back when the saver ends. A window that is not there, or a variable that
# names none, gives one line on stderr and a failure status.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/hosted_lib.sh"
unset XSCREENSAVER_WINDOW

# The bad cases first: they must end at once.
"$KALOSAVER" --window-id 0x7ffffff0 >"$E2E_TMP/out" 2>&1 && fail "a missing window gave status 0"
[ "$(cat "$E2E_TMP/out")" = "kalosaver: window 0x7ffffff0 does not exist" ] ||
  fail "a missing window gave: $(cat "$E2E_TMP/out")"
status=0
XSCREENSAVER_WINDOW=desktop "$KALOSAVER" -root >"$E2E_TMP/out" 2>&1 || status=$?
[ "$status" = 2 ] && [ "$(wc -l <"$E2E_TMP/out")" = 1 ] ||
  fail "a variable naming no window gave status $status: $(cat "$E2E_TMP/out")"

V=100,100,800,600
start_hosts 800x600+100+100
screenshot
cp "$E2E_TMP/screen.png" "$E2E_TMP/before.png"
host_do vroot 0
deadline=$(($(now_ms) + 5000))
until xprop -id "${HOST_TOPS[0]}" __SWM_VROOT | grep -q "window id"; do
  (($(now_ms) < deadline)) || fail "the host never marked its virtual root"
  sleep 0.05
done
write_settings "DrawDelay=0" "LinesDots=Lines" "SolidMix=Solid"
start_saver -root
wait_drawn_in 10000 ${V//,/ } 500
n=$(changed_outside "$E2E_TMP/before.png" "$E2E_TMP/screen.png" "$V")
[ "$n" = 0 ] || fail "$n pixels changed outside the virtual root"
ends_saver signal TERM

# No mark left: the root itself, with the window shrunk out of the way.
xprop -id "${HOST_TOPS[0]}" -remove __SWM_VROOT
host_do resize 0 50x50
start_saver -root
wait_drawn_in 10000 400 200 480 400 500
ends_saver signal TERM
screenshot
n=$(drawn_in 400 200 480 400)
[ "$n" = 0 ] || fail "$n pixels of the designs stayed on the root"
[ ! -s "$E2E_TMP/saver.log" ] || fail "savers printed: $(head -c 300 "$E2E_TMP/saver.log")"
echo "PASS"
