-- The yardstick's window: 800 x 600, no vsync, no audio.
function love.conf(t)
  t.identity = "kelvane-bench"
  t.window.title = "bench"
  t.window.width = 800
  t.window.height = 600
  t.window.vsync = 0
  t.modules.audio = false
  t.modules.sound = false
  t.modules.joystick = false
  t.modules.video = false
end
