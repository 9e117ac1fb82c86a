-- S2: N sprites that the script moves at every frame, each on a small
-- circle of its own phase: two port writes per sprite and frame.
local sprites, homes = {}, {}
local t = 0

function setup(view)
  local image = bench.image(view, "sprite.png")
  for i = 1, bench.n do
    local x, y = bench.position(i)
    sprites[i] = bench.sprite(view, image, x, y)
    homes[i] = { x, y }
  end
end

function step(dt)
  t = t + dt
  local sin, cos = math.sin, math.cos
  for i = 1, #sprites do
    local s, home = sprites[i], homes[i]
    s.x:setValue(home[1] + 20 * cos(t + i), true)
    s.y:setValue(home[2] + 20 * sin(t + i), true)
  end
end
