-- S1: N still sprites of one picture.
function setup(view)
  local image = bench.image(view, "sprite.png")
  for i = 1, bench.n do
    bench.sprite(view, image, bench.position(i))
  end
end

function step(dt) end
