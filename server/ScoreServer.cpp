// gobbit_score_server [--workers N] [--web DIR] DATABASE [PORT [ADDRESS]]
//
// Answers the game's "GET /Scores.php?Game=0564&Score=..." requests: stores
// the scores of a valid message and replies with every board's top five
// between the data markers the game looks for. "GET /" is the public
// leaderboard page. With --web, the browser build of the game in DIR is
// served at /play/. DATABASE is an SQLite file or a postgresql:// URL.
// Port 0 picks a free port.
#include <sys/resource.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "HttpFront.h"
#include "Leaderboard.h"
#include "ScoreMessage.h"
#include "ScoreStore.h"
#include "StaticFiles.h"

namespace {

// How long a leaderboard page is served from memory.
constexpr int PageCacheMs = 2000;

std::string Reply(const std::vector<RankedScore> (&tops)[ServerBoards]) {
    std::string body = "[-\r\nData-]";
    for (int b = 1; b <= ServerBoards; b++) {
        const std::vector<RankedScore>& top = tops[b - 1];
        // 22 fields a board: the marker, the board, then per rank name,
        // score, rank and a spare field.
        body += "OnlineScores{" + std::to_string(b) + "{";
        for (int r = 0; r < 5; r++) {
            bool has = r < int(top.size());
            body += (has ? top[r].Name : std::string()) + "{";
            body += std::to_string(has ? top[r].Score : 0) + "{";
            body += std::to_string(r + 1) + "{-{";
        }
    }
    body += "[-\r\nEnd-]";
    return body;
}

HttpResponse Status(int status, const char* text) {
    HttpResponse r;
    r.Status = status;
    r.Body = text;
    return r;
}

HttpResponse ScoreRequest(ScoreStore& store, const std::string& target) {
    // The raw target: the score text holds "=" and other characters a query
    // parser would split on.
    ScoreMessage m;
    std::string why;
    if (!ParseScoreRequest(target, m, why)) {
        std::printf("rejected: %s\n", why.c_str());
        std::fflush(stdout);
        return Status(400, "Bad Request\n");
    }
    if (!store.Record(m)) {
        std::printf("cannot store: %s\n", m.User.c_str());
        std::fflush(stdout);
        return Status(500, "Cannot store\n");
    }
    std::printf("stored: %s\n", m.User.c_str());
    std::fflush(stdout);
    std::vector<RankedScore> tops[ServerBoards];
    if (!store.TopAll(tops)) return Status(500, "Cannot read\n");
    HttpResponse r;
    r.Body = Reply(tops);
    return r;
}

int Usage(const char* self) {
    std::fprintf(stderr, "usage: %s [--workers N] [--web DIR] DATABASE [PORT [ADDRESS]]\n", self);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    FrontLimits limits;
    int first = 1;
    const char* webDir = nullptr;
    while (first + 1 < argc && argv[first][0] == '-') {
        if (std::strcmp(argv[first], "--workers") == 0) {
            limits.Workers = std::atoi(argv[first + 1]);
            if (limits.Workers < 1 || limits.Workers > 256) return Usage(argv[0]);
        } else if (std::strcmp(argv[first], "--web") == 0) {
            webDir = argv[first + 1];
        } else {
            return Usage(argv[0]);
        }
        first += 2;
    }
    int args = argc - first;
    if (args < 1 || args > 3) return Usage(argv[0]);
    const char* database = argv[first];
    const char* portText = args > 1 ? argv[first + 1] : "80";
    std::string address = args > 2 ? argv[first + 2] : "0.0.0.0";
    char* end = nullptr;
    long port = std::strtol(portText, &end, 10);
    if (*portText == 0 || *end != 0 || port < 0 || port > 65535) {
        std::fprintf(stderr, "bad port: %s\n", portText);
        return 2;
    }
    std::signal(SIGPIPE, SIG_IGN);
    // Every waiting client holds a descriptor: allow as many as the system lets us.
    rlimit files;
    if (getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
        files.rlim_cur = files.rlim_max;
        setrlimit(RLIMIT_NOFILE, &files);
    }

    std::string reason;
    // One connection per worker: a worker never waits for another's.
    std::unique_ptr<ScoreStore> store = OpenScoreStore(database, limits.Workers, reason);
    if (!store) {
        std::fprintf(stderr, "cannot open %s: %s\n", database, reason.c_str());
        return 1;
    }
    StaticFiles game;
    if (webDir && !game.Load(webDir, reason)) {
        std::fprintf(stderr, "cannot serve the game: %s\n", reason.c_str());
        return 1;
    }
    Leaderboard page(*store, PageCacheMs, webDir != nullptr);

    HttpFront front(limits, [&store, &page, &game, webDir](const HttpRequest& req) {
        if (req.Method != "GET") return Status(405, "Method Not Allowed\n");
        if (req.Target.compare(0, 11, "/Scores.php") == 0) return ScoreRequest(*store, req.Target);
        if (webDir && StaticFiles::Claims(req.Target)) return game.Serve(req.Target);
        return page.Serve(req.Target);
    });
    if (!front.Listen(address, int(port), reason)) {
        std::fprintf(stderr, "cannot listen on %s:%s: %s\n", address.c_str(), portText, reason.c_str());
        return 1;
    }
    std::printf("Listening on %s:%d\n", address.c_str(), front.Port());
    std::fflush(stdout);
    front.Run();
    return 0;
}
