// The browser build of the game, served by the score server at /play/
// (gobbit_score_server --web DIR). The files of DIR are read once at start
// and served from memory: no request ever names a path on the disk, so none
// can reach outside the folder. The game's score requests then go to the
// page's own origin, which needs no CORS.
#pragma once

#include <map>
#include <string>

#include "HttpFront.h"

class StaticFiles {
public:
    // Reads every file directly in dir. False, with a reason, when the
    // folder cannot be read or holds no index.html.
    bool Load(const std::string& dir, std::string& reason);
    // True for "/play" and everything under "/play/".
    static bool Claims(const std::string& target);
    // The reply for a target Claims: the file, "/play/" being index.html;
    // "/play" is sent on to "/play/"; 404 for a name not in the folder.
    HttpResponse Serve(const std::string& target) const;

private:
    struct File {
        std::string Type;
        std::string Body;
    };
    std::map<std::string, File> files_;
};

// The Content-Type of a file name by its extension.
std::string ContentTypeOf(const std::string& name);
