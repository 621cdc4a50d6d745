# Without a display "/s" and "/c" say so in one line on stderr and end with
# status 1; an unknown "--" option says so and ends with status 2; other
# command lines end at once with status 0 and say nothing.
set -euo pipefail
out=$(mktemp -d "${TMPDIR:-/tmp}/kalosaver-nodisplay.XXXXXX")
trap 'rm -rf "$out"' EXIT

for row in "1 1 /s" "1 1 /c" "1 1 /p /c /s" "0 0" "0 0 /p 12345" "0 0 /S" "0 0 -platform bogus" \
  "0 0 -display :0" "2 1 /s --draw-dealy 200" "2 1 --bogus"; do
  read -r want lines args <<<"$row"
  status=0
  # shellcheck disable=SC2086
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_CONFIG_HOME="$out" \
    XDG_RUNTIME_DIR="$out" timeout 10 "$1" $args >"$out/stdout" 2>"$out/stderr" || status=$?
  said=$(cat "$out/stdout" "$out/stderr")
  [ "$status" -eq "$want" ] && [ ! -s "$out/stdout" ] && [ "$(wc -l <"$out/stderr")" -eq "$lines" ] &&
    { [ "$lines" -eq 0 ] || grep -qE "no display|unknown option" "$out/stderr"; } ||
    { echo "FAIL: '$args' ended with $status, saying: $said" >&2; exit 1; }
done
echo "PASS"
