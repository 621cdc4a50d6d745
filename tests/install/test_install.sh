#!/usr/bin/env bash
# Installs the program as a package would (into a staging DESTDIR) and as a
# user would (straight into a prefix), then reads the result with the tools
# the desktop itself uses: the files' checkers, the manual reader, the MIME
# database and the program's own option table.
# Usage: test_install.sh BUILD_DIR [CMAKE]
set -euo pipefail
build=$1
cmake=${2:-cmake}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

prefix=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$build/CMakeCache.txt")
DESTDIR=$tmp/dest "$cmake" --install "$build" >/dev/null
root=$tmp/dest$prefix

# Exactly these files: a cache written into a staging folder would clash
# with the target system's own.
want="bin/kalosaver
libexec/xscreensaver/kalosaver
libexec/xsecurelock/helpers/saver_kalosaver
share/applications/kalosaver-open.desktop
share/applications/kalosaver.desktop
share/applications/screensavers/kalosaver.desktop
share/doc/kalosaver/LICENSE
share/icons/hicolor/scalable/apps/kalosaver.svg
share/man/man6/kalosaver.6
share/metainfo/io.github.kalosaver.KaloSaver.metainfo.xml
share/mime/packages/kalosaver.xml
share/xscreensaver/config/kalosaver.xml"
have=$(cd "$root" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort)
[ "$have" = "$want" ] || fail "installed files differ: $(diff <(echo "$want") <(echo "$have"))"
! grep -rlF "$tmp" "$root/share" "$root/libexec" || fail "an installed file names the staging folder"
[ "$(sed -n 's/^Exec=//p' "$root/share/applications/screensavers/kalosaver.desktop")" = \
  "$prefix/libexec/xscreensaver/kalosaver --root" ] || fail "the saver entry runs another path"
"$root/libexec/xscreensaver/kalosaver" --version | grep -q '^kalosaver ' ||
  fail "XScreenSaver's link does not reach the program inside the staging folder"

for entry in kalosaver.desktop kalosaver-open.desktop screensavers/kalosaver.desktop; do
  out=$(desktop-file-validate "$root/share/applications/$entry" 2>&1) || fail "$entry: $out"
  ! grep -v ': hint: ' <<<"$out" | grep . || fail "$entry: $out"
done
out=$(appstreamcli validate --no-net "$root/share/metainfo/"*.xml 2>&1) || fail "metainfo: $out"
# appstream before 1.0 (Debian 12) has not heard of the developer tag that
# 1.0 asks for in place of developer_name, and says so.
! grep -E '^[EWI]:' <<<"$out" | grep -v ': unknown-tag developer$' || fail "metainfo: $out"
[ "$(xmllint --xpath 'string(//project_license)' "$root/share/metainfo/"*.xml)" = MIT ] &&
  head -n 1 "$root/share/doc/kalosaver/LICENSE" | grep -qx 'MIT License' || fail "the licences differ"
xmllint --noout "$root/share/xscreensaver/config/kalosaver.xml" "$root/share/mime/packages/kalosaver.xml" \
  "$root/share/icons/hicolor/scalable/apps/kalosaver.svg"

# Every option the hosts' settings apps may pass is listed by --help and
# accepted as written. Sliders and spin buttons start at 0, which neither
# XScreenSaver's app (leaving out a default) nor Xfce's (leaving out a 0)
# passes; every other place is a value the program takes.
program=$root/bin/kalosaver
help=$("$program" --help)
listed() { grep -qE "^  (-[a-z], )?$1( |$)" <<<"$help" || fail "--help does not list $1"; }
accepted() { "$program" "$@" --version >/dev/null 2>&1; }
config=$root/share/xscreensaver/config/kalosaver.xml
xpath() { xmllint --xpath "$1" "$config"; }
while read -r args; do
  listed "${args%% *}"
  accepted $args || fail "the program refuses $args"
done < <(xpath '//@arg-set | //@arg-unset | //command/@arg' | sed 's/^[^"]*"//; s/"$//')
for ((i = 1; i <= $(xpath 'count(//number)'); i++)); do
  arg=$(xpath "string((//number)[$i]/@arg)")
  low=$(xpath "string((//number)[$i]/@low)")
  high=$(xpath "string((//number)[$i]/@high)")
  listed "${arg%% *}"
  [ "$low" = 0 ] && [ "$(xpath "string((//number)[$i]/@default)")" = 0 ] ||
    fail "$arg: the control does not start at 0"
  for v in 1 "$high"; do
    accepted ${arg/\%/$v} || fail "the program refuses ${arg/\%/$v}"
  done
  ! accepted ${arg/\%/$((high + 1))} || fail "the program takes ${arg/\%/$((high + 1))}, beyond the control's range"
done

# The manual renders at 80 columns without a warning and gives each switch and option of
# --help an entry of its own, and no other.
man_page=$root/share/man/man6/kalosaver.6
manual=$(MANWIDTH=80 LC_ALL=C.UTF-8 man --warnings -l "$man_page" 2>"$tmp/man.err")
[ ! -s "$tmp/man.err" ] || fail "man: $(cat "$tmp/man.err")"
help_words=$(grep -oE '^  (/[a-z]|-[a-z], --[a-z-]+|--[a-z-]+)' <<<"$help" | grep -oE '/[a-z]|-+[a-z-]+' |
  LC_ALL=C sort -u)
for word in $help_words; do
  grep -qE -- "^ {7}(-[a-z], )?$word([ ,]|$)" <<<"$manual" || fail "the manual has no entry for $word"
done
for word in $(grep -oE -- '--[a-z][a-z-]*' <<<"$manual" | LC_ALL=C sort -u); do
  grep -qxF -- "$word" <<<"$help_words" || fail "the manual documents $word, which --help does not list"
done

# Installed straight into a prefix: the hosts' entries and xsecurelock's
# module run the program, and the MIME database knows canvas files.
own=$tmp/own
# (The MIME tool says on stderr that this prefix is not searched: true here.)
"$cmake" --install "$build" --prefix "$own" >/dev/null 2>"$tmp/own.err" || fail "$(cat "$tmp/own.err")"
"$own/libexec/xsecurelock/helpers/saver_kalosaver" --version | grep -q '^kalosaver ' ||
  fail "xsecurelock's module does not run the program"
[ -x "$(sed -n 's/^TryExec=//p' "$own/share/applications/screensavers/kalosaver.desktop")" ] ||
  fail "the saver entry's TryExec is not the installed program"

head='%%% PLEASE DO NOT EDIT OR CHANGE THIS KaloDraw DATA FILE!
%%% This file is in a VERY PARTICULAR FORMAT.  '\''KaloDraw'\''
%%% WILL CRASH if it attempts to load an altered data file!
%%% This file was generated from KaloDraw DESIGN PROCESSOR.'
printf '%s\nKALOSAVERCANVAS1c\n 0 /\n' "$head" | sed 's/$/\r/' >"$tmp/saved"
printf '%s\nKALOSAVERCANVAS1c\n 0 /\n' "$head" >"$tmp/unix-lines"
printf '%s\nsomething else\n' "$head" >"$tmp/no-stamp"
printf 'notes\n' >"$tmp/named.cvd"
while read -r file type; do
  got=$(XDG_DATA_DIRS=$own/share XDG_DATA_HOME=$tmp/none gio info -a standard::content-type "$tmp/$file" |
    sed -n 's/^ *standard::content-type: //p')
  [ "$got" = "$type" ] || fail "$file is taken for $got, not $type"
done <<'EOF'
saved application/x-kalosaver-canvas
unix-lines application/x-kalosaver-canvas
no-stamp text/plain
named.cvd application/x-kalosaver-canvas
EOF
opener=$(PATH=$own/bin:$PATH XDG_DATA_DIRS=$own/share XDG_DATA_HOME=$tmp/none \
  XDG_CONFIG_HOME=$tmp/none gio mime application/x-kalosaver-canvas)
grep -q 'Default application.*: kalosaver-open.desktop' <<<"$opener" ||
  fail "canvas files do not open with the program: $opener"
echo "install: all checks passed"
