#!/usr/bin/env bash
# One run of the player started with --fullscreen inside an X server
# (xvfb-run), with a window manager or on the bare server as a kiosk has it;
# a screenshot of the whole screen once the game has drawn for a while.
#   fullscreen-session.sh PLAYER BUNDLE OUT WM OVERSCAN MOVIE   (WM: openbox or
#   none; OVERSCAN: true or false; MOVIE: playable or broken)
set -u
player=$1 bundle=$2 out=$3 wm=$4
mkdir -p "$out"
export XDG_DATA_HOME="$out/data" XDG_CACHE_HOME="$out/cache" XDG_CONFIG_HOME="$out/config" ALSOFT_DRIVERS=null

# A copy of the bundle that crops or letterboxes, keeps its own size in
# points whatever the screen's, and says every 30th frame.
game="$out/Game.app"
cp -r "$bundle" "$game"
sed -i "s|<dict>|<dict><key>KVOverscan</key><$5/>|" "$game/Contents/Info.plist"
# An intro movie first, playable or not (then named); either leads into the game.
if [ "$6" = playable ]; then
  ffmpeg -loglevel error -f lavfi -i color=c=blue:s=320x240:d=0.6 -c:v mpeg4 -f mov \
    "$game/Contents/Resources/intro-mac.mov"
else
  echo "not a movie" > "$game/Contents/Resources/intro-mac.mov"
fi
cat >> "$game/Contents/Resources/engine64.luo" <<'LUA'
function devices.setScreenSize() view.width:setValue(320, true) view.height:setValue(128, true) end
local frames, draw = 0, update
function update(dt) draw(dt) frames = frames + 1 if frames % 30 == 0 then print("frame " .. frames) end end
LUA

if [ "$wm" = openbox ]; then
  openbox > /dev/null 2>&1 &
  wmpid=$!
  for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break
    sleep 0.1
  done
fi

"$player" --fullscreen --save-dir "$out/save" "$game" > "$out/stdout" 2> "$out/stderr" &
pid=$!
trap 'kill $pid ${wmpid:-} 2>/dev/null' EXIT
# A window manager resizes in between.
for _ in $(seq 300); do
  grep -qx "frame 60" "$out/stdout" && break
  kill -0 $pid 2>/dev/null || break
  sleep 0.1
done
import -window root "$out/screen.png"
kill -TERM $pid
wait $pid
echo $? > "$out/status"
