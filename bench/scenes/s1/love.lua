-- S1: N still sprites of one picture.
local image
local positions = {}

function setup()
  image = love.graphics.newImage("sprite.png")
  for i = 1, bench.n do
    local x, y = bench.position(i)
    positions[i] = { x, y }
  end
end

function step(dt) end

function draw()
  local size = bench.size
  for i = 1, #positions do
    local p = positions[i]
    bench.draw(image, p[1], p[2], size, size)
  end
end
