// Where the game finds its data and keeps its files.
//
// Two layouts, told apart by what is on disk (never by permissions: root can
// write anywhere):
//   portable   Data/<game> sits beside the executable (a build folder, an
//              unpacked archive). Data, settings, scores and screenshots all
//              live in that folder, the home directory.
//   installed  no Data/<game> beside the executable, but one in
//              <exe folder>/../share/games/gobbit (any prefix, a DESTDIR, an
//              extracted package). Settings, scores and screenshots go to
//              $XDG_DATA_HOME/gobbit, by default ~/.local/share/gobbit.
//
// The folder the program was started from (argv[0]) is tried first, so a link
// to the binary placed beside a Data folder runs from that folder as it always
// has; otherwise the executable's real path from /proc/self/exe decides, which
// is what makes starting it by name from any folder work.
#pragma once

#include <cstddef>
#include <string>

// The home directory is the folder that holds the executable: the part of the
// start path before its last '/' or '\', or "." when there is none.
void CutHomeDirectory(const char* path, char* home, std::size_t size);

// What the choice of folders depends on, read from the process once.
struct FolderEnv {
    std::string ExePath;      // the executable's real path, empty if unknown
    std::string XdgDataHome;  // $XDG_DATA_HOME, empty if unset
    std::string UserHome;     // $HOME, else the password database's entry
};

// Reads /proc/self/exe, XDG_DATA_HOME and the user's home folder.
FolderEnv ReadFolderEnv();

struct GameFolders {
    bool Found = false;      // false: Data/<game> is in neither place
    bool Installed = false;  // true for the installed layout
    std::string Home;        // settings, scores and screenshots
    std::string DataHome;    // the folder that holds Data/<game>
    std::string LookedIn[2]; // the Data/<game> folders tried, for the message
};

// Decides the layout for a program started as startPath (argv[0]).
GameFolders ChooseGameFolders(const char* startPath, int game, const FolderEnv& env);

// The message shown when the data is in neither place.
std::string DataMissingMessage(const GameFolders& folders);

// Creates the folder and any missing parents with mode 0700, as the XDG base
// directory rules ask. True if it exists afterwards.
bool MakePrivateFolder(const std::string& path);
