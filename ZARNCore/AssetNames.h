// Asset names as the image, sound and music loaders take them.
#pragma once

#include <cctype>
#include <string>

// Backslashes become slashes, so names written with either separator load.
inline std::string WithSlashes(std::string name) {
    for (char& c : name)
        if (c == '\\') c = '/';
    return name;
}

// True when the name ends in ext (given in lower case, like ".png") written
// in lower case, capitalised (".Png") or in capitals (".PNG"). Other
// mixtures do not count.
inline bool HasExtension(const std::string& name, const std::string& ext) {
    if (name.size() < ext.size()) return false;
    std::string tail = name.substr(name.size() - ext.size());
    std::string capitalised = ext, capitals = ext;
    if (capitalised.size() > 1) capitalised[1] = char(std::toupper(static_cast<unsigned char>(capitalised[1])));
    for (char& c : capitals) c = char(std::toupper(static_cast<unsigned char>(c)));
    return tail == ext || tail == capitalised || tail == capitals;
}

// "<root>/Data/<game>/audio/<file>", where sound effects and music live.
inline std::string AudioPath(const char* root, int game, const std::string& file) {
    return std::string(root) + "/Data/" + std::to_string(game) + "/audio/" + file;
}
