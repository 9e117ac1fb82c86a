-- S2: N sprites that the script moves at every frame, each on a small
-- circle of its own phase.
local image
local homes, xs, ys = {}, {}, {}
local t = 0

function setup()
  image = love.graphics.newImage("sprite.png")
  for i = 1, bench.n do
    local x, y = bench.position(i)
    homes[i] = { x, y }
    xs[i], ys[i] = x, y
  end
end

function step(dt)
  t = t + dt
  local sin, cos = math.sin, math.cos
  for i = 1, #homes do
    local home = homes[i]
    xs[i] = home[1] + 20 * cos(t + i)
    ys[i] = home[2] + 20 * sin(t + i)
  end
end

function draw()
  local size = bench.size
  for i = 1, #xs do
    bench.draw(image, xs[i], ys[i], size, size)
  end
end
