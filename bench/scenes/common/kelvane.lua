-- Shared by every benchmark scene in the player: an 800 x 600 game with one
-- orthographic space, cleared to black at every frame. The scene's own file
-- follows this one in the engine script and defines
--   setup(view)   builds the scene in the space `view`
--   step(dt)      what the script does each frame before the scene renders
--   finish()      optional: prints what the run did, for checking
-- The runner passes the scene's size in KV_BENCH_N, the sprite size in
-- pixels in KV_BENCH_SIZE and a scene's variant, if it has any, in
-- KV_BENCH_VARIANT.
bench = {
  n = tonumber(os.getenv("KV_BENCH_N") or "") or 1000,
  size = tonumber(os.getenv("KV_BENCH_SIZE") or "") or 32,
  variant = os.getenv("KV_BENCH_VARIANT") or "",
  width = 800,
  height = 600,
}

game = { attributes = { displaySize = { width = { _value = bench.width }, height = { _value = bench.height } } } }

-- The same spread of positions in every program: multiples of small primes
-- keep the values exact in the player's float numbers.
function bench.position(i)
  return 16 + (i * 409) % (bench.width - 32), 16 + (i * 263) % (bench.height - 32)
end

-- A sprite of the bench's size, centred at (x, y), showing `image` (a port).
function bench.sprite(view, image, x, y, w, h)
  local s = view:createNode(scenegraph.spriteNode)
  s.image:setValue(image)
  s.x:setValue(x, true)
  s.y:setValue(y, true)
  s.width:setValue(w or bench.size, true)
  s.height:setValue(h or bench.size, true)
  return s
end

-- The image port of a loader for a picture of the game project.
function bench.image(view, name)
  local loader = assert(view:createNode(scenegraph.imageLoaderNode), "no image loader node")
  loader.name:setValue(name, true)
  return loader.asset
end

Project = {}
function Project.new(class) return setmetatable({}, { __index = class }) end
function Project.load(self, path)
  self.path = path
  local clear = view:createNode(scenegraph.clearNode)
  local black = view:createNode(scenegraph.colorNode)
  for _, c in ipairs({ "r", "g", "b" }) do black[c]:setValue(0, true) end
  black.a:setValue(1, true)
  clear.color:setValue(black.output)
  -- A scene that cannot be built must not be timed as an empty one.
  local built, problem = pcall(setup, view)
  if not built then
    io.stderr:write("bench scene: " .. tostring(problem) .. "\n")
    os.exit(3)
  end
end
function Project.pathForImage(self, name) return self.path .. "/" .. name end

devices = {}
function devices.setScreenSize(self, width, height)
  view.width:setValue(width, true)
  view.height:setValue(height, true)
end

function initEngine()
  sharedAssetManager = assetManager.new()
  scene = scenegraph.scene.new(nil, sharedAssetManager)
  view = scene:createSpace(scenegraph.ortho2DSpace)
  view.width:setValue(bench.width, true)
  view.height:setValue(bench.height, true)
  view.near:setValue(-1, true)
  view.far:setValue(1, true)
end

function update(dt)
  step(dt)
  scene:render()
end

function stop()
  if finish then finish() end
end

function shutdownEngine()
  scene:delete()
  sharedAssetManager:delete()
end
