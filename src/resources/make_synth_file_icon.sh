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

source "$(dirname "$0")/picture_svg.sh"
write_picture_svg "$output"
