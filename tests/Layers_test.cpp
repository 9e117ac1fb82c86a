// The layers point down only: player -> engine -> platform. A wrong include
// fails here, naming the file and the line.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path kTop = fs::path(KV_TEST_DATA_DIR) / ".." / "..";

// What a layer's files must not include, by the include's beginning.
struct Layer {
    const char* folder;
    std::vector<std::string> forbidden;
};

TEST(Layers, NoFileIncludesFromALayerAboveOrAWindowBackEndInTheEngine)
{
    const Layer layers[] = {
        {"platform", {"engine/", "player/"}},
        {"engine", {"player/", "SDL", "EGL/"}},
    };
    for (const Layer& layer : layers) {
        for (const auto& entry : fs::recursive_directory_iterator(kTop / layer.folder)) {
            const std::string extension = entry.path().extension().string();
            if (extension != ".h" && extension != ".cpp")
                continue;
            const std::string file = fs::relative(entry.path(), kTop).string();
            std::ifstream in(entry.path());
            std::string line;
            for (int number = 1; std::getline(in, line); ++number) {
                if (line.rfind("#include", 0) != 0)
                    continue;
                std::string target = line.substr(line.find_first_of("\"<") + 1);
                target = target.substr(0, target.find_first_of("\">"));
                for (const std::string& prefix : layer.forbidden)
                    if (target.rfind(prefix, 0) == 0)
                        ADD_FAILURE() << file << ":" << number << " includes " << target;
            }
        }
    }
}

}  // namespace
