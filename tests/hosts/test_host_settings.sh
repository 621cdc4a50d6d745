# Each place of each control of the saver's controls file, chosen alone in a
# screen-saver host's own settings app: what the control showed before, the
# arguments the app writes, what the control shows when the app reads them
# back, and the settings a run with those arguments draws with - the
# profile's, with that one setting changed (each_control.txt). Xfce's app is
# its own Python script, imported (xfce_controls.py); XScreenSaver's is its
# own program with a probe loaded into it (xss_probe.cpp), which also reads
# the name its list of savers shows. Where the app is missing the test says
# why and ends with status 77, which CTest reports as skipped.
# Usage: test_host_settings.sh xfce|xscreensaver KALOSAVER RUN_SETTINGS CONTROLS.xml [PROBE.so]
set -euo pipefail
host=$1 run_settings=$3 controls=$4 probe=${5:-}
here=$(dirname "$0")
skip() {
  echo "SKIPPED: $*"
  exit 77
}
xfce_app=/usr/bin/xfce4-screensaver-configure.py
case $host in
  xfce)
    [ -f "$xfce_app" ] || skip "no $xfce_app: Xfce's saver (xfce4-screensaver) comes with Debian 13 and later"
    /usr/bin/python3 -c 'import gi; [gi.require_version(*v) for v in
      (("Gtk", "3.0"), ("Xfconf", "0"), ("Libxfce4util", "1.0"))]' 2>/dev/null ||
      skip "Xfce's settings app lacks python3-gi or the GTK, Xfconf or Libxfce4util typelibs"
    ;;
  xscreensaver)
    command -v xscreensaver-settings >/dev/null || skip "XScreenSaver's settings app is not installed"
    # The app reads controls files from one fixed folder only; a private
    # mount shows it ours there without touching the system's.
    unshare -m true 2>/dev/null || skip "no private mount namespace (unshare -m) for XScreenSaver's app"
    ;;
  *) echo "unknown host: $host" >&2 && exit 2 ;;
esac
source "$here/../e2e/lib.sh" "$2"

rows=$(grep -v '^#' "$here/each_control.txt")
xpath() { xmllint --xpath "$1" "$controls" 2>/dev/null || true; }
# The table holds every choice of every select and every number, in order.
for id in $(xpath '//select/@id | //number/@id' | sed 's/.*="\(.*\)"/\1/'); do
  want=$(xpath "//select[@id='$id']/option/@id" | sed 's/.*="\(.*\)"/\1/')
  have=$(awk -v id="$id" '$1 == id { print $2 }' <<<"$rows")
  [ -n "$have" ] || fail "each_control.txt has no row for $id"
  [ -z "$want" ] || [ "$want" = "$have" ] || fail "the choices of $id are $want, not $have"
done

# A profile unlike the defaults, so that a choice of a default shows.
write_settings KaloSpiral=FALSE KaloYarn=TRUE KaloStar=TRUE KaloGons=FALSE KaloAngle=TRUE \
  KaloBoxes=TRUE DrawDelay=250 Brightness=180 MaxDrawWidth=40 MaxLayers=12 LinesDots=Dots \
  SolidMix=Mix BgColor=Random Roundness=Circular
profile=$("$run_settings" --root)

# Per row: shown before <tab> arguments <tab> shown when read back.
if [ "$host" = xfce ]; then
  NO_AT_BRIDGE=1 /usr/bin/python3 "$here/xfce_controls.py" "$xfce_app" "$controls" \
    <<<"$(awk '{ print $1, $2 }' <<<"$rows")" >"$E2E_TMP/app.out" 2>"$E2E_TMP/app.log" ||
    fail "Xfce's app: $(cat "$E2E_TMP/app.log")"
else
  # The probe picks a select's choice by its place in the list.
  while read -r id place _; do
    [ -z "$(xpath "//select[@id='$id']")" ] ||
      place=$(xpath "count(//select[@id='$id']/option[@id='$place']/preceding-sibling::option)")
    printf '%s\t%s\n' "$id" "$place"
  done <<<"$rows" >"$E2E_TMP/cases"
  mkdir -p "$E2E_TMP/config" "$E2E_TMP/home"
  cp "$controls" "$E2E_TMP/config/kalosaver.xml"
  # The programs line as the README gives it.
  printf 'mode: one\nselected: 0\nprograms: "KaloSaver" kalosaver --root\n' >"$E2E_TMP/home/.xscreensaver"
  unshare -m sh -c 'mount --bind "$1" /usr/share/xscreensaver/config && shift && exec "$@"' - \
    "$E2E_TMP/config" env HOME="$E2E_TMP/home" PATH=/usr/bin:/bin KALO_XSS_CASES="$E2E_TMP/cases" \
    LD_PRELOAD="$probe" timeout 60 xscreensaver-settings >"$E2E_TMP/probe.out" 2>"$E2E_TMP/app.log" ||
    fail "XScreenSaver's app: $(tail -n 5 "$E2E_TMP/app.log")"
  listed=$(sed -n 's/^listed\t//p' "$E2E_TMP/probe.out" | sed 's/<[^>]*>//g')
  [ "$(grep -ix kalosaver <<<"$listed" || true)" = KaloSaver ] ||
    fail "XScreenSaver's list names the saver \"$(grep -ix kalosaver <<<"$listed" || true)\""
  grep -v '^listed' "$E2E_TMP/probe.out" | sed 's/\tkalosaver --root */\t/' >"$E2E_TMP/app.out"
fi
[ "$(wc -l <"$E2E_TMP/app.out")" -eq "$(wc -l <<<"$rows")" ] ||
  fail "the app answered $(wc -l <"$E2E_TMP/app.out") of $(wc -l <<<"$rows") rows: $(cat "$E2E_TMP/app.log")"

echo "control place: arguments $host's app writes"
# (Read at "|", as a tab run would hide an empty field.)
while IFS='|' read -r before args after && read -r id place setting <&3; do
  printf '%-18s %-8s: %s\n' "$id" "$place" "${args:-(none)}"
  choice=$(xpath "string(//select[@id='$id']/option[@id='$place']/@_label)")
  if [ "$host" = xfce ]; then
    first="" again=$place
  else
    first=$(xpath "string(//select[@id='$id']/option[1]/@_label)") again=${choice:-$place}
  fi
  [ -n "$choice" ] || first=0
  [ "$before" = "$first" ] || fail "$id starts at \"$before\", not \"$first\""
  [ "$after" = "$again" ] || fail "$id $place written as \"$args\" reads back as \"$after\""
  # shellcheck disable=SC2086 # the host splits the arguments at blanks
  got=$("$run_settings" --root $args) || fail "the saver refuses $args"
  want=$profile
  [ "$setting" = - ] || want=$(sed "s/^${setting%%=*}=.*/$setting/" <<<"$profile")
  [ "$got" = "$want" ] || fail "$id $place ($args) runs with: $(diff <(echo "$want") <(echo "$got"))"
done < <(tr '\t' '|' <"$E2E_TMP/app.out") 3<<<"$rows"
echo "PASS"
