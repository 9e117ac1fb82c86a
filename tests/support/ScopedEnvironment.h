// Sets environment variables for one test and puts the old values back.
#pragma once

#include <cstdlib>
#include <map>
#include <string>
#include <utility>

class ScopedEnvironment {
public:
    // `value` null: unset.
    void set(const std::string& name, const char* value)
    {
        if (!saved_.count(name)) {
            const char* old = std::getenv(name.c_str());
            saved_[name] = old ? std::make_pair(true, std::string(old)) : std::make_pair(false, std::string());
        }
        if (value)
            setenv(name.c_str(), value, 1);
        else
            unsetenv(name.c_str());
    }
    ~ScopedEnvironment()
    {
        for (const auto& [name, old] : saved_) {
            if (old.first)
                setenv(name.c_str(), old.second.c_str(), 1);
            else
                unsetenv(name.c_str());
        }
    }

private:
    std::map<std::string, std::pair<bool, std::string>> saved_;
};
