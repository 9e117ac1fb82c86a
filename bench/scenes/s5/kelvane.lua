-- S5: N particle systems of 1,000 particles each, fountains whose direction
-- the script sways, fading from white to clear orange while they shrink.
-- Every particle is born within the first 0.1 s and reborn as soon as it
-- dies, so the systems are full from the first frames on.
local systems = {}
local t = 0

function setup(view)
  local image = bench.image(view, "sprite.png")
  for k = 1, bench.n do
    local p = assert(view:createNode(scenegraph.particleSystemNode), "no particle system node")
    p.numParticles:setValue(1000, true)
    p.lifestart:setValue(0.1, true)
    p.lifetime:setValue(2, true)
    p.spawnParticles:setValue(true, true)
    p.image:setValue(image)
    p.x:setValue(k * bench.width / (bench.n + 1), true)
    p.y:setValue(150, true)
    p.direction:setValue(90, true)
    p.speed:setValue(100, true)
    p.gravityY:setValue(-50, true)
    p.size:setValue(8, true)
    p.sizeTarget:setValue(2, true)
    p.sizeTransitionTime:setValue(2, true)
    p.angularVelocity:setValue(90, true)
    local from, to = view:createNode(scenegraph.colorNode), view:createNode(scenegraph.colorNode)
    for c, v in pairs({ r = 1, g = 1, b = 1, a = 1 }) do from[c]:setValue(v, true) end
    for c, v in pairs({ r = 1, g = 0.5, b = 0, a = 0 }) do to[c]:setValue(v, true) end
    p.color:setValue(from.output)
    p.colorTarget:setValue(to.output)
    p.colorTransitionTime:setValue(2, true)
    systems[k] = p
  end
end

function step(dt)
  t = t + dt
  for k = 1, #systems do
    local p = systems[k]
    p.time:setValue(t, true)
    p.direction:setValue(90 + 30 * math.sin(3 * t + k), true)
  end
end
