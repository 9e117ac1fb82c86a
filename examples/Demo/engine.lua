-- Box Drop, the Kelvane Player's demo game.
--
-- A crane runs along the top of the screen; the arrow keys or the mouse move
-- it, space or a click drops the box it holds. Boxes that land in the basket
-- score; Q ends a game early. Each level (levels.xml) moves the basket and
-- changes the boxes and the gravity. At the end the score is kept: the best
-- one in the saved values with the name the player types, the last few games
-- in a saved table.
--
-- The player calls the global functions below: initEngine once, then
-- Project.new and project:load with the game project folder, reset, play,
-- and update(seconds) for every frame, plus the input functions.

local sg = scenegraph
local W, H = 480, 320  -- until the game description says otherwise

-- Fixture ids and collision categories. Two fixtures touch only when their
-- ids are equal and one's mask names a category of the other's body; a body
-- is reported to fixtureCollisionBegan only when it carries a sensor (id 2).
local SOLID, SENSOR = 1, 2
local WORLD, BOX, BASKET_INSIDE = 1, 2, 3
local GROUND_ID, BASKET_ID, FIRST_BOX_ID = 1, 2, 100

local description    -- game.xml, read through pgf
local levels = {}    -- levels.xml, read through tableHelper
local scores         -- the saved table of recent games
local scene, space, world
local nodes = {}     -- scene-graph nodes the game changes while it runs
local boxes = {}     -- dropped boxes by actor id: {body, sprite, size, scored}
local thudPlayers, nextThud = {}, 1

-- Everything that changes during a game.
local state = "title"       -- "title", "play" or "over"
local paused = false
local clock = 0             -- seconds of play, drives the particles
local level, levelInfo = 1, nil
local score, best, bestName = 0, 0, nil
local DEFAULT_NAME = "Player"
local playerName = DEFAULT_NAME
local craneX, craneDirection, craneSpeed = 240, 0, 220
local boxesLeft, reloadIn, levelEndsIn = 0, 0, nil
local nextBoxId = FIRST_BOX_ID
local celebrateFor = 0
local volume = 1
local musicStarted = false

------------------------------------------------------------------------------
-- Reading the game project

-- The pgf module gives an element as a table: [0] its name, string keys its
-- attributes, 1, 2, ... its children (or its text at 1).
local function children(element, name)
  local i = 0
  return function()
    while true do
      i = i + 1
      local child = element[i]
      if type(child) ~= "table" then return nil end
      if child[0] == name then return child end
    end
  end
end

local function child(element, name)
  return children(element, name)()
end

local function readDescription(path)
  local doc = pgf.loadFile(path .. "/game.xml")
  assert(doc and doc[0] == "game", path .. "/game.xml: not a game description")
  local d = {
    title = doc.title,
    width = tonumber(doc.width), height = tonumber(doc.height),
    fonts = child(doc, "fonts"),
    images = {}, sounds = {}, texts = {},
    music = child(doc, "music"),
    levels = child(doc, "levels").file,
    scores = child(doc, "scores"),
  }
  for image in children(child(doc, "images"), "image") do d.images[image.name] = image.file end
  for sound in children(child(doc, "sounds"), "sound") do d.sounds[sound.name] = sound.file end
  for text in children(child(doc, "texts"), "text") do d.texts[text.name] = text[1] end
  return d
end

local function readLevels(path)
  local t = tableHelper.Tables.new()
  t:loadFromFile(path)
  for row = 1, t:getNumRows() do
    levels[row] = {
      boxes = t:getValue(row, "Boxes"),
      basketX = t:getValue(row, "BasketX"),
      basketWidth = t:getValue(row, "BasketWidth"),
      boxSize = t:getValue(row, "BoxSize"),
      gravity = t:getValue(row, "Gravity"),
    }
  end
end

-- The saved values live in the "database" module, which exists only when the
-- player was given somewhere to save.
local function loadValue(key)
  return database and database.loadValueForKey(key)
end

local function storeValue(value, key)
  if database then database.storeValueForKey(value, key) end
end

-- Recent games: the empty table in the project is the template, a saved one
-- in the tables directory replaces it.
local function loadScores(template)
  scores = tableHelper.Tables.new()
  scores:loadFromFile(template)
  if not database then return end
  local dir = database.getTablesDirectoryPath()
  local saved = io.open(dir .. "scores.xml", "r")
  if saved then
    saved:close()
    tableHelper.Tables.loadTableFromDatabase(dir, scores, "scores")
  end
end

local function saveScores()
  if database then
    tableHelper.Tables.saveTableToDatabase(database.getTablesDirectoryPath(), scores, "scores")
  end
end

local function recentScores()
  local lines = {}
  for row = scores:getNumRows(), 1, -1 do
    lines[#lines + 1] = string.format("%-10s %3d", scores:getValue(row, "Name"), scores:getValue(row, "Score"))
  end
  return table.concat(lines, "\n")
end

------------------------------------------------------------------------------
-- Building the scene

-- Colours reach sprites and particles through colour nodes.
local function color(r, g, b, a)
  local c = space:createNode(sg.colorNode)
  c.r:setValue(r, true)
  c.g:setValue(g, true)
  c.b:setValue(b, true)
  c.a:setValue(a or 1, true)
  return c
end

-- One image loader per picture, shared by every sprite that shows it.
local loaders = {}
local function picture(name)
  if not loaders[name] then
    local loader = space:createNode(sg.imageLoaderNode)
    loader.name:setValue(name, true)
    loaders[name] = loader
  end
  return loaders[name].asset
end

-- A sprite showing a picture of the project. Wrapping: 0 stretches the
-- picture over the sprite, 1 shows it at its own size, 2 tiles it.
local function sprite(parent, name, x, y, w, h, hwrap, vwrap)
  local s = parent:createNode(sg.spriteNode)
  if name then s.image:setValue(picture(name)) end
  s.x:setValue(x, true)
  s.y:setValue(y, true)
  s.width:setValue(w, true)
  s.height:setValue(h, true)
  s.horizontalWrapping:setValue(hwrap or 0, true)
  s.verticalWrapping:setValue(vwrap or 0, true)
  return s
end

local function tiled(parent, name, x, y, w, h, hwrap, vwrap, tile)
  local s = sprite(parent, name, x, y, w, h, hwrap, vwrap)
  s.tileWidth:setValue(tile, true)
  s.tileHeight:setValue(tile, true)
  return s
end

-- A line of text: a string-to-image node drawn by a sprite of the text's
-- size. align 0 keeps x as the left edge, 1 as the centre, 2 as the right.
local Label = {}
Label.__index = Label

function Label.new(font, size, tint, x, y, align)
  local text = space:createNode(sg.stringToImageNode)
  text.font:setValue(font, true)
  text.fontSize:setValue(size, true)
  text.alignment:setValue(align, true)
  local s = space:createNode(sg.spriteNode)
  s.image:setValue(text.image)
  s.width:setValue(text.width)
  s.height:setValue(text.height)
  s.color:setValue(tint.output)
  s.y:setValue(y, true)
  return setmetatable({text = text, sprite = s, x = x, align = align}, Label)
end

local labels = {}

function Label:set(s)
  if s == self.shown then return end
  self.shown = s
  self.text.text:setValue(s, true)
  labels[self] = true
end

-- Text is drawn into a texture when its size is first read, so labels are
-- placed in the frame, where the drawing context is ours.
local function placeLabels()
  for label in pairs(labels) do
    local w = label.text.width:value()
    label.sprite.x:setValue(label.x + (1 - label.align) * w * 0.5, true)
  end
  labels = {}
end

local function soundPlayer(name)
  local loader = space:createNode(sg.soundLoaderNode)
  loader.name:setValue(name, true)
  local player = space:createNode(sg.soundPlayerNode)
  player.sound:setValue(loader.asset)
  -- Positioned in the scene, heard from the listener.
  player.sourceRelative:setValue(false, true)
  return player
end

local function buildScene()
  scene = sg.scene.new(sharedSoundManager, sharedAssetManager)
  space = scene:createSpace(sg.ortho2DSpace)
  space.width:setValue(W, true)
  space.height:setValue(H, true)
  space.near:setValue(-1, true)
  space.far:setValue(1, true)

  local clear = space:createNode(sg.clearNode)
  clear.color:setValue(color(0.27, 0.51, 0.86).output)
  sprite(space, "sky", W / 2, H / 2, W, H)

  -- Clouds: three copies of one cloud along a line (replicator), drawn again
  -- one screen width away as they drift off an edge (wrap).
  nodes.clouds = space:createNode(sg.wrapSpace)
  nodes.clouds.wrapX:setValue(true, true)
  nodes.clouds.wrapWidth:setValue(W, true)
  local row = nodes.clouds:createNode(sg.replicatorSpace)
  row.copies:setValue(3, true)
  row.spacing:setValue(160, true)
  nodes.cloud = sprite(row, "cloud", 0, 215, 64, 32)

  tiled(space, "grass", W / 2, 20, W, 40, 2, 2, 32)

  -- The basket: a floor tiled across and two walls tiled upwards.
  nodes.basketFloor = tiled(space, "wicker", 0, 43, 0, 6, 2, 0, 16)
  nodes.basketLeft = tiled(space, "wicker", 0, 63, 6, 40, 0, 2, 16)
  nodes.basketRight = tiled(space, "wicker", 0, 63, 6, 40, 0, 2, 16)

  -- The crane: a rail, the trolley (its picture at its own size inside a
  -- larger sprite) and the box it holds.
  local rail = sprite(space, nil, W / 2, 286, W, 4)
  rail.color:setValue(color(0.25, 0.25, 0.3).output)
  nodes.hook = sprite(space, "hook", craneX, 268, 48, 40, 1, 1)
  nodes.held = sprite(space, "crate", craneX, 236, 32, 32)

  nodes.boxes = space:createNode(sg.space)
  -- Every other box shows the crate mirrored, its brace the other way.
  nodes.mirroredCrate = space:createNode(sg.imageFlipNode)
  nodes.mirroredCrate.input:setValue(picture("crate"))
  nodes.mirroredCrate.flipHorizontal:setValue(true, true)

  -- Stars over the basket when a box lands in it. The fountain always runs;
  -- its colour is see-through until there is something to celebrate.
  local stars = space:createNode(sg.particleSystemNode)
  stars.numParticles:setValue(60, true)
  stars.lifetime:setValue(1.2, true)
  stars.lifestart:setValue(1.2, true)
  stars.spawnParticles:setValue(true, true)
  stars.image:setValue(picture("star"))
  stars.speed:setValue(170, true)
  stars.gravityY:setValue(-220, true)
  stars.size:setValue(14, true)
  stars.sizeTarget:setValue(4, true)
  stars.sizeTransitionTime:setValue(1.2, true)
  stars.angularVelocity:setValue(180, true)
  nodes.starColor = color(1, 0.85, 0.2, 0)
  stars.color:setValue(nodes.starColor.output)
  stars.colorTarget:setValue(color(1, 0.4, 0.1, 0).output)
  stars.colorTransitionTime:setValue(1.2, true)
  nodes.stars = stars

  local fonts = description.fonts
  local white, yellow = color(1, 1, 1), color(1, 0.9, 0.3)
  nodes.score = Label.new(fonts.score, 18, white, 8, 304, 0)
  nodes.level = Label.new(fonts.body, 14, white, W - 8, 304, 2)

  -- The panel of the title and game-over screens.
  nodes.panelColor = color(0, 0, 0.1, 0)
  local panel = sprite(space, nil, W / 2, 160, 380, 190)
  panel.color:setValue(nodes.panelColor.output)
  nodes.title = Label.new(fonts.title, 36, yellow, W / 2, 224, 1)
  nodes.line1 = Label.new(fonts.body, 16, white, W / 2, 188, 1)
  nodes.line2 = Label.new(fonts.body, 13, white, W / 2, 166, 1)
  nodes.table = Label.new(fonts.score, 12, yellow, W / 2, 115, 1)

  -- Sound: the listener in the middle of the screen, a few knock players so
  -- knocks can overlap, and the chime of a box in the basket.
  nodes.listener = space:createNode(sg.soundListenerNode)
  nodes.listener.x:setValue(W / 2, true)
  nodes.listener.y:setValue(H / 2, true)
  for i = 1, 3 do thudPlayers[i] = soundPlayer("thud") end
  nodes.chime = soundPlayer("chime")
end

local function playSound(player, x, y, gain)
  player.x:setValue(x, true)
  player.y:setValue(y, true)
  player.volume:setValue(gain, true)
  player.trigger:setValue(true, true)
  -- Sound players act when their output is read.
  player.playing:value()
  player.trigger:setValue(false, true)
end

------------------------------------------------------------------------------
-- Physics

local function body(kind, x, y, actor, categories)
  local def = physics.BodyDefinition.new()
  def:setType(kind)
  def:setPosition(x, y)
  def:setActorID(actor)
  for _, c in ipairs(categories) do def:addCollisionCategory(c) end
  return world:createBody(def)
end

local function fixture(b, shape, id, masks, density)
  local def = physics.FixtureDefinition.new(nil)
  def:setShape(shape)
  def:setFixtureID(id)
  def:setIsSensor(id == SENSOR)
  def:setDensity(density or 0)
  def:setFriction(30)       -- scaled like a length: 0.6
  def:setRestitution(0.1)
  for _, m in ipairs(masks) do def:addCollisionMaskCategory(m) end
  return b:createFixture(def)
end

local function rectangle(b, x, y, hw, hh, id, masks, density)
  local shape = physics.PolygonShape.new()
  -- A box off the body's origin: four corners, counter-clockwise.
  shape:addVertex(x - hw, y - hh)
  shape:addVertex(x + hw, y - hh)
  shape:addVertex(x + hw, y + hh)
  shape:addVertex(x - hw, y + hh)
  return fixture(b, shape, id, masks, density)
end

local function buildGround()
  local ground = body(0, 0, 0, GROUND_ID, {WORLD})
  rectangle(ground, W / 2, 20, W, 20, SOLID, {BOX})
  -- Only so that knocks on the ground are reported; it meets nothing.
  rectangle(ground, W / 2, -100, 10, 10, SENSOR, {})
end

local basket
local function placeBasket(x, width)
  if basket then world:destroyBody(basket) end
  basket = body(0, x, 40, BASKET_ID, {WORLD, BASKET_INSIDE})
  rectangle(basket, 0, 3, width / 2, 3, SOLID, {BOX})
  rectangle(basket, -width / 2 + 3, 23, 3, 20, SOLID, {BOX})
  rectangle(basket, width / 2 - 3, 23, 3, 20, SOLID, {BOX})
  rectangle(basket, 0, 31, width / 2 - 8, 25, SENSOR, {BOX})

  nodes.basketFloor.x:setValue(x, true)
  nodes.basketFloor.width:setValue(width, true)
  nodes.basketLeft.x:setValue(x - width / 2 + 3, true)
  nodes.basketRight.x:setValue(x + width / 2 - 3, true)
  nodes.stars.x:setValue(x, true)
  nodes.stars.y:setValue(90, true)
end

local function dropBox()
  local size = levelInfo.boxSize
  local id = nextBoxId
  nextBoxId = nextBoxId + 1
  local b = body(2, craneX, 252 - size / 2, id, {BOX})
  local shape = physics.PolygonShape.new()
  shape:setAsBox(size / 2, size / 2)
  fixture(b, shape, SOLID, {WORLD, BOX}, 1)
  fixture(b, physics.CircleShape.new(4), SENSOR, {BASKET_INSIDE})
  local s = sprite(nodes.boxes, "crate", craneX, 252 - size / 2, size, size)
  if id % 2 == 1 then s.image:setValue(nodes.mirroredCrate.output) end
  boxes[id] = {body = b, sprite = s, size = size}
  print(string.format("drop %d at %d", id - FIRST_BOX_ID + 1, craneX))
end

local function removeBox(id)
  local box = boxes[id]
  boxes[id] = nil
  world:destroyBody(box.body)
  nodes.boxes:removeNode(box.sprite)
end

local function clearBoxes()
  for id in pairs(boxes) do removeBox(id) end
end

-- Boxes that left the screen are forgotten; the others show where their
-- bodies are.
local function moveBoxSprites()
  for id, box in pairs(boxes) do
    local x, y = box.body:position()
    if y < -50 or x < -50 or x > W + 50 then
      removeBox(id)
    else
      box.sprite.x:setValue(x, true)
      box.sprite.y:setValue(y, true)
      box.sprite.angle:setValue(math.deg(box.body:angle()), true)
    end
  end
end

-- Called by the physics world while it steps, once per pair of fixtures
-- that starts touching.
function fixtureCollisionBegan(a, b)
  local boxA, boxB = boxes[a:body():actorID()], boxes[b:body():actorID()]
  if a:fixtureID() == SENSOR then
    local box = boxA or boxB
    if box and not box.scored and state == "play" then
      box.scored = true
      score = score + 1
      celebrateFor = 1.0
      local x, y = box.body:position()
      playSound(nodes.chime, x, y, 1)
      print("score " .. score)
    end
    return
  end
  for _, box in ipairs({boxA or false, boxB or false}) do
    if box then
      local vx, vy = box.body:linearVelocity()
      local speed = math.sqrt(vx * vx + vy * vy)
      if speed > 60 then
        local x, y = box.body:position()
        playSound(thudPlayers[nextThud], x, y, math.min(1, speed / 300))
        nextThud = nextThud % #thudPlayers + 1
      end
    end
  end
end

function fixtureCollisionEnded(a, b) end

------------------------------------------------------------------------------
-- The game's screens

local showScreen

local function startLevel(n)
  level = n
  levelInfo = levels[n]
  clearBoxes()
  world:setGravity(0, levelInfo.gravity)
  placeBasket(levelInfo.basketX, levelInfo.basketWidth)
  boxesLeft = levelInfo.boxes
  reloadIn, levelEndsIn = 0, nil
  nodes.held.height:setValue(levelInfo.boxSize, true)
  print("level " .. n)
end

local function bestLine()
  if bestName then return string.format("Best: %d by %s", best, bestName) end
  return "No high score yet"
end

local function askForName()
  print(string.format("high score %d", score))
  -- The answer comes back later as the event "keyboardInputEntered". A
  -- returning player finds their name already typed.
  local typed = playerName == DEFAULT_NAME and "" or playerName
  callbacks.callExternalFunction("KeyboardInput", description.texts.prompt, typed, false)
end

local function gameOver()
  print("game over: score " .. score)
  scores:addRow(-1)
  local row = scores:getNumRows()
  scores:setValue(row, "Name", playerName)
  scores:setValue(row, "Score", score)
  while scores:getNumRows() > tonumber(description.scores.keep) do scores:removeRow(1) end
  saveScores()
  local newBest = score > best
  if newBest then
    best, bestName = score, playerName
    storeValue(best, "highScore")
    storeValue(bestName, "highScoreName")
  end
  showScreen("over")
  if newBest then askForName() end
end

function showScreen(name)
  state = name
  local panel = name ~= "play"
  nodes.panelColor.a:setValue(panel and 0.55 or 0, true)
  if name == "title" then
    nodes.title:set(description.title)
    nodes.line1:set(bestLine())
    nodes.line2:set(description.texts.start)
  elseif name == "over" then
    nodes.title:set("Game over")
    nodes.line1:set(string.format("%s scored %d. %s", playerName, score, bestLine()))
    nodes.line2:set(description.texts.again)
  else
    for _, label in ipairs({nodes.title, nodes.line1, nodes.line2}) do label:set("") end
  end
  nodes.table:set(panel and recentScores() or "")
  nodes.level:set(panel and description.texts.help or "")
end

local function startGame()
  score = 0
  showScreen("play")
  startLevel(1)
end

local function drop()
  if state ~= "play" or boxesLeft == 0 or reloadIn > 0 then return end
  dropBox()
  boxesLeft = boxesLeft - 1
  reloadIn = 0.8
  if boxesLeft == 0 then levelEndsIn = 2.5 end
end

local function updatePlay(dt)
  craneX = math.max(24, math.min(W - 24, craneX + craneDirection * craneSpeed * dt))
  reloadIn = math.max(0, reloadIn - dt)
  if levelEndsIn then
    levelEndsIn = levelEndsIn - dt
    if levelEndsIn <= 0 then
      if level < #levels then startLevel(level + 1) else gameOver() end
    end
  end
  nodes.score:set("Score " .. score)
  if state == "play" then
    nodes.level:set(string.format("Level %d of %d, boxes %d", level, #levels, boxesLeft))
  end
end

------------------------------------------------------------------------------
-- What the player calls

game = {
  resolution = 0,
  resolutionIndependence = 0,
  plugins = {},
  attributes = {displaySize = {width = {_value = W}, height = {_value = H}}},
}

function game:setNeedsToChangeScene(name, now)
  self:switchToScene(name)
end

-- The player switches to no scene before it lets go of the game.
function game:switchToScene(name)
  if name == "play" then startGame()
  elseif name == "title" or name == "over" then showScreen(name)
  elseif name == nil and world then clearBoxes()
  end
end

devices = {width = W, height = H}
function devices:setScreenSize(w, h)
  self.width, self.height = w, h
end

Renderer = {}
function Renderer:removeCurrentView()
  if scene then scene:delete() end
  scene = nil
end

AssetManager = {}
function AssetManager:freeGLAssets()
  if sharedAssetManager then
    sharedAssetManager:unloadAllImages()
    sharedAssetManager:clearForFreedImages()
  end
end

Project = {}
Project.__index = Project

function Project.new(class)
  return setmetatable({}, class)
end

function Project:load(path)
  self.path = path
  description = readDescription(path)
  W, H = description.width, description.height
  game.attributes.displaySize = {width = {_value = W}, height = {_value = H}}
  readLevels(path .. "/" .. description.levels)
  loadScores(path .. "/" .. description.scores.file)
  best = tonumber(loadValue("highScore")) or 0
  bestName = loadValue("highScoreName")
  playerName = bestName or playerName
  print(bestName and string.format("%s: best %d by %s", description.title, best, bestName)
                 or description.title .. ": no high score yet")

  world = physics.World.new(0, -400, true)
  buildScene()
  buildGround()
  levelInfo = levels[1]
  placeBasket(levelInfo.basketX, levelInfo.basketWidth)
  showScreen("title")
end

-- The asset manager asks for the file of a picture or sound by its name.
function Project:pathForImage(name)
  local file = description.images[name]
  return file and self.path .. "/" .. file
end

function Project:pathForSound(name)
  local file = description.sounds[name]
  return file and self.path .. "/" .. file
end

function initEngine()
  sharedAssetManager = assetManager.new()
  sharedSoundManager = soundManager.new()
end

-- The scene goes first (its nodes use both managers), then the sound
-- manager, which stops every source, so that no sound is still attached to
-- one when the asset manager frees it.
function shutdownEngine()
  Renderer:removeCurrentView()
  if sharedSoundManager then sharedSoundManager:delete() end
  if sharedAssetManager then sharedAssetManager:delete() end
  sharedAssetManager, sharedSoundManager = nil, nil
end

function reset()
  clock = 0
end

function play()
  paused = false
  if musicStarted then
    platformWrappers.playMusic(nil, 1)  -- resumes
  else
    platformWrappers.playMusic(project.path .. "/" .. description.music.file, 1)
    platformWrappers.setMusicVolume(tonumber(description.music.volume) * volume)
    musicStarted = true
  end
end

function stop()
  platformWrappers.stopMusic()
  musicStarted = false
end

function systemInitiatedPause()
  paused = true
  platformWrappers.pauseMusic()
end

-- The keyboard prompt pauses the game while it is shown; the music goes on.
function behaviorInitiatedPause()
  paused = true
end

function update(dt)
  if not scene then return end  -- the player took the view away
  dt = math.min(dt, 0.1)
  clock = clock + dt
  if state == "play" then
    world:step(dt, 8, 3)
    updatePlay(dt)
  end
  moveBoxSprites()

  nodes.hook.x:setValue(craneX, true)
  nodes.held.x:setValue(craneX, true)
  -- The box on the hook shows only while the crane has one to drop.
  local holding = state == "play" and boxesLeft > 0 and reloadIn == 0
  nodes.held.width:setValue(holding and levelInfo.boxSize or 0, true)

  -- Clouds drift right and come back from the left edge.
  local x = (clock * 12) % W
  nodes.cloud.x:setValue(x, true)
  nodes.clouds.x:setValue(x + 160, true)  -- the middle of the row decides where its copy goes

  celebrateFor = math.max(0, celebrateFor - dt)
  nodes.starColor.a:setValue(celebrateFor > 0 and 1 or 0, true)
  nodes.stars.direction:setValue(90 + math.random(-35, 35), true)
  nodes.stars.time:setValue(clock, true)

  placeLabels()
  sharedSoundManager:update()
  scene:render()
end

function render()
  if scene then scene:render() end
end

------------------------------------------------------------------------------
-- Input

function keyDown(key)
  if paused then return end
  if state ~= "play" then
    if key == "space" or key == "return" then startGame() end
  elseif key == "left" then craneDirection = -1
  elseif key == "right" then craneDirection = 1
  elseif key == "space" or key == "down" then drop()
  elseif key == "q" or key == "Q" then gameOver()  -- Escape leaves full screen
  end
end

function keyUp(key)
  if (key == "left" and craneDirection < 0) or (key == "right" and craneDirection > 0) then
    craneDirection = 0
  end
end

function mouseMoved(x, y)
  if not paused and state == "play" then craneX = math.max(24, math.min(W - 24, x)) end
end

function mouseDown(x, y)
  if paused then return end
  if state == "play" then mouseMoved(x, y) drop() else startGame() end
end

function mouseUp(x, y) end

-- Touches act as the mouse does.
function touchDown(x, y) mouseDown(x, y) end
function touchMoved(x, y) mouseMoved(x, y) end
function touchUp(x, y) mouseUp(x, y) end
function touchCancel() end
function accelerated(x, y, z) end

function raiseExternalEvent(name, args)
  if name ~= "keyboardInputEntered" then return end
  local typed = args[1] or ""
  if typed == "" then return end  -- kept the name it had
  playerName = typed
  bestName = typed
  storeValue(bestName, "highScoreName")
  scores:setValue(scores:getNumRows(), "Name", typed)
  saveScores()
  print("name " .. typed)
  if state == "over" then showScreen("over") end
end

function sizeAndOrientationForResolution(resolution)
  return W, H, 0
end

function getInterfaceOrientation() return 0 end
function deviceOrientationChanged(orientation, animated) end

function getVolume() return volume end

function setVolume(v)
  volume = v
  if nodes.listener then nodes.listener.gain:setValue(v, true) end
  if musicStarted then platformWrappers.setMusicVolume(tonumber(description.music.volume) * v) end
end

-- Called by the scene graph when a script removes a node that is not there.
function logtrace() print(debug.traceback()) end

-- The player ignores errors in the functions it calls; the demo reports its
-- own, each message once, so that a fault shows.
local reported = {}
local function reporting(name, f)
  return function(...)
    local ok, message = pcall(f, ...)
    if not ok and not reported[message] then
      reported[message] = true
      io.stderr:write("(Demo " .. name .. ") Lua Error: " .. tostring(message) .. "\n")
    end
  end
end

for _, name in ipairs({"initEngine", "shutdownEngine", "reset", "play", "stop", "update", "keyDown", "keyUp",
                       "mouseDown", "mouseUp", "mouseMoved", "raiseExternalEvent"}) do
  _G[name] = reporting(name, _G[name])
end
Project.load = reporting("Project:load", Project.load)
