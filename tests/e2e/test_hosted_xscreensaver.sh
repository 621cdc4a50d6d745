# The real XScreenSaver daemon runs the saver from its "programs:" line: when
# the daemon blanks, the saver draws on the screen and stays running; when it
# unblanks, the saver is gone. The daemon refuses to run savers as root, so it
# runs as nobody, with a home and a copy of the program that nobody can reach.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/hosted_lib.sh"
need_tools xscreensaver xscreensaver-command setpriv pgrep

chmod 711 "$E2E_TMP"
site=$E2E_TMP/xss
home=$site/home
mkdir -p "$site/bin" "$home/.config/kalosaver" "$home/runtime"
program=$site/bin/kalosaver
cp "$KALOSAVER" "$program"
chmod 755 "$site" "$site/bin" "$program"
printf '[Screen Saver.KaloShare]\nDrawDelay=1\nLinesDots=Lines\nSolidMix=Solid\n' >"$home/.config/kalosaver/CONTROL.INI"
cat >"$home/.xscreensaver" <<EOF
timeout: 1:00:00
cycle: 0
lock: False
fade: False
unfade: False
splash: False
mode: one
selected: 0
programs: "KaloSaver" $program --root
EOF
chown -R 65534:65534 "$home"
chmod 700 "$home/runtime"
log=$home/xscreensaver.log

setpriv --reuid=65534 --regid=65534 --clear-groups \
  env -i DISPLAY="$DISPLAY" HOME="$home" PATH=/usr/bin:/bin XDG_RUNTIME_DIR="$home/runtime" \
  xscreensaver --no-splash --verbose --log "$log" >"$E2E_TMP/daemon.out" 2>&1 &
E2E_PIDS+=("$!")
deadline=$(($(now_ms) + 10000))
until xscreensaver-command -version >/dev/null 2>&1; do
  (($(now_ms) < deadline)) || fail "the daemon never answered: $(tail -n 5 "$log" "$E2E_TMP/daemon.out")"
  sleep 0.1
done

# The saver's processes, found by the path of this run's own copy.
saver_pids() { pgrep -f "^$program --root" || true; }

xscreensaver-command -activate >/dev/null
deadline=$(($(now_ms) + 10000))
until [ -n "$(saver_pids)" ]; do
  (($(now_ms) < deadline)) || fail "the daemon started no saver: $(tail -n 5 "$log")"
  sleep 0.05
done
pid=$(saver_pids)
wait_drawn_in 10000 0 0 1280 800 2000
stays_alive "$pid" 500 || fail "the saver ended while the screen was blanked"
[ "$(saver_pids)" = "$pid" ] || fail "the daemon started the saver again: $(saver_pids)"
grep -F "$program" "$log" | grep -iE "crash|unexpected|abnormal|signal|status" &&
  fail "the daemon reports trouble with the saver"

# The host sends SIGTERM and goes; the saver has its grace time to close,
# and then some for a busy machine. Asking the daemon again each second
# changes nothing once it has unblanked.
xscreensaver-command -deactivate >/dev/null
start=$(now_ms)
asked=$start
while [ -n "$(saver_pids)" ]; do
  (($(now_ms) < start + 5000)) || fail "the saver still runs after the daemon unblanked:" \
    "$(grep State "/proc/$pid/status" 2>/dev/null)" "$(tail -n 8 "$log")"
  if (($(now_ms) > asked + 1000)); then
    xscreensaver-command -deactivate >/dev/null
    asked=$(now_ms)
  fi
  sleep 0.02
done
grep -F "did not close in time" "$log" && echo "note: the saver was ended by its grace time"
xscreensaver-command -exit >/dev/null 2>&1 || true
echo "PASS"
