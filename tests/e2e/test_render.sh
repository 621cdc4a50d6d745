# A design the saver saved comes back from its canvas file: --render draws
# it into an image pixel for pixel like the bitmap saved with it, with or
# without a display, and --open draws it on the screen stroke by stroke until
# a key ends it. A damaged file is refused with the line and field at fault,
# and nothing is drawn.
source "$(dirname "$0")/lib.sh"

art="$E2E_TMP/art"
mkdir -p "$art"
write_settings_for_type KaloStar MaxLayers=3 ShowAbout=FALSE

# The saver saves one.bmp and one.cvd of the design being drawn. A Star of a
# cluster picture (one in ten) is small and stands off the middle, where the
# file cannot say; at 1280 x 800 it always has radius 120, a single Star at
# least 216. Such a save is made again.
for attempt in 1 2 3 4; do
  rm -f "$art"/*
  start_drawing -n 500 /s
  xdotool key space
  save_marked_design "$art/one.bmp"
  ends_saver key x
  check_canvas_file "$art/one.cvd" 1
  radius=$(sed -n 6p "$art/one.cvd" | cut -d'\' -f6 | tr -d ' ')
  ((radius >= 216)) && break
  ((attempt < 4)) || fail "four cluster pictures in a row"
done

same_pixels() {
  local differ
  differ=$(compare -metric AE "$1" "$2" null: 2>&1) || true
  [ "$differ" = 0 ] || fail "$(basename "$2") differs from $(basename "$1") in $differ pixels"
}

# At the screen's size, given or taken from the display, and with the
# default name beside the canvas file.
"$KALOSAVER" --render "$art/one.cvd" --size 1280x800 -o "$art/exact.png" || fail "--render failed"
same_pixels "$art/one.bmp" "$art/exact.png"
"$KALOSAVER" --render "$art/one.cvd" || fail "--render at the screen's size failed"
same_pixels "$art/one.bmp" "$art/one.png"

# Another size is the same picture: the design grows as much as the picture
# outgrows the screen of the bitmap saved with it (or the one --from names),
# about the middle; --fit makes it fill that share of the shorter side. The
# saved Star is drawn with its radius made 150, to leave the picture's edges
# free, its pens at least 3 wide (a thin line leaves out its last pixel, where
# a grown pen is round) and in copy mode (where strokes that mix with the
# picture overlap, what they clear depends on the pixels).
awk -F'\\' -v OFS='\\' 'NR == 6 { $6 = " 150"; if ($4 < 3) $4 = " 3" }
  NR > 6 { $5 = " 150"; if ($3 < 3) $3 = " 3" } NR >= 6 { $(NF - 1) = " 13" } 1' \
  "$art/one.cvd" >"$art/star.cvd"
cp "$art/one.bmp" "$art/star.bmp"
# The sides of the drawing seen from the image's middle, in half pixels: left
# top right bottom, then the image's shorter side.
sides() {
  convert "$1" -trim -format '%X %Y %w %h %W %H' info: | tr -d + |
    awk '{ print 2*$1-$5, 2*$2-$6, 2*($1+$3)-$5, 2*($2+$4)-$6, ($5 < $6 ? $5 : $6) }'
}
scaled() {
  "$KALOSAVER" --render "$art/star.cvd" "$@" -o "$art/sized.png" || fail "--render $* failed"
  sides "$art/sized.png"
}
# Whether each number in $2 is within $3 of the one in its place in $1.
near() {
  awk -v a="$1" -v b="$2" -v d="$3" \
    'BEGIN { n = split(b, y); split(a, x); for (i = 1; i <= n; i++) if (x[i] - y[i] > d || y[i] - x[i] > d) exit 1 }'
}
twice=$(scaled --size 1280x800 | awk '{ print 2*$1, 2*$2, 2*$3, 2*$4 }')
for options in "--size 2560x1600" "--size 2560x1600 --from 1280x800"; do
  [ "${options#*from}" = "$options" ] || mv "$art/star.bmp" "$art/saved.bmp"
  got=$(scaled $options)
  near "$got" "$twice" 4 || fail "$options: the drawing's sides lie at $got, not $twice"
done
for fit in "90 --size 1000x700 --fit 90" "50 --size 640x400 --fit=50% --from 1280x800"; do
  read -r l t r b shorter <<<"$(scaled ${fit#* })"
  longer=$((r - l > b - t ? r - l : b - t))
  near "$longer $((l + r)) $((t + b))" "$((shorter * 2 * ${fit%% *} / 100)) 0 0" 4 ||
    fail "${fit#* }: the drawing's sides lie at $l $t $r $b"
done

# No display: the size asked for, or 1920 x 1080; a BMP for a .bmp name.
(unset DISPLAY WAYLAND_DISPLAY && "$KALOSAVER" --render "$art/one.cvd" -o "$art/wide.png" &&
  "$KALOSAVER" --render "$art/one.cvd" --size 64x48 -o "$art/small.bmp") ||
  fail "--render without a display failed"
[ "$(identify -format '%m %wx%h' "$art/wide.png")" = "PNG 1920x1080" ] || fail "wide.png"
[ "$(identify -format '%m %wx%h' "$art/small.bmp")" = "BMP3 64x48" ] || fail "small.bmp"

# Refusals: one line on stderr, status 1, and no image.
expect_refusal() {
  local want=$1 status=0
  shift
  "$KALOSAVER" "$@" 2>"$E2E_TMP/err" || status=$?
  [ "$status" = 1 ] || fail "$* ended with status $status"
  [ "$(wc -l <"$E2E_TMP/err")" = 1 ] && grep -qF "$want" "$E2E_TMP/err" ||
    fail "$* said: $(cat "$E2E_TMP/err")"
}
sed '6s/^ \([0-9]*\)\\ 2\\/ \1\\ 9\\/' "$art/one.cvd" >"$art/bad.cvd"
expect_refusal "kalosaver: $art/bad.cvd: line 6, field 2: design type 9 is not within 0 to 5" \
  --render "$art/bad.cvd"
[ ! -e "$art/bad.png" ] || fail "a damaged canvas file left an image"
cp "$art/one.cvd" "$art/kept.png"
expect_refusal "the image would replace the canvas file" --render "$art/kept.png"
expect_refusal "the image would replace the canvas file" --render "$art/kept.png" -o "$art/../art/kept.png"
expect_refusal "the image would replace the bitmap saved with the canvas file" \
  --render "$art/one.cvd" -o "$art/one.bmp"
cmp -s "$art/one.cvd" "$art/kept.png" || fail "the canvas file was overwritten"
expect_refusal "$art/none/x.png: Error 2: No such file or directory" \
  --render "$art/one.cvd" -o "$art/none/x.png"
expect_refusal "kalosaver: Error 22: /dev/full is not a regular file" \
  --render "$art/one.cvd" -o /dev/full

# A bitmap is written a row at a time: with too little memory for a copy of
# the picture it is still whole, and never a bare header.
echo "old" >"$art/big.bmp"
status=0
(ulimit -v 300000 && exec "$KALOSAVER" --render "$art/one.cvd" --size 3840x2160 \
  -o "$art/big.bmp") 2>"$E2E_TMP/err" || status=$?
if ! grep -q AddressSanitizer "$E2E_TMP/err"; then
  [ "$status" = 0 ] || fail "a big bitmap in little memory: $(cat "$E2E_TMP/err")"
  [ "$(stat -c %s "$art/big.bmp")" = $((54 + 3840 * 3 * 2160)) ] || fail "big.bmp is cut short"
fi

# --open: the screen becomes the saved picture and stays so; any key ends it,
# the space bar too.
start_saver --open "$art/one.cvd" --draw-delay 0
wait_for_named_window "^one.cvd - KaloSaver$" 10000 >/dev/null || fail "no window for --open"
deadline=$(($(now_ms) + 20000))
until screenshot && [ "$(compare -metric AE "$art/one.bmp" "$E2E_TMP/screen.png" null: 2>&1)" = 0 ]; do
  (($(now_ms) < deadline)) || fail "--open never showed the saved picture"
  sleep 0.2
done
stays_alive "$SAVER_PID" 500 || fail "--open ended by itself"
ends_saver key space
# Saved on a smaller screen, it is grown to this one, pixel for pixel as
# --render grows it.
"$KALOSAVER" --render "$art/one.cvd" --from 640x400 --size 1280x800 -o "$art/grown.png"
start_saver --open "$art/one.cvd" --from 640x400 --draw-delay 0
deadline=$(($(now_ms) + 20000))
until screenshot && [ "$(compare -metric AE "$art/grown.png" "$E2E_TMP/screen.png" null: 2>&1)" = 0 ]; do
  (($(now_ms) < deadline)) || fail "--open --from 640x400 never showed the grown picture"
  sleep 0.2
done
ends_saver key x
# At the slowest pace the first strokes show long before the last.
start_saver --open "$art/one.cvd" --draw-delay 999
wait_for_drawing 20000 1
[ "$(compare -metric AE "$art/one.bmp" "$E2E_TMP/screen.png" null: 2>&1)" != 0 ] ||
  fail "--draw-delay 999 showed the whole picture at once"
ends_saver click 1
# A damaged file: said on stderr, and in a message box where there is a screen.
start_saver --open "$art/bad.cvd"
box=$(wait_for_named_window "^KaloSaver$" 10000) || fail "no message box for a damaged file"
keys_to_window "$box" Return
wait_exit "$SAVER_PID" 10000
[ "$EXIT_STATUS" = 1 ] || fail "--open of a damaged file ended with status $EXIT_STATUS"
grep -qF "bad.cvd: line 6, field 2: design type 9" "$E2E_TMP/saver.log" || fail "nothing on stderr"
(unset DISPLAY WAYLAND_DISPLAY && expect_refusal "line 6, field 2" --open "$art/bad.cvd")
echo "PASS"
