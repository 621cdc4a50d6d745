# Outside companion mode a marked design is offered twice when it is
# finished: as a bitmap of the screen's picture, then as a canvas data file,
# each through a save-file dialog; the about box follows, and the saver goes
# on until a key ends it. The canvas dialog offers the bitmap's name with the
# canvas extension, in the bitmap's folder.
source "$(dirname "$0")/lib.sh"

write_settings_for_type KaloStar MaxLayers=2 ShowAbout=FALSE SolidMix=Solid
art="$E2E_TMP/art"
mkdir -p "$art"

start_drawing -n 500 /s
xdotool key space

# The picture as the screen shows it while the user is asked about it.
note_question() {
  screenshot
  cp "$E2E_TMP/screen.png" "$E2E_TMP/asked.png"
  eval "$(xdotool getwindowgeometry --shell "$1")"
  question_box="$X,$Y,$((X + WIDTH)),$((Y + HEIGHT))"
}
save_marked_design "$art/one.bmp" note_question
stays_alive "$SAVER_PID" 500 || fail "the saver ended after the about box"
ends_saver key x

[ "$(ls -A "$art" | sort | tr '\n' ' ')" = "one.bmp one.cvd " ] ||
  fail "saved files: $(ls -A "$art")"

# An uncompressed 24-bit bitmap of the whole screen: 54 header bytes and
# 1280 rows of 800 pixels, each row 3840 bytes.
bmp="$art/one.bmp"
[ "$(head -c 2 "$bmp")" = BM ] || fail "one.bmp is not a bitmap"
header=$(od -An -tu4 -j18 -N8 "$bmp" | tr -s ' ')
[ "$header" = " 1280 800" ] || fail "one.bmp is not 1280x800 but$header"
[ "$(od -An -tu2 -j28 -N2 "$bmp" | tr -d ' ')" = 24 ] || fail "one.bmp is not 24 bits a pixel"
[ "$(stat -c %s "$bmp")" -eq $((54 + 800 * 1280 * 3)) ] || fail "one.bmp has the wrong size"
identify "$bmp" >/dev/null || fail "one.bmp cannot be read"
# Away from the controls and the question, it holds the picture the screen
# showed, and that picture is a design.
masks=()
for box in "$TOP_BOX" "$HINT_BOX" "$FOOTER_BOX" "$question_box"; do
  masks+=(-draw "rectangle ${box//,/ }")
done
convert "$bmp" -fill black "${masks[@]}" "$E2E_TMP/saved.png"
convert "$E2E_TMP/asked.png" -fill black "${masks[@]}" "$E2E_TMP/shown.png"
differ=$(compare -metric AE "$E2E_TMP/saved.png" "$E2E_TMP/shown.png" null: 2>&1 || true)
[ "$differ" = 0 ] || fail "one.bmp differs from the screen in $differ pixels"
cp "$E2E_TMP/saved.png" "$E2E_TMP/screen.png"
(($(drawn_pixels) >= 500)) || fail "one.bmp holds no design"

check_canvas_file "$art/one.cvd" 1
[ "$(canvas_design_type "$art/one.cvd")" = 2 ] || fail "the canvas file does not hold a Star"
echo "PASS"
