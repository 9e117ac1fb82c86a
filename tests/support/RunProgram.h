// Runs a program (never through a shell) and collects what it printed.
#pragma once

#include <string>
#include <vector>

struct ProgramResult {
    int status = -1;  // exit status, or -1 when it did not exit normally
    std::string out;
    std::string err;
};

ProgramResult runProgram(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv = {});
