-- S6: N boxes of 16 x 16 falling into a walled pit, each shown by a sprite
-- that follows its body; the script counts the collisions it is told of.
local P = physics
local world
local boxes = {}
collisions = 0

function fixtureCollisionBegan(a, b) collisions = collisions + 1 end

-- Every fixture has id 2 and meets category 1, which every body has, so
-- every touching pair is reported.
local function body(kind, x, y, hw, hh)
  local def = P.BodyDefinition.new()
  def:setType(kind)
  def:setPosition(x, y)
  def:addCollisionCategory(1)
  local b = world:createBody(def)
  local shape = P.PolygonShape.new()
  shape:setAsBox(hw, hh)
  local fixture = P.FixtureDefinition.new(nil)
  fixture:setShape(shape)
  fixture:setDensity(1)
  fixture:setFixtureID(2)
  fixture:addCollisionMaskCategory(1)
  b:createFixture(fixture)
  return b
end

function setup(view)
  world = P.World.new(0, -500, true)
  body(0, 400, 10, 320, 10)
  body(0, 70, 300, 10, 300)
  body(0, 730, 300, 10, 300)
  local image = bench.image(view, "sprite.png")
  for i = 0, bench.n - 1 do
    local row, column = math.floor(i / 25), i % 25
    local x, y = 112 + column * 24 + (row % 2) * 6, 150 + row * 22
    boxes[#boxes + 1] = { body(2, x, y, 8, 8), bench.sprite(view, image, x, y, 16, 16) }
  end
end

function step(dt)
  world:step(dt, 8, 3)
  local degrees = 180 / math.pi
  for i = 1, #boxes do
    local b, s = boxes[i][1], boxes[i][2]
    local x, y = b:position()
    s.x:setValue(x, true)
    s.y:setValue(y, true)
    s.angle:setValue(b:angle() * degrees, true)
  end
end

function finish() print("collisions " .. collisions) end
