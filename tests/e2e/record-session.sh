#!/usr/bin/env bash
# The demo played in a window by xdotool while the player records its input
# at a fixed step: keys start the game, clicks over the basket drop a box
# into it, then the arrow keys swing the crane to and fro until the run's
# last frame, so where it stops depends on every frame an arrow was held.
# Run inside an X server (xvfb-run). Writes the recording, the player's
# output and exit status, and the last frame into OUT.
#   record-session.sh PLAYER BUNDLE OUT FRAMES
set -u
player=$1
bundle=$2
out=$3
frames=$4
mkdir -p "$out"
export XDG_DATA_HOME="$out/data" XDG_CACHE_HOME="$out/cache"

"$player" --fixed-step --frames "$frames" --record "$out/recording" --screenshot "$out/window.png" \
  --save-dir "$out/save" "$bundle" > "$out/stdout" 2> "$out/stderr" &
pid=$!
trap 'kill $pid 2>/dev/null' EXIT

saw() { grep -qx -- "$1" "$out/stdout"; }
# Repeats an action until the game prints the line; false when the player
# ended first or 30 s went by.
until_saw() {
  local line=$1 pause=$2
  shift 2
  for _ in $(seq $((30 * 10 / ${pause/./}))); do
    saw "$line" && return 0
    kill -0 $pid 2>/dev/null || return 1
    "$@" 2>/dev/null
    sleep "$pause"
  done
  saw "$line" && return 0
  echo "record-session: never saw $line" >> "$out/stderr"
  return 1
}

wid=""
for _ in $(seq 300); do
  wid=$(xdotool search --onlyvisible --name '^Demo$' 2>/dev/null | head -n1)
  [ -n "$wid" ] && break
  sleep 0.1
done
[ -n "$wid" ] || { echo "record-session: no window" >> "$out/stderr"; exit 1; }
xdotool windowfocus --sync "$wid" 2>/dev/null
# Keys before the game plays (during the loading image) do not reach it.
until_saw "level 1" 0.3 xdotool key --window "$wid" space || exit 1
until_saw "score 1" 1.5 xdotool mousemove --window "$wid" 360 100 click 1 || exit 1
while kill -0 $pid 2>/dev/null; do
  for key in Left Right; do
    xdotool keydown "$key" 2>/dev/null
    sleep 0.2
    xdotool keyup "$key" 2>/dev/null
  done
done
wait $pid
echo $? > "$out/status"
trap - EXIT
