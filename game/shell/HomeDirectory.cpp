#include "shell/HomeDirectory.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

// Where an installed copy keeps its data, relative to the executable's
// folder; the build sets it from the install directories.
#ifndef GOBBIT_DATA_FROM_BIN
#define GOBBIT_DATA_FROM_BIN "../share/games/gobbit"
#endif

void CutHomeDirectory(const char* path, char* home, std::size_t size) {
    std::snprintf(home, size, ".");
    if (!path) return;
    const char* cut = nullptr;
    for (const char* p = path; *p; ++p)
        if (*p == '/' || *p == '\\') cut = p;
    if (!cut) return;
    std::size_t n = std::size_t(cut - path);
    if (n >= size) n = size - 1;
    std::memcpy(home, path, n);
    home[n] = 0;
}

namespace {

std::string FolderOf(const std::string& path) {
    std::string dir(path.size() + 1, '\0');
    CutHomeDirectory(path.c_str(), dir.data(), dir.size());
    dir.resize(std::strlen(dir.c_str()));
    return dir;
}

bool IsFolder(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string DataFolder(const std::string& dataHome, int game) {
    return dataHome + "/Data/" + std::to_string(game);
}

}  // namespace

FolderEnv ReadFolderEnv() {
    FolderEnv env;
    char exe[4096];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n > 0) env.ExePath.assign(exe, std::size_t(n));
    if (const char* xdg = std::getenv("XDG_DATA_HOME")) env.XdgDataHome = xdg;
    if (const char* home = std::getenv("HOME"); home && *home) {
        env.UserHome = home;
    } else if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) {
        env.UserHome = pw->pw_dir;
    }
    return env;
}

GameFolders ChooseGameFolders(const char* startPath, int game, const FolderEnv& env) {
    GameFolders f;
    const std::string start = startPath ? startPath : "";
    const bool startHasFolder = start.find_first_of("/\\") != std::string::npos;

    // As it always was: the folder of the start path, when the data is there.
    if (startHasFolder) {
        std::string dir = FolderOf(start);
        if (IsFolder(DataFolder(dir, game))) {
            f.Found = true;
            f.Home = f.DataHome = dir;
            return f;
        }
    }

    // Otherwise the executable's own folder; without /proc the start path
    // (or "." for a bare name) is all there is.
    std::string exeDir = env.ExePath.empty() ? FolderOf(start) : FolderOf(env.ExePath);
    f.LookedIn[0] = DataFolder(exeDir, game);
    if (IsFolder(f.LookedIn[0])) {
        f.Found = true;
        f.Home = f.DataHome = exeDir;
        return f;
    }

    std::string shared = std::filesystem::path(exeDir + "/" GOBBIT_DATA_FROM_BIN).lexically_normal().string();
    while (shared.size() > 1 && shared.back() == '/') shared.pop_back();
    f.LookedIn[1] = DataFolder(shared, game);
    if (!IsFolder(f.LookedIn[1])) return f;

    f.Found = true;
    f.Installed = true;
    f.DataHome = shared;
    // Relative values of XDG_DATA_HOME are invalid and ignored.
    if (!env.XdgDataHome.empty() && env.XdgDataHome[0] == '/')
        f.Home = env.XdgDataHome + "/gobbit";
    else if (!env.UserHome.empty())
        f.Home = env.UserHome + "/.local/share/gobbit";
    return f;
}

std::string DataMissingMessage(const GameFolders& folders) {
    std::string text = "Gobbit cannot find its data. Looked for it in:\n";
    for (const std::string& place : folders.LookedIn)
        if (!place.empty()) text += "  " + place + "\n";
    text += "Reinstall the game, or keep the Data folder beside the gobbit executable.";
    return text;
}

bool MakePrivateFolder(const std::string& path) {
    if (path.empty()) return false;
    if (IsFolder(path)) return true;
    std::string parent = FolderOf(path);
    if (parent != path && !parent.empty() && parent != "." && !MakePrivateFolder(parent)) return false;
    return mkdir(path.c_str(), 0700) == 0 || (errno == EEXIST && IsFolder(path));
}
