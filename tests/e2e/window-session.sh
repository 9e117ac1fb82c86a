#!/usr/bin/env bash
# One windowed run of the player inside an X server (xvfb-run) with a window
# manager, driven with xdotool; writes the player's output, its exit status
# and screenshots into OUT.   window-session.sh PLAYER BUNDLE OUT MODE
# MODE full: loading image, keys, shifts, a click, full screen on and off;
# prompt: the key n asks for a name, typed into the prompt. Both end closing.
# The player records the input it was given into OUT/recording.
set -u
player=$1 bundle=$2 out=$3 mode=$4
mkdir -p "$out"
export XDG_DATA_HOME="$out/data" XDG_CACHE_HOME="$out/cache"

log() { echo "window-session: $*" >> "$out/session.log"; }

# A copy of the bundle that also says when play starts.
game="$out/Game.app"
cp -r "$bundle" "$game"
echo 'function play() print("play") end' >> "$game/Contents/Resources/engine64.luo"
case "$mode" in
full) convert -size 320x200 xc:'#ff8000' "$game/Contents/Resources/Default.png" ;;
prompt) cat >> "$game/Contents/Resources/engine64.luo" <<'EOF'
function keyDown(k)
  print("keyDown " .. k)
  if k == "n" then
    callbacks.callExternalFunction("KeyboardInput", "What is your name?", "", false)
    print("asking")
  end
end
function behaviorInitiatedPause() print("pause") end
function raiseExternalEvent(name, args) print(name .. " " .. tostring(args[1])) end
EOF
  ;;
esac

openbox > /dev/null 2>&1 &
wm=$!
trap 'kill $wm 2>/dev/null; [ -n "${pid:-}" ] && kill $pid 2>/dev/null' EXIT
# Wait until the window manager owns the screen.
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break
  sleep 0.1
done

# Both record what the game was given; full also keeps its last frame.
shot=()
[ "$mode" = full ] && shot=(--screenshot "$out/last.png")
"$player" --save-dir "$out/save" --record "$out/recording" "${shot[@]}" "$game" > "$out/stdout" 2> "$out/stderr" &
pid=$!

# Polls the player's output for a line; gives up after 30 s.
waitfor() {
  for _ in $(seq 300); do
    grep -qx -- "$1" "$out/stdout" && return 0
    kill -0 $pid 2>/dev/null || break
    sleep 0.1
  done
  log "never saw: $1"
  return 1
}

wid=""
for _ in $(seq 300); do
  wid=$(xdotool search --onlyvisible --name '^PlayerInput$' 2>/dev/null | head -n1)
  [ -n "$wid" ] && break
  sleep 0.1
done
[ -n "$wid" ] || { log "no window"; exit 1; }
# The loading image (or movie) and its fade last over a second.
sleep 0.3
xdotool getwindowgeometry "$wid" > "$out/geometry-intro.txt" 2>&1

waitfor play || exit 1
sleep 0.3
xdotool getwindowgeometry "$wid" > "$out/geometry-game.txt" 2>&1
xdotool windowactivate --sync "$wid" 2>/dev/null || xdotool windowfocus --sync "$wid"

if [ "$mode" = full ]; then
  # Each xdotool command, then the line it leads to; 50 and 62 are the raw
  # key codes of the two shift keys.
  for step in "key --window $wid a/keyUp a" "key --window $wid shift+b/keyUp left shift" \
      "keydown 50/keyDown left shift" "keydown 62/keyDown right shift" "keyup 50/keyUp left shift" \
      "keyup 62/keyUp right shift" "mousemove --window $wid 100 50 click 1/mouseUp 100 270"; do
    xdotool ${step%/*}
    waitfor "${step#*/}"
  done
  sleep 0.3
  import -window root "$out/clicked.png"

  xdotool key --window "$wid" F11
  waitfor "screen 1280x800"
  sleep 0.5
  import -window root "$out/fullscreen.png"
  xdotool key Escape
  waitfor "keyDown esc"
  waitfor "screen 480x320"
  sleep 0.5
  # Alt+Enter toggles too and is not passed on.
  xdotool key alt+Return
  waitfor "screen 1280x800"
  xdotool key alt+Return
  sleep 0.5
fi

if [ "$mode" = prompt ]; then
  xdotool key --window "$wid" n
  waitfor asking || exit 1
  waitfor pause
  # A loaded machine may show the prompt late: wait until the centre of the
  # centred window is no longer the game's black (at most 10 s).
  for _ in $(seq 100); do
    import -window root "$out/prompt.png"
    [ "$(convert "$out/prompt.png" -format '%[pixel:p{640,400}]' info:)" != "srgb(0,0,0)" ] && break
    sleep 0.1
  done
  # Typed as a user types: to the focused window, an accent included.
  xdotool type --delay 80 'Zoé'
  # Then until the field (left of the caret's start excluded) shows ink.
  for _ in $(seq 100); do
    import -window root "$out/typed.png"
    [ "$(convert "$out/typed.png" -crop 100x32+434+312 +repage -format '%[fx:mean<0.98]' info:)" = 1 ] && break
    sleep 0.1
  done
  xdotool key Return
  waitfor "keyboardInputEntered Zoé"
  sleep 0.3
  xdotool key --window "$wid" a
  waitfor "keyDown a"
fi

# The window manager closes the active window on Alt+F4. On a busy machine
# the key can be lost (the activation comes too late, or the window manager
# is not listening yet): it is sent again every few seconds, and when the
# window still stands after 15 s the player gets SIGTERM instead, which it
# takes as a quit too; the log says so.
for i in $(seq 600); do
  kill -0 $pid 2>/dev/null || break
  if [ $((i % 50)) -eq 1 ] && [ "$i" -le 101 ]; then
    [ "$i" -gt 1 ] && log "Alt+F4 again"
    xdotool windowactivate --sync "$wid" 2>/dev/null
    xdotool key alt+F4
  elif [ "$i" -eq 151 ]; then
    log "the window manager did not close the window; SIGTERM"
    kill -TERM $pid
  fi
  sleep 0.1
done
if kill -0 $pid 2>/dev/null; then
  log "the player did not quit"
  # Where it is stuck, for whoever reads the log.
  command -v gdb > /dev/null && gdb -p $pid -batch -ex "thread apply all bt" >> "$out/session.log" 2>&1
  exit 1
fi
wait $pid
echo $? > "$out/status"
exit 0
