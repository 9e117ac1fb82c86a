-- The LÖVE side of a benchmark scene. The scene's own file (scene.lua)
-- defines
--   setup()      builds the scene
--   step(dt)     what the script does each frame
--   draw()       draws the frame
--   finish()     optional: prints what the run did, for checking
-- and reads the runner's settings from `bench` (as in the player's scenes).
-- Each frame's time spans what the player's --stats times: the script's
-- update and all its drawing up to glFinish, without presenting the frame.
local ffi = require("ffi")
ffi.cdef("void glFinish(void);")
local GL = ffi.load("libGL.so.1")

bench = {
  n = tonumber(os.getenv("KV_BENCH_N") or "") or 1000,
  size = tonumber(os.getenv("KV_BENCH_SIZE") or "") or 32,
  variant = os.getenv("KV_BENCH_VARIANT") or "",
  frames = tonumber(os.getenv("KV_BENCH_FRAMES") or "") or 300,
  width = 800,
  height = 600,
}

-- The same positions as the player's scenes (y counted from the top here).
function bench.position(i)
  return 16 + (i * 409) % (bench.width - 32), 16 + (i * 263) % (bench.height - 32)
end

-- Draws `image` stretched to w x h, centred at (x, y), turned by `angle`.
function bench.draw(image, x, y, w, h, angle)
  local iw, ih = image:getDimensions()
  love.graphics.draw(image, x, y, angle or 0, w / iw, h / ih, iw / 2, ih / 2)
end

-- A scene that fails is reported and ends the run (LÖVE would wait on an
-- error screen).
function love.errorhandler(message)
  io.stderr:write("bench scene: " .. tostring(message) .. "\n")
end

require("scene")

-- Nearest-rank percentile, as the player computes it.
local function rank(sorted, p)
  local r = math.ceil(p * #sorted)
  return sorted[math.max(1, math.min(#sorted, r))]
end

function love.run()
  setup()
  local times = {}
  local dt = 1 / 60
  return function()
    love.event.pump()
    for name in love.event.poll() do
      if name == "quit" then return 0 end
    end
    local started = love.timer.getTime()
    step(dt)
    love.graphics.origin()
    love.graphics.clear(0, 0, 0, 1)
    draw()
    love.graphics.flushBatch()
    GL.glFinish()
    times[#times + 1] = (love.timer.getTime() - started) * 1000
    love.graphics.present()
    if #times >= bench.frames then
      if finish then finish() end
      table.sort(times)
      print(string.format("frames %d, median %.3f ms, p95 %.3f ms, max %.3f ms",
        #times, rank(times, 0.5), rank(times, 0.95), times[#times]))
      return 0
    end
  end
end
