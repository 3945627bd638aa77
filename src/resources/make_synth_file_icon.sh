#!/usr/bin/env bash
# Writes synth-file.svg, the icon a Linux desktop's file manager shows for a Synth file
# (".syn"): a page with a folded corner holding the composer's oscilloscope screen and its
# pulse wave, in the composer icon's 16 colours. The picture below is the source: one
# character per pixel, a hex digit for a palette index and "." for a transparent pixel.
#   usage: make_synth_file_icon.sh [output.svg]   (default: beside this script)
set -euo pipefail
output=${1:-"$(dirname "$0")/synth-file.svg"}

picture=(
  "....888888888888888888.........."
  "....8FFFFFFFFFFFFFFFF88........."
  "....8FFFFFFFFFFFFFFFF878........"
  "....8FFFFFFFFFFFFFFFF8778......."
  "....8FFFFFFFFFFFFFFFF87778......"
  "....8FFFFFFFFFFFFFFFF877778....."
  "....8FFFFFFFFFFFFFFFF8888888...."
  "....8FFFFFFFFFFFFFFFFFFFFFF8...."
  "....8FFFFFFFFFFFFFFFFFFFFFF8...."
  "....8FFFFFFFFFFFFFFFFFFFFFF8...."
  "....8FF000000000000000000FF8...."
  "....8FF000000000000000000FF8...."
  "....8FF000000000000000000FF8...."
  "....8FF0AAAA000AAAAA00000FF8...."
  "....8FF0000A000A000A00000FF8...."
  "....8FF0000A000A000A00000FF8...."
  "....8FF0000A000A000A00000FF8...."
  "....8FF0000A000A000A00000FF8...."
  "....8FF0202A202A202A20200FF8...."
  "....8FF0000A000A000A00000FF8...."
  "....8FF0000A000A000A00000FF8...."
  "....8FF0000A000A000A00000FF8...."
  "....8FF0000A000A000A00000FF8...."
  "....8FF0000A000A000A00000FF8...."
  "....8FF0000AAAAA000AAAAA0FF8...."
  "....8FF000000000000000000FF8...."
  "....8FF000000000000000000FF8...."
  "....8FF000000000000000000FF8...."
  "....8FFFFFFFFFFFFFFFFFFFFFF8...."
  "....8FFFFFFFFFFFFFFFFFFFFFF8...."
  "....8FFFFFFFFFFFFFFFFFFFFFF8...."
  "....888888888888888888888888...."
)

# The standard 16-colour palette, as red, green, blue.
palette=(000000 800000 008000 808000 000080 800080 008080 c0c0c0
         808080 ff0000 00ff00 ffff00 0000ff ff00ff 00ffff ffffff)

# Each row's runs of one colour as a rectangle, crisp at any size.
size=32
{
  echo "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"$size\" height=\"$size\" viewBox=\"0 0 $size $size\" shape-rendering=\"crispEdges\">"
  for ((y = 0; y < size; y++)); do
    row=${picture[y]}
    for ((x = 0; x < size; x = end)); do
      pixel=${row:x:1}
      for ((end = x + 1; end < size; end++)); do [ "${row:end:1}" = "$pixel" ] || break; done
      [ "$pixel" = "." ] && continue
      echo "  <rect x=\"$x\" y=\"$y\" width=\"$((end - x))\" height=\"1\" fill=\"#${palette[16#$pixel]}\"/>"
    done
  done
  echo "</svg>"
} >"$output"
