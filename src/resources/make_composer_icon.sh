#!/usr/bin/env bash
# Writes composer.ico (icon group 105): one 32 x 32 image in the 16 standard colours,
# a pulse wave on a small oscilloscope screen; and the same picture as composer.svg, the
# icon a Linux desktop's menu shows. The picture below is the source: one character per
# pixel, a hex digit for a palette index and "." for a transparent pixel.
#   usage: make_composer_icon.sh [output.ico [output.svg]]   (default: beside this script)
set -euo pipefail
output=${1:-"$(dirname "$0")/composer.ico"}
svg_output=${2:-"$(dirname "$0")/composer.svg"}

picture=(
  "...88888888888888888888888888..."
  "..8000000000000000000000000008.."
  ".800000000000000000000000000008."
  "80000000000000000000000000000008"
  "80000000000000000000000000000008"
  "80000000000000000000000000000008"
  "80000000000000000000000000000008"
  "800AAAAA000000AAAAAA000000000008"
  "800AAAAA000000AAAAAA000000000008"
  "800000AA000000AA00AA000000000008"
  "800000AA000000AA00AA000000000008"
  "800000AA000000AA00AA000000000008"
  "800000AA000000AA00AA000000000008"
  "800000AA000000AA00AA000000000008"
  "800000AA000000AA00AA000000000008"
  "800000AA000000AA00AA000000000008"
  "800202AA020202AA02AA020202020008"
  "800000AA000000AA00AA000000000008"
  "800000AA000000AA00AA000000000008"
  "800000AA000000AA00AA000000000008"
  "800000AA000000AA00AA000000000008"
  "800000AA000000AA00AA000000000008"
  "800000AA000000AA00AA000000000008"
  "800000AAAAAAAAAA00AAAAAAAAAAA008"
  "800000AAAAAAAAAA00AAAAAAAAAAA008"
  "80000000000000000000000000000008"
  "80000000000000000000000000000008"
  "80000000000000000000000000000008"
  "80000000000000000000000000000008"
  ".800000000000000000000000000008."
  "..8000000000000000000000000008.."
  "...88888888888888888888888888..."
)

source "$(dirname "$0")/picture_svg.sh"
colour_bytes=$((size * size / 2))  # 4 bits a pixel; a 16-byte row needs no padding
mask_bytes=$((size * size / 8))    # 1 bit a pixel; a 4-byte row needs no padding
header_bytes=40
image_bytes=$((header_bytes + 16 * 4 + colour_bytes + mask_bytes))

hex=""
u8() { hex+=$(printf '%02x' "$1"); }
u16() { u8 $(($1 & 255)); u8 $(($1 >> 8 & 255)); }
u32() { u16 $(($1 & 65535)); u16 $(($1 >> 16 & 65535)); }

# The icon directory: one image.
u16 0; u16 1; u16 1
u8 "$size"; u8 "$size"; u8 16; u8 0; u16 1; u16 4; u32 "$image_bytes"; u32 22

# The image: its header (height counts colour and mask), palette, colours, mask.
u32 "$header_bytes"; u32 "$size"; u32 $((2 * size)); u16 1; u16 4
u32 0; u32 $((colour_bytes + mask_bytes)); u32 0; u32 0; u32 16; u32 0
for colour in "${palette[@]}"; do hex+="${colour:4:2}${colour:2:2}${colour:0:2}00"; done  # blue, green, red, 0

# Rows are stored bottom-up, the left pixel in the high bits.
for ((y = size - 1; y >= 0; y--)); do
  row=${picture[y]//./0}
  hex+=${row,,}
done
for ((y = size - 1; y >= 0; y--)); do
  row=${picture[y]}
  for ((byte = 0; byte < size / 8; byte++)); do
    bits=0
    for ((bit = 0; bit < 8; bit++)); do
      [ "${row:byte * 8 + bit:1}" = "." ] && bits=$((bits | 128 >> bit))
    done
    u8 "$bits"
  done
done

printf '%b' "$(sed 's/../\\x&/g' <<<"$hex")" >"$output"

write_picture_svg "$svg_output"
