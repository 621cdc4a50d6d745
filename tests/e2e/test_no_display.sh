# Without any display, "/s" and "/c" say so in one line on stderr and end
# with status 1; every other command line ends at once with status 0 and
# says nothing, as it never needed a display.
set -euo pipefail
KALOSAVER=${1:?usage: $0 path/to/kalosaver}
out=$(mktemp -d "${TMPDIR:-/tmp}/kalosaver-nodisplay.XXXXXX")
trap 'rm -rf "$out"' EXIT

# Runs the saver with the arguments after $1, no display and private folders;
# checks for status $1, stdout empty and the number of stderr lines.
check() {
  local want=$1 lines=$2 status=0
  shift 2
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_CONFIG_HOME="$out/config" \
    XDG_RUNTIME_DIR="$out" timeout 10 "$KALOSAVER" "$@" >"$out/stdout" 2>"$out/stderr" ||
    status=$?
  [ "$status" -eq "$want" ] || { echo "FAIL: status $status for '$*'" >&2; exit 1; }
  [ ! -s "$out/stdout" ] || { echo "FAIL: '$*' printed: $(cat "$out/stdout")" >&2; exit 1; }
  [ "$(wc -l <"$out/stderr")" -eq "$lines" ] ||
    { echo "FAIL: '$*' said: $(cat "$out/stderr")" >&2; exit 1; }
}

check 1 1 /s
grep -q "no display" "$out/stderr" || { echo "FAIL: /s said: $(cat "$out/stderr")" >&2; exit 1; }
check 1 1 /c
check 1 1 /p /c /s /d
check 0 0
check 0 0 /p 12345
check 0 0 /S
echo "PASS"
