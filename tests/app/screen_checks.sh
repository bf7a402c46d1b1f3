# Screen checks shared by the end-to-end tests of the game (sourced; needs $screen, $pid and
# $TARVEX_SHOTS set by the caller).
# Takes a screenshot of the whole X screen, kept in $TARVEX_SHOTS/NAME.png when that is set.
shot() {
  import -window root "$screen" 2>/dev/null
  if [ -n "$TARVEX_SHOTS" ]; then cp "$screen" "$TARVEX_SHOTS/$1.png"; fi
}
# Whether the pixel at x,y of the last screenshot has the clear colour (51, 153, 204).
clear_colour_at() {
  local rgb
  rgb=$(convert "$screen" -format "%[fx:int(255*p{$1,$2}.r)] %[fx:int(255*p{$1,$2}.g)] %[fx:int(255*p{$1,$2}.b)]" info:)
  set -- $rgb
  [ $(( ($1-51)*($1-51) + ($2-153)*($2-153) + ($3-204)*($3-204) )) -le 12 ]
}
# Whether the pixel at x,y of the last screenshot is dark (the paused mark).
dark_at() {
  local sum
  sum=$(convert "$screen" -format "%[fx:int(255*(p{$1,$2}.r+p{$1,$2}.g+p{$1,$2}.b))]" info:)
  [ "$sum" -lt 200 ]
}
alive() { kill -0 "$pid" 2>/dev/null; }
fail() { echo "$1"; kill "$pid" 2>/dev/null; wait "$pid"; exit 1; }
# The split screen: the two middle columns keep the clear colour, the left half is drawn.
check_split_divider() {
  local y
  for y in 100 300 500; do
    clear_colour_at 399 $y && clear_colour_at 400 $y || fail "no split-screen divider at row $y"
  done
  clear_colour_at 200 300 && fail "the left half is not drawn"
  return 0
}
