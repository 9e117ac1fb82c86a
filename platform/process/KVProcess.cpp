#include "platform/process/KVProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstring>
#include <thread>

extern char** environ;

namespace {

// Frees the spawn attributes and file actions however spawn() leaves.
struct SpawnSetup {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    SpawnSetup()
    {
        posix_spawn_file_actions_init(&actions);
        posix_spawnattr_init(&attributes);
    }
    ~SpawnSetup()
    {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
};

}  // namespace

pid_t KVProcess::spawn(const std::vector<std::string>& argv, const Options& options, std::string* error)
{
    if (argv.empty() || argv[0].empty()) {
        *error = "no program to start";
        return -1;
    }
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    SpawnSetup setup;
    if (options.quiet) {
        posix_spawn_file_actions_addopen(&setup.actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&setup.actions, 1, "/dev/null", O_WRONLY, 0);
    }
    if (!options.workingDirectory.empty())
        posix_spawn_file_actions_addchdir_np(&setup.actions, options.workingDirectory.c_str());
    // The child starts with default signal handling and nothing blocked,
    // whatever the calling thread has set up.
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&setup.attributes, &none);
    posix_spawnattr_setsigdefault(&setup.attributes, &all);
    posix_spawnattr_setflags(&setup.attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    pid_t pid = -1;
    const int status = options.searchPath
                           ? posix_spawnp(&pid, args[0], &setup.actions, &setup.attributes, args.data(), environ)
                           : posix_spawn(&pid, args[0], &setup.actions, &setup.attributes, args.data(), environ);
    if (status != 0) {
        *error = "cannot start " + argv[0] + ": " + std::strerror(status);
        return -1;
    }
    return pid;
}

int KVProcess::wait(pid_t pid)
{
    int status = 0;
    pid_t done;
    do {
        done = waitpid(pid, &status, 0);
    } while (done < 0 && errno == EINTR);
    if (done != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

int KVProcess::run(const std::vector<std::string>& argv, const Options& options, std::string* error)
{
    const pid_t pid = spawn(argv, options, error);
    if (pid < 0)
        return -1;
    const int status = wait(pid);
    if (status < 0)
        *error = argv[0] + " did not finish normally";
    return status;
}

void KVProcess::reapInBackground(pid_t pid)
{
    std::thread([pid] { wait(pid); }).detach();
}
