#include "player/standalone/CommandLine.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/media/KVVideoEncoder.h"

const char* commandLineUsage()
{
    return "Usage: kelvane-player [options] [BUNDLE | ZIP]\n"
           "Runs a Kelvane game bundle (Name.app), or a zip file holding one. Without\n"
           "an argument, runs the bundle the program lies in.\n"
           "\n"
           "Options:\n"
           "  --headless       run without a window, drawing offscreen, with no sound card;\n"
           "                   frames run back to back\n"
           "  --fullscreen     start in full screen\n"
           "  --windowed       start in a window, whatever the game asks for\n"
           "  --frames N       stop after N frames\n"
           "  --fixed-step     advance every frame by exactly 1/60 s\n"
           "  --no-vsync       in a window too, run frames back to back without waiting\n"
           "                   for the screen's refresh (for measuring)\n"
           "  --save-dir DIR   keep saved values in DIR instead of the game's data folder\n"
           "  --screenshot PNG write the last frame to the file PNG\n"
           "  --input FILE     scripted input, one event a line, given before frame FRAME\n"
           "                   (frames count from 0; X Y are window points from the top left):\n"
           "                     FRAME keydown NAME | FRAME keyup NAME | FRAME text STRING\n"
           "                     FRAME mousedown X Y | FRAME mouseup X Y | FRAME mousemove X Y\n"
           "  --record FILE    write every input event the game receives to FILE, in the\n"
           "                   format --input reads (keys, the mouse, text typed into a\n"
           "                   prompt, a controller as the keys and mouse it stands for).\n"
           "                   Recorded with --fixed-step, --input FILE --fixed-step replays\n"
           "                   it frame for frame; without it each frame lasts what it took\n"
           "                   by the wall clock, and sounds always end by the sound\n"
           "                   device's clock: these can differ between runs\n"
           "  --video FILE     film every frame the game draws, with its sound, at the\n"
           "                   game's frame rate: FILE.mp4 (H.264, AAC) or FILE.webm (VP9,\n"
           "                   Opus), best with --fixed-step. Encoded on a thread of its\n"
           "                   own: a window drops frames the encoder cannot keep up with\n"
           "                   and says how many; headless runs wait for it\n"
           "  --stats          at exit, print the frame count, the median, 95th percentile\n"
           "                   and longest frame time, and the Lua memory in use\n"
           "  --pool           let Lua allocate from the pooled allocator\n"
           "  --controller-help\n"
           "                   show the game controller inputs, the mapping file format\n"
           "                   and the key names a mapping may use\n"
           "  --help           show this text\n"
           "  --version        show the version\n";
}

CommandLineResult parseCommandLine(int argc, const char* const* argv)
{
    CommandLineResult result;
    PlayerOptions options;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        auto value = [&](const char* option) -> const char* {
            if (i + 1 >= argc) {
                result.error = std::string(option) + " needs a value";
                return nullptr;
            }
            return argv[++i];
        };
        if (std::strcmp(arg, "--headless") == 0) {
            options.headless = true;
        } else if (std::strcmp(arg, "--fullscreen") == 0 || std::strcmp(arg, "--windowed") == 0) {
            const bool full = std::strcmp(arg, "--fullscreen") == 0;
            if (options.fullScreen && *options.fullScreen != full) {
                result.error = "--fullscreen and --windowed exclude each other";
                return result;
            }
            options.fullScreen = full;
        } else if (std::strcmp(arg, "--fixed-step") == 0) {
            options.fixedStep = true;
        } else if (std::strcmp(arg, "--no-vsync") == 0) {
            options.noVsync = true;
        } else if (std::strcmp(arg, "--stats") == 0) {
            options.stats = true;
        } else if (std::strcmp(arg, "--pool") == 0) {
            options.pool = true;
        } else if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            options.help = true;
        } else if (std::strcmp(arg, "--controller-help") == 0) {
            options.controllerHelp = true;
        } else if (std::strcmp(arg, "--version") == 0) {
            options.version = true;
        } else if (std::strcmp(arg, "--frames") == 0) {
            const char* text = value(arg);
            if (!text)
                return result;
            char* end = nullptr;
            errno = 0;
            const long frames = std::strtol(text, &end, 10);
            if (errno || end == text || *end || frames < 0) {
                result.error = std::string("--frames: not a frame count: ") + text;
                return result;
            }
            options.frames = frames;
        } else if (std::string* target = std::strcmp(arg, "--save-dir") == 0     ? &options.saveDir
                                         : std::strcmp(arg, "--screenshot") == 0 ? &options.screenshot
                                         : std::strcmp(arg, "--input") == 0      ? &options.input
                                         : std::strcmp(arg, "--record") == 0     ? &options.record
                                         : std::strcmp(arg, "--video") == 0      ? &options.video
                                                                                 : nullptr) {
            const char* text = value(arg);
            if (!text)
                return result;
            if (!*text) {
                result.error = std::string(arg) + " needs a non-empty value";
                return result;
            }
            if (target == &options.video && !KVVideoEncoder::containerForPath(text)) {
                result.error = std::string("--video: ") + text + ": the name must end in .mp4 or .webm";
                return result;
            }
            *target = text;
        } else if (arg[0] == '-' && arg[1] != '\0') {
            result.error = std::string("unknown option ") + arg;
            return result;
        } else if (options.bundle.empty()) {
            options.bundle = arg;
        } else {
            result.error = std::string("more than one game given: ") + arg;
            return result;
        }
    }
    result.options = options;
    return result;
}
