# Each design type, enabled alone in the profile, is the one drawn: "/s"
# fills the screen with it and a key ends the saver with status 0; "/s /d"
# shows the type's own name over the design; and the design handed over in
# companion mode records that type with that type's number of fields.
source "$(dirname "$0")/lib.sh"

# Fields of one layer record: type, colour, width, stretch, the type's own
# parameters and the draw mode.
declare -A RECORD_FIELDS=([KaloSpiral]=14 [KaloYarn]=8 [KaloStar]=9 [KaloGons]=10 [KaloAngle]=8
  [KaloBoxes]=25)
# The name button, 81x25 pixels, stands centred on the design, and "/d"
# keeps every design in the middle of the screen; its face without the
# rounded edge, where only the caption differs from one type to the next.
NAME_FACE=75x19+603+391

# Any pixel off the background away from the controls is drawn; a small
# Spiral can hide almost all of itself behind the hint in the middle.
declare -A name_face_sums
number=0
for type in "${DESIGN_TYPES[@]}"; do
  write_settings_for_type "$type" MaxLayers=1 ShowAbout=FALSE SolidMix=Solid

  start_drawing -n 20 /s
  ends_saver key x

  folder="$E2E_TMP/$type"
  mkdir -p "$folder"
  start_saver_in "$folder" /s /d /z
  wait_for_window 10000 >/dev/null || fail "$type: no saver window with /d /z"
  wait_for_drawing 20000 20
  deadline=$(($(now_ms) + 5000))
  until plain_button_row 603 390 678; do
    (($(now_ms) < deadline)) || fail "$type: no name button over the design"
    sleep 0.1
    screenshot
  done
  name_face_sums[$type]=$(convert "$E2E_TMP/screen.png" -crop "$NAME_FACE" +repage rgb:- | md5sum)
  xdotool key space
  dialog=$(wait_for_named_window "Auto-Draw Load Request" 30000) ||
    fail "$type: the marked design was never offered"
  keys_to_window "$dialog" Return
  wait_exit "$SAVER_PID" 10000
  [ "$EXIT_STATUS" -eq 0 ] || fail "$type: the hand-off ended with status $EXIT_STATUS"
  check_canvas_file "$folder/kalosave.cvd" 1
  got=$(canvas_design_type "$folder/kalosave.cvd")
  [ "$got" = "$number" ] || fail "$type enabled alone, but design type $got was drawn"
  # One layer: one record, the background field in front of it.
  fields=$(canvas_field_count "$folder/kalosave.cvd" 6)
  [ "$fields" -eq $((RECORD_FIELDS[$type] + 1)) ] ||
    fail "$type: the record holds $fields fields"
  number=$((number + 1))
done

# Six names, six different captions.
distinct=$(printf '%s\n' "${name_face_sums[@]}" | sort -u | wc -l)
[ "$distinct" -eq 6 ] || fail "the name button showed only $distinct different captions for six types"
echo "PASS"
