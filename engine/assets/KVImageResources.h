// Where the player looks for its own pictures (the "image_missing.png"
// placeholder): the game bundle's Resources first, then the resources
// installed with the player. The player sets the folders when it opens a
// bundle; tests point them at their own.
#pragma once

#include <string>
#include <vector>

// Replaces the folders searched, in order.
void KVSetImageResourceFolders(const std::vector<std::string>& folders);
// The folders searched. Until set: the player's own folders.
std::vector<std::string> KVImageResourceFolders();
// The player's own folders: "resources" beside the running program, then
// "../share/kelvane-player" beside it (an installed player).
std::vector<std::string> KVPlayerImageResourceFolders();
// The path of the first regular file of that name in those folders, or ""
// when none has it.
std::string KVFindImageResource(const std::string& fileName);
