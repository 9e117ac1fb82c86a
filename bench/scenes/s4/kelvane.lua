-- S4: N text labels in 14-point Arial, each a string-to-image node shown by
-- a sprite of the text's size. KV_BENCH_VARIANT "changing" gives every
-- label a new text at every frame; otherwise they stay as they are.
local labels = {}
local changing = bench.variant == "changing"
local frame = 0

function setup(view)
  for i = 1, bench.n do
    local text = view:createNode(scenegraph.stringToImageNode)
    text.font:setValue("Arial", true)
    text.fontSize:setValue(14, true)
    text.text:setValue("Label number " .. i, true)
    local x, y = bench.position(i)
    local s = bench.sprite(view, text.image, x, y)
    s.width:setValue(text.width)
    s.height:setValue(text.height)
    labels[i] = text
  end
end

function step(dt)
  if not changing then return end
  frame = frame + 1
  for i = 1, #labels do
    labels[i].text:setValue("Score " .. (frame * 37 + i), true)
  end
end
