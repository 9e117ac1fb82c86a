// A game as it was shipped from a Mac, whose disk ignored case and Unicode
// normalisation: every file it names is stored under another case or
// normalisation, in folders named so too. Played headless, it must find
// them all, and its saves must replace the files they name.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/Picture.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestSounds.h"

namespace {

// "é" composed (NFC) and decomposed (NFD).
const std::string kNFC = "\xC3\xA9", kNFD = "e\xCC\x81";

const char* kEngine = R"(
game = { attributes = { displaySize = { width = { _value = 64 }, height = { _value = 64 } } } }
Project = { new = function() return { load = function(self, path) self.path = path end,
  pathForImage = function(self, name) return self.path .. "/images/" .. name .. ".png" end,
  pathForSound = function(self, name) return self.path .. "/sounds/" .. name .. ".wav" end } end }
devices = {}
function devices.setScreenSize(self, w, h) view.width:setValue(w, true) view.height:setValue(h, true) end
function initEngine()
  sharedAssetManager = assetManager.new()
  scene = scenegraph.scene.new(nil, sharedAssetManager)
  view = scene:createSpace(scenegraph.ortho2DSpace)
  view.near:setValue(-1, true)
  view.far:setValue(1, true)
  local loader = view:createNode(scenegraph.imageLoaderNode)
  loader.name:setValue("quad", true)
  local sprite = view:createNode(scenegraph.spriteNode)
  sprite.image:setValue(loader.asset)
  for port, value in pairs({ x = 32, y = 32, width = 64, height = 64 }) do sprite[port]:setValue(value, true) end
end
local frame = 0
function update(dt)
  frame = frame + 1
  scene:render()
  if frame ~= 1 then return end
  local data = project.path .. "/DATA/"
  sharedAssetManager:loadSoundForName("caf\195\169")
  platformWrappers.playMusic(project.path .. "/music/theme.wav", 1)
  local t = tableHelper.Tables.new()
  t:loadFromFile(data .. "LEVELS.XML")
  print("table", t:getNumRows(), t:getValue(1, 1))
  local doc = pgf.loadFile(data .. "CAFE\204\129.xml")
  print("document", doc and doc[0])
  local dir = database.getTablesDirectoryPath()
  tableHelper.Tables.saveTableToDatabase(dir, t, "scores")
  local w = pgf.writer.newToFile(dir:gsub("save.data$", "") .. "OUT/doc.xml")
  w:startDocument() w:startElement("new") w:endElement() w:endDocument() w:close()
end
function shutdownEngine() scene:delete() sharedAssetManager:delete() end
)";

}  // namespace

TEST(MacNamesBundle, FindsEveryFileItNamesAndReplacesWhatItSaves)
{
    TempDir dir;
    namespace fs = std::filesystem;
    const std::string resources = dir.file("Names.app/contents/resources");
    const std::string project = resources + "/Names.GameProj";
    for (const std::string& folder : std::vector<std::string>{"Images", "Sounds", "Music", "Data", "save/Out"})
        fs::create_directories(folder.rfind("save", 0) == 0 ? dir.file(folder) : project + "/" + folder);
    writeFile(dir.file("Names.app/contents/info.plist"),
              "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>CFBundleName</key><string>Names</string>"
              "</dict></plist>");
    writeFile(resources + "/Engine64.LUO", kEngine);
    fs::copy_file(std::string(KV_TEST_DATA_DIR) + "/images/quad64.png", project + "/Images/Quad.PNG");
    writeWav(project + "/Sounds/CAF" + kNFD + ".WAV", 22050, 1, sineSamples(22050, 1, 2205, 441, 0.5));
    writeWav(project + "/Music/Theme.WAV", 22050, 1, sineSamples(22050, 1, 2205, 441, 0.5));
    fs::copy_file(std::string(KV_TEST_DATA_DIR) + "/tables/cells.xml", project + "/Data/levels.xml");
    writeFile(project + "/Data/caf" + kNFC + ".XML", "<root/>");
    writeFile(dir.file("save/save.dataSCORES.xml"), "old");
    writeFile(dir.file("save/Out/Doc.xml"), "old");

    const std::string shot = dir.file("shot.png");
    const ProgramResult run =
        runProgram({std::string(KV_BUILD_DIR) + "/kelvane-player", "--headless", "--fixed-step", "--frames", "2",
                    "--save-dir", dir.file("save"), "--screenshot", shot, dir.file("Names.app")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "table\t3\ta\ndocument\troot\n");
    // Nothing failed to open or decode.
    EXPECT_EQ(run.err, "");

    const Picture picture(shot);
    ASSERT_EQ(picture.width(), 64);
    EXPECT_EQ(picture.at(8, 8), (Rgba{255, 0, 0, 255}));

    // The saves replaced the files of their names.
    std::vector<std::string> saved;
    for (const auto& entry : fs::recursive_directory_iterator(dir.file("save")))
        if (entry.is_regular_file())
            saved.push_back(entry.path().lexically_relative(dir.file("save")).string());
    std::sort(saved.begin(), saved.end());
    EXPECT_EQ(saved, (std::vector<std::string>{"Out/Doc.xml", "save.dataSCORES.xml"}));
    EXPECT_NE(readFile(dir.file("save/save.dataSCORES.xml")).find("<table"), std::string::npos);
    EXPECT_NE(readFile(dir.file("save/Out/Doc.xml")).find("<new"), std::string::npos);
}
