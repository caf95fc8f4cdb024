#!/usr/bin/env bash
# Starts the real program on a virtual X display, finds its window, checks its size,
# takes a screenshot and ends it with a click on "&Saida".
set -euo pipefail
bin=$1
shot=${2:-screenshot.png}

run() {
  local bin=$1 shot=$2
  export QT_QPA_PLATFORM=xcb
  "$bin" &
  local pid=$! wid=""
  for _ in $(seq 150); do
    wid=$(xdotool search --onlyvisible --name '^Vistara$' 2>/dev/null | head -n 1 || true)
    [ -n "$wid" ] && break
    sleep 0.1
  done
  if [ -z "$wid" ]; then echo "no window titled Vistara"; kill "$pid"; exit 1; fi
  sleep 0.5  # let the first paint finish before the screenshot
  eval "$(xdotool getwindowgeometry --shell "$wid")"
  echo "window ${WIDTH}x${HEIGHT}"
  if [ "$WIDTH" != 640 ] || [ "$HEIGHT" != 480 ]; then echo "expected 640x480"; kill "$pid"; exit 1; fi
  import -window "$wid" "$shot"
  # "&Saida" lies at 7800, 3600 twips, 1425 x 405: its centre is at 567, 253 pixels.
  xdotool mousemove --window "$wid" 567 253 click 1
  for _ in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then echo "still running after Saida"; kill "$pid"; exit 1; fi
  wait "$pid"
  echo "ended with status $?"
}
if [ "${SMOKE_ON_DISPLAY:-}" = 1 ]; then
  run "$bin" "$shot"
else
  SMOKE_ON_DISPLAY=1 exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$bin" "$shot"
fi
