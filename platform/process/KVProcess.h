// Programs started without a shell: the argument vector goes to posix_spawn
// as it is, so no name or URL is ever parsed as shell syntax.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

class KVProcess {
public:
    struct Options {
        // Where the program starts; empty: the caller's working directory.
        std::string workingDirectory;
        // argv[0] is looked up on PATH when it holds no slash.
        bool searchPath = false;
        // Standard input and output from and to /dev/null (so a tool that
        // asks a question reads end-of-file and its chatter stays out of the
        // game's output); standard error is kept.
        bool quiet = true;
    };

    // Starts the program; its process id, or -1 with a one-line reason.
    static pid_t spawn(const std::vector<std::string>& argv, const Options& options, std::string* error);
    // Waits for the child; its exit status, or -1 when it died of a signal.
    static int wait(pid_t pid);
    // Spawns and waits; the exit status, or -1 with *error set when the
    // program could not be started or died of a signal.
    static int run(const std::vector<std::string>& argv, const Options& options, std::string* error);
    // Collects the child's exit in the background, so no zombie is left.
    static void reapInBackground(pid_t pid);
};
