#!/usr/bin/env bash
# Starts the real game on its own 800 x 600 X screen, presses F1 (a match), 7 (split screen),
# Escape (back to the title) and F12 (quit) with real key events, and expects exit status 0.
# Usage: end_to_end.sh path/to/tarvex [screenshot-dir]   (run from the source root)
set -euo pipefail
game=$(realpath "$1")
shots=${2:-}
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
export LIBGL_ALWAYS_SOFTWARE=1
export TARVEX_GAME_BIN=$game TARVEX_SHOTS=$shots

exec xvfb-run -a -s "-screen 0 800x600x24" bash -c '
set -u
shot() { [ -n "$TARVEX_SHOTS" ] && import -window root "$TARVEX_SHOTS/$1.png" 2>/dev/null; true; }
alive() { kill -0 "$pid" 2>/dev/null; }
"$TARVEX_GAME_BIN" &
pid=$!
if ! timeout 20 xdotool search --sync --onlyvisible --name "^TARVEX 3D" >/dev/null; then
  echo "no game window appeared"; kill "$pid" 2>/dev/null; exit 1
fi
sleep 1.5; shot title
for step in F1:match 7:split Escape:title-again; do
  key=${step%%:*}
  alive || { echo "game ended before $key"; wait "$pid"; exit 1; }
  xdotool key "$key"
  sleep 1.5; shot "${step#*:}"
done
alive || { echo "game ended before F12"; wait "$pid"; exit 1; }
xdotool key F12
for i in $(seq 100); do alive || break; sleep 0.1; done
if alive; then echo "game still running 10 s after F12"; kill "$pid"; wait "$pid"; exit 1; fi
wait "$pid"; status=$?
echo "game exited with status $status"
exit $status
'
