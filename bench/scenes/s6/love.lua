-- S6: N boxes of 16 x 16 falling into a walled pit, each drawn where its
-- body is; the script counts the collisions it is told of. The same world
-- as the player's, with y counted from the top (50 units to the metre).
local world, image
local boxes = {}
local collisions = 0

local function body(kind, x, y, hw, hh)
  local b = love.physics.newBody(world, x, bench.height - y, kind)
  love.physics.newFixture(b, love.physics.newRectangleShape(hw * 2, hh * 2), 1)
  return b
end

function setup()
  love.physics.setMeter(50)
  world = love.physics.newWorld(0, 500, true)
  world:setCallbacks(function() collisions = collisions + 1 end)
  body("static", 400, 10, 320, 10)
  body("static", 70, 300, 10, 300)
  body("static", 730, 300, 10, 300)
  image = love.graphics.newImage("sprite.png")
  for i = 0, bench.n - 1 do
    local row, column = math.floor(i / 25), i % 25
    boxes[#boxes + 1] = body("dynamic", 112 + column * 24 + (row % 2) * 6, 150 + row * 22, 8, 8)
  end
end

function step(dt)
  world:update(dt, 8, 3)
end

function draw()
  for i = 1, #boxes do
    local b = boxes[i]
    local x, y = b:getPosition()
    bench.draw(image, x, y, 16, 16, b:getAngle())
  end
end

function finish() print("collisions " .. collisions) end
