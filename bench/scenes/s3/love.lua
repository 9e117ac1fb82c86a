-- S3: N still sprites over 4 pictures, taking turns, so that no two
-- neighbours in drawing order share a texture.
local images = {}
local sprites = {}

function setup()
  for k = 1, 4 do images[k] = love.graphics.newImage("sprite" .. k .. ".png") end
  for i = 1, bench.n do
    local x, y = bench.position(i)
    sprites[i] = { images[i % 4 + 1], x, y }
  end
end

function step(dt) end

function draw()
  local size = bench.size
  for i = 1, #sprites do
    local s = sprites[i]
    bench.draw(s[1], s[2], s[3], size, size)
  end
end
