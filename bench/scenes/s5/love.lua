-- S5: N particle systems of 1,000 particles each, fountains whose direction
-- the script sways, fading from white to clear orange while they shrink.
-- Emitted at the rate that keeps 1,000 alive, and run for 2 s before the
-- first frame, so that they are full from the start, as the player's are.
local systems = {}
local t = 0

local function sway(dt)
  t = t + dt
  for k = 1, #systems do
    systems[k]:setDirection(-math.rad(90 + 30 * math.sin(3 * t + k)))
    systems[k]:update(dt)
  end
end

function setup()
  local image = love.graphics.newImage("sprite.png")
  local w = image:getWidth()
  for k = 1, bench.n do
    local p = love.graphics.newParticleSystem(image, 1000)
    p:setParticleLifetime(1, 2)
    p:setEmissionRate(1000 / 1.5)
    p:setEmitterLifetime(-1)
    p:setPosition(k * bench.width / (bench.n + 1), bench.height - 150)
    p:setDirection(-math.pi / 2)
    p:setSpeed(100)
    p:setLinearAcceleration(0, 50)
    p:setSizes(8 / w, 2 / w)
    p:setSpin(math.pi / 2)
    p:setColors(1, 1, 1, 1, 1, 0.5, 0, 0)
    p:start()
    systems[k] = p
  end
  for _ = 1, 120 do sway(1 / 60) end
end

function step(dt)
  sway(dt)
end

function draw()
  for k = 1, #systems do love.graphics.draw(systems[k]) end
end
