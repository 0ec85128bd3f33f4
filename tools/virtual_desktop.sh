# Sourced, not run: the desktop that the end-to-end test and the desktop
# benchmark run the real program on. Inside an X server (xvfb-run), it starts
# openbox as window manager, trayer as notification area and our local quote
# service; all of them end with the sourcing script, and its scratch folder
# $work goes too.

work=$(mktemp -d)
desktop_pids=()
desktop_cleanup() {
  for pid in "${desktop_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap desktop_cleanup EXIT

# Waits up to 10 s for a command to succeed.
wait_for() {
  for _ in $(seq 1000); do
    if "$@" >/dev/null 2>&1; then return 0; fi
    sleep 0.01
  done
  return 1
}

desktop_wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'; }

# start_desktop QUOTE_SERVICE [service options]: gives false when a part did
# not come up; points the program at the quote service.
start_desktop() {
  local service=$1
  shift
  openbox >/dev/null 2>&1 &
  desktop_pids+=($!)
  wait_for desktop_wm_ready || { echo "no window manager" >&2; return 1; }
  trayer --edge top --align right --widthtype request --height 24 --transparent false \
    >/dev/null 2>&1 &
  desktop_pids+=($!)
  wait_for xdotool search --name '^panel$' || { echo "no notification area" >&2; return 1; }
  "$service" --port 0 "$@" >"$work/port" &
  desktop_pids+=($!)
  wait_for test -s "$work/port" || { echo "quote service did not start" >&2; return 1; }
  export ZORVANE_QUOTE_HOST="127.0.0.1:$(head -n1 "$work/port")"
}
