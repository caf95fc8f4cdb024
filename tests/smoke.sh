#!/usr/bin/env bash
# Starts the real program on a virtual X display, finds its window, checks its size,
# takes a screenshot and ends it with a click on "&Saida". Then starts it again and has
# another client destroy its window without a close request: the program must end too.
set -euo pipefail
bin=$1
shot=${2:-screenshot.png}

# Starts the program and waits for its window: sets pid and wid in the caller's scope.
start() {
  export QT_QPA_PLATFORM=xcb
  "$1" &
  pid=$!
  wid=""
  for _ in $(seq 150); do
    wid=$(xdotool search --onlyvisible --name '^Vistara$' 2>/dev/null | head -n 1 || true)
    [ -n "$wid" ] && break
    sleep 0.1
  done
  if [ -z "$wid" ]; then echo "no window titled Vistara"; kill "$pid"; exit 1; fi
}

run() {
  local bin=$1 shot=$2
  local pid wid
  start "$bin"
  sleep 0.5  # let the first paint finish before the screenshot
  eval "$(xdotool getwindowgeometry --shell "$wid")"
  echo "window ${WIDTH}x${HEIGHT}"
  if [ "$WIDTH" != 640 ] || [ "$HEIGHT" != 480 ]; then echo "expected 640x480"; kill "$pid"; exit 1; fi
  import -window "$wid" "$shot"
  # "&Saida" lies at 7800, 3600 twips, 1425 x 405: its centre is at 567, 253 pixels.
  xdotool mousemove --window "$wid" 567 253 click 1
  ended "$pid" "Saida"
}

# Waits up to 10 s for the program to end after `what`.
ended() {
  local pid=$1 what=$2
  for _ in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then echo "still running after $what"; kill "$pid"; exit 1; fi
  local status=0
  wait "$pid" || status=$?
  echo "ended after $what with status $status"
}

destroyed() {
  local bin=$1
  local pid wid
  start "$bin"
  xdotool windowclose "$wid"  # destroys the window; no close request is sent
  ended "$pid" "its window was destroyed"
}

if [ "${SMOKE_ON_DISPLAY:-}" = 1 ]; then
  run "$bin" "$shot"
  destroyed "$bin"
else
  SMOKE_ON_DISPLAY=1 exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$bin" "$shot"
fi
