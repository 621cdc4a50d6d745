# "/s" covers the screen in the background colour and any key ends it at once
# with status 0; "/w" makes the background white, "/c" a given colour.
source "$(dirname "$0")/lib.sh"

# A slow stroke pace keeps the first design small, so the screen away from
# the centre still shows the plain background when it is looked at.
write_settings "DrawDelay=1000"

start_shown /s
expect_pixels 5000 "#000000" "${OUTER_POINTS[@]}"
ends_saver -r key x

start_shown /s /w
expect_pixels 5000 "#FFFFFF" "${OUTER_POINTS[@]}"
ends_saver -r key Escape

# 255 is pure red; "/c" wins over "/w". The click lands beside the hint in
# the middle of the screen, on the window itself.
xdotool mousemove 100 100
start_shown /w /s /c255
expect_pixels 5000 "#FF0000" "${OUTER_POINTS[@]}"
ends_saver -r click 1
echo "PASS"
