-- S3: N still sprites over 4 pictures, taking turns, so that no two
-- neighbours in drawing order share a texture.
function setup(view)
  local images = {}
  for k = 1, 4 do images[k] = bench.image(view, "sprite" .. k .. ".png") end
  for i = 1, bench.n do
    local x, y = bench.position(i)
    bench.sprite(view, images[i % 4 + 1], x, y)
  end
end

function step(dt) end
