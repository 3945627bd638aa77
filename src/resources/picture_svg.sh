# Sourced by the icon scripts: the standard 16-colour palette and the SVG of a picture
# given as the array `picture`, 32 rows of 32 characters, each a hex digit for a palette
# index or "." for a transparent pixel.

# The standard 16-colour palette, as red, green, blue.
palette=(000000 800000 008000 808000 000080 800080 008080 c0c0c0
         808080 ff0000 00ff00 ffff00 0000ff ff00ff 00ffff ffffff)
size=32

# Writes the picture to the file as an SVG: each row's runs of one colour as a rectangle,
# crisp at any size.
write_picture_svg() {
  local y x end row pixel
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
  } >"$1"
}
