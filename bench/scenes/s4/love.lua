-- S4: N text labels in 14-point Liberation Sans (the player's Arial), each a
-- Text object. KV_BENCH_VARIANT "changing" gives every label a new text at
-- every frame; otherwise they stay as they are.
local labels, places = {}, {}
local changing = bench.variant == "changing"
local frame = 0

function setup()
  -- LÖVE's own file functions do not reach outside the game's folder.
  local path = "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf"
  local file = assert(io.open(path, "rb"))
  local data = love.filesystem.newFileData(file:read("*a"), path)
  file:close()
  local font = love.graphics.newFont(data, 14)
  for i = 1, bench.n do
    labels[i] = love.graphics.newText(font, "Label number " .. i)
    places[i] = { bench.position(i) }
  end
end

function step(dt)
  if not changing then return end
  frame = frame + 1
  for i = 1, #labels do
    labels[i]:set("Score " .. (frame * 37 + i))
  end
end

function draw()
  for i = 1, #labels do
    local text, p = labels[i], places[i]
    local w, h = text:getDimensions()
    love.graphics.draw(text, p[1], p[2], 0, 1, 1, w / 2, h / 2)
  end
end
