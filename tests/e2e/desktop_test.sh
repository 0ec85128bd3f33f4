#!/usr/bin/env bash
# Starts the real Zorvane on a virtual screen (Xvfb, with openbox as window
# manager and trayer as notification area) against our local quote service,
# and checks what a person would see and do:
#   - the main window, 435 x 417 with its frame, centred, titled "Zorvane";
#     it can be minimised but not maximised or resized;
#   - the round floating window at (screen width - 150, 100);
#   - page 1 is loaded at the start; a holding typed and saved gives the
#     exact page file;
#   - minimising hides the window to the tray, a double-click brings it back,
#     and so does the tray menu's "打开";
#   - closing asks whether the floating window stays; No ends with exit code 0.
# Leaves a screenshot of both windows in the output folder.
#
#   desktop_test.sh ZORVANE QUOTE_SERVICE OUTPUT_FOLDER
set -euo pipefail

zorvane=$1
service=$2
out=$3
width=1280
height=800

if [ -z "${ZORVANE_E2E_INSIDE:-}" ]; then
  mkdir -p "$out"
  ZORVANE_E2E_INSIDE=1 exec xvfb-run -a -s "-screen 0 ${width}x${height}x24" "$0" "$@"
fi

source "$(dirname "$0")/../../tools/virtual_desktop.sh"

fail() {
  echo "FAIL: $*" >&2
  import -window root "$out/failure.png" 2>/dev/null || true
  exit 1
}


# The client rectangle of a window on the screen: "x y width height".
client_of() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
    /^  Width/ {w=$NF} /^  Height/ {h=$NF} END {print x, y, w, h}'
}

# The outer rectangle: the client with the frame the window manager put around it.
outer_of() {
  local x y w h l=0 r=0 t=0 b=0 extents
  read -r x y w h < <(client_of "$1")
  extents=$(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= //p' | tr -d ' ')
  if [ -n "$extents" ]; then IFS=, read -r l r t b <<<"$extents"; fi
  echo "$((x - l)) $((y - t)) $((w + l + r)) $((h + t + b))"
}

near() { # value expected tolerance
  local d=$(($1 - $2))
  ((d >= -$3 && d <= $3))
}

visible_window() { xdotool search --onlyvisible --name "$1" | head -n1; }

# The program's message box: its shown window that is neither of its own two
# nor the tray icon.
message_box() {
  local id name w
  for id in $(xdotool search --onlyvisible --pid "$program" 2>/dev/null); do
    # A window may go while it is looked at.
    name=$(xdotool getwindowname "$id" 2>/dev/null) || continue
    read -r _ _ w _ < <(client_of "$id" 2>/dev/null) || continue
    if [ "$name" != Zorvane ] && [ "$id" != "${floating:-}" ] && [ "$w" -gt 100 ]; then
      echo "$id"
      return 0
    fi
  done
  return 1
}
no_message_box() { ! message_box; }

start_desktop "$service" --seed 7 || fail "the virtual desktop did not come up"

# A page file: "\r\n|" and 24 fields, each followed by "|".
page_file_text() {
  local text=$'\r\n|' field
  for field in "$@"; do text+="$field|"; done
  printf '%s' "$text"
}
no8=("" "" "" "" "" "" "")

# A portable copy with a holding saved on page 1 in slot 1.
mkdir "$work/program"
cp "$zorvane" "$work/program/zorvane"
page_folder="$work/program/Zorvane配置文件"
mkdir "$page_folder"
page_file_text 600036 "${no8[@]}" 100 "${no8[@]}" 30 "${no8[@]}" >"$page_folder/1.ini"

"$work/program/zorvane" &
program=$!
desktop_pids+=($program)
wait_for visible_window '^Zorvane$' || fail "main window not shown"
main=$(visible_window '^Zorvane$')

# The main window. The window manager may take a moment to settle it.
centred() {
  local x y w h
  read -r x y w h < <(outer_of "$(visible_window '^Zorvane$')")
  near "$x" $(((width - 435) / 2)) 2 && near "$y" $(((height - 417) / 2)) 2
}
wait_for centred || fail "main window at $(outer_of "$main") is not centred"
read -r x y w h < <(outer_of "$main")
echo "main window: ${w}x${h} at $x,$y"
near "$w" 435 2 && near "$h" 417 2 || fail "main window is ${w}x${h}, not 435x417"

# It can be minimised but neither maximised nor resized: the window manager
# offers no such action, and requests for one leave the window as it is.
actions=$(xprop -id "$main" _NET_WM_ALLOWED_ACTIONS)
[[ "$actions" == *_NET_WM_ACTION_MINIMIZE* ]] || fail "the main window cannot be minimised: $actions"
[[ "$actions" != *_NET_WM_ACTION_MAXIMIZE* && "$actions" != *_NET_WM_ACTION_RESIZE* ]] ||
  fail "the main window may be maximised or resized: $actions"
wmctrl -i -r "$main" -b add,maximized_vert,maximized_horz
xdotool windowsize "$main" 600 500
sleep 0.5
xprop -id "$main" _NET_WM_STATE | grep -q MAXIMIZED && fail "the main window was maximised"
read -r x y w h < <(outer_of "$main")
near "$w" 435 2 && near "$h" 417 2 || fail "asked to maximise and to grow, the main window became ${w}x${h}"

# The floating window: the program's other visible window, 100 x 100.
floating=
for id in $(xdotool search --onlyvisible --pid "$program"); do
  read -r _ _ w h < <(client_of "$id")
  if [ "$w" = 100 ] && [ "$h" = 100 ]; then floating=$id; fi
done
[ -n "$floating" ] || fail "floating window not shown"
read -r x y w h < <(outer_of "$floating")
echo "floating window: ${w}x${h} at $x,$y"
[ "$x" = $((width - 150)) ] && [ "$y" = 100 ] || fail "floating window at $x,$y"
corner=$(import -window root -crop 1x1+$((x + 2))+$((y + 2)) -depth 8 txt:- | tail -n1 | awk '{print $3}')
middle=$(import -window root -crop 1x1+$((x + 50))+$((y + 10)) -depth 8 txt:- | tail -n1 | awk '{print $3}')
[ "$corner" != "$middle" ] || fail "floating window is not round ($corner at the corner)"

# Page 1 was loaded at the start; type a holding into slot 2 and save the page.
click_client() { # window x y, in client coordinates
  xdotool mousemove --window "$1" "$2" "$3" click 1
  sleep 0.2
}
xdotool windowactivate "$main" 2>/dev/null || true; sleep 0.2
click_client "$main" 30 76   # 代码2
xdotool type --delay 30 "00a0001"
click_client "$main" 80 76   # 股票数量2
xdotool type --delay 30 "0200"
click_client "$main" 128 76  # 成本2
xdotool type --delay 30 "12.3456789"
click_client "$main" 384 332 # 保存数据
wait_for message_box || fail "no message after saving"
box=$(message_box)
echo "message box: $(xdotool getwindowname "$box")"
xdotool windowactivate "$box" 2>/dev/null || true; sleep 0.2
xdotool key Return
wait_for no_message_box || fail "message box did not close"
expected=$(page_file_text 600036 000001 "${no8[@]:1}" 100 200 "${no8[@]:1}" 30 12.3457 "${no8[@]:1}"; echo x)
actual=$(cat "$page_folder/1.ini"; echo x)
[ "$actual" = "$expected" ] || fail "page file holds $(od -c "$page_folder/1.ini" | head -3)"

# Let the quotes of both slots and of the floating window arrive.
sleep 3
import -window root "$out/screenshot.png"

# Minimise: the window hides, an icon waits in the tray.
xdotool windowminimize "$main"
wait_for test -z "$(visible_window '^Zorvane$')" || fail "minimised window still shown"
# The icon is a small window of the program's class inside trayer's panel.
icon_at=$(xwininfo -root -tree | awk '/\("zorvane" "zorvane"\)/ && $(NF-1) ~ /^[12][0-9]x[12][0-9]\+/ {print $NF}' | head -n1)
[ -n "$icon_at" ] || fail "no tray icon"
IFS=+ read -r _ ix iy <<<"$icon_at"
xdotool mousemove $((ix + 5)) $((iy + 5)) click --repeat 2 --delay 80 1
wait_for visible_window '^Zorvane$' || fail "double-click on the tray icon did not bring the window back"
wait_for centred || fail "restored window at $(outer_of "$(visible_window '^Zorvane$')") is not centred"

# Again, back through the tray menu this time: its first item is "打开".
xdotool windowminimize "$(visible_window '^Zorvane$')"
wait_for test -z "$(visible_window '^Zorvane$')" || fail "minimised window still shown"
icons=$(xwininfo -root -tree | awk '/\("zorvane" "zorvane"\)/ && $(NF-1) ~ /^[12][0-9]x[12][0-9]\+/' | wc -l)
[ "$icons" = 1 ] || fail "$icons tray icons after minimising twice"
xdotool mousemove $((ix + 5)) $((iy + 5)) click 3
sleep 0.5
# The menu opens to the left of the pointer, its top 5 pixels above it.
xdotool mousemove $((ix - 30)) $((iy + 10)) click 1
wait_for visible_window '^Zorvane$' || fail "the tray menu's first item did not bring the window back"
wait_for centred || fail "window opened from the tray menu is not centred"

# Close: the question comes; No ends the program with exit code 0.
main=$(visible_window '^Zorvane$')
xdotool windowactivate "$main" 2>/dev/null || true; sleep 0.2
xdotool key Escape
wait_for message_box || fail "closing did not ask about the floating window"
box=$(message_box)
xdotool windowactivate "$box" 2>/dev/null || true; sleep 0.2
xdotool key alt+n
status=0
for _ in $(seq 100); do
  kill -0 "$program" 2>/dev/null || break
  sleep 0.05
done
kill -0 "$program" 2>/dev/null && fail "program still running after No"
wait "$program" || status=$?
[ "$status" = 0 ] || fail "exit code $status"
echo "PASS"
