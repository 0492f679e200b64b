// gobbit_score_server [OPTIONS] DATABASE [PORT [ADDRESS]]
//
// The reference server of the online score boards (server/README.md): takes
// the game's score messages and journals, replays every journal before its
// score ranks, and serves the leaderboard page with each verified game's
// journal. With --web, the browser build of the game in DIR is served at
// /play/. DATABASE is an SQLite file or a postgresql:// URL. Port 0 picks a
// free port.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "HttpFront.h"
#include "Leaderboard.h"
#include "Privileges.h"
#include "ReplayCheckers.h"
#include "ScoreService.h"
#include "ScoreStore.h"
#include "StaticFiles.h"

namespace {

// How long a leaderboard page is served from memory.
constexpr int PageCacheMs = 2000;
// Who a server started as root runs as, unless --user says otherwise.
constexpr const char* DefaultUser = "nobody";

int Usage(const char* self) {
    std::fprintf(stderr,
                 "usage: %s [--workers N] [--replays N] [--accept-unverified] [--user NAME] [--web DIR]\n"
                 "       DATABASE [PORT [ADDRESS]]\n",
                 self);
    return 2;
}

bool Count(const char* text, int most, int& out) {
    char* end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (*text == 0 || *end != 0 || v < 1 || v > most) return false;
    out = int(v);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--checker") == 0) return RunChecker();

    FrontLimits limits;
    ServiceOptions options;
    // One checker per processor: replaying is all processor work.
    unsigned cores = std::thread::hardware_concurrency();
    int replays = cores ? int(cores) : 1;
    std::string user = DefaultUser;
    const char* webDir = nullptr;
    int first = 1;
    while (first < argc && std::strncmp(argv[first], "--", 2) == 0) {
        std::string option = argv[first];
        const char* value = first + 1 < argc ? argv[first + 1] : nullptr;
        if (option == "--accept-unverified") {
            options.AcceptUnverified = true;
            first += 1;
            continue;
        }
        if (!value) return Usage(argv[0]);
        if (option == "--workers") {
            if (!Count(value, 256, limits.Workers)) return Usage(argv[0]);
        } else if (option == "--replays") {
            if (!Count(value, 64, replays)) return Usage(argv[0]);
        } else if (option == "--user") {
            user = value;
        } else if (option == "--web") {
            webDir = value;
        } else {
            return Usage(argv[0]);
        }
        first += 2;
    }
    int args = argc - first;
    if (args < 1 || args > 3) return Usage(argv[0]);
    // The URL's password stays here; the process list and the log show stars.
    const std::string database = argv[first];
    HidePasswordInArguments(argv[first]);
    const std::string shownDatabase = ShownDatabase(database);
    const char* portText = args > 1 ? argv[first + 1] : "80";
    std::string address = args > 2 ? argv[first + 2] : "0.0.0.0";
    char* end = nullptr;
    long port = std::strtol(portText, &end, 10);
    if (*portText == 0 || *end != 0 || port < 0 || port > 65535) {
        std::fprintf(stderr, "bad port: %s\n", portText);
        return 2;
    }
    std::signal(SIGPIPE, SIG_IGN);
    // Whatever the server creates (the database, its WAL) is its own alone.
    umask(077);
    // Every waiting client holds a descriptor: allow as many as the system lets us.
    rlimit files;
    if (getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
        files.rlim_cur = files.rlim_max;
        setrlimit(RLIMIT_NOFILE, &files);
    }

    std::unique_ptr<ScoreStore> store;
    ReplayCheckers checkers;
    std::unique_ptr<Leaderboard> page;
    std::unique_ptr<ScoreService> service;
    std::vector<HttpFront::Lane> lanes(2);
    lanes[QuickLane] = {limits.Workers, limits.Queue, [&service](const HttpRequest& r) { return service->Quick(r); }};
    // Two journal workers per checker, so one's replay runs while the
    // other's commit waits for the disk. Journals waiting for a worker:
    // about half a second of replays per checker, 503 past them (the game
    // sends the journal again later).
    lanes[JournalLane] = {2 * replays, 32 * replays,
                          [&service](const HttpRequest& r) { return service->TakeJournal(r); }};
    HttpFront front(limits, [&service](const HttpRequest& head) { return service->Admit(head); }, lanes);

    std::string reason;
    if (!front.Listen(address, int(port), reason)) {
        std::fprintf(stderr, "cannot listen on %s:%s: %s\n", address.c_str(), portText, reason.c_str());
        return 1;
    }
    if (!checkers.Open(reason)) {
        std::fprintf(stderr, "cannot replay journals: %s\n", reason.c_str());
        return 1;
    }
    // The port is bound: root has nothing left to do.
    bool wasRoot = geteuid() == 0;
    if (!DropRoot(user, reason)) {
        std::fprintf(stderr, "will not run as root: %s\n", reason.c_str());
        return 1;
    }
    if (wasRoot) std::printf("Running as %s, not root\n", user.c_str());
    DropCapabilities();

    // One connection per worker of either lane: none waits for another's.
    store = OpenScoreStore(database, limits.Workers + 2 * replays, reason);
    if (!store) {
        std::fprintf(stderr, "cannot open %s: %s\n", shownDatabase.c_str(), reason.c_str());
        return 1;
    }
    store->RankClaims(options.AcceptUnverified);
    if (!checkers.Start(replays, reason)) {
        std::fprintf(stderr, "cannot replay journals: %s\n", reason.c_str());
        return 1;
    }
    StaticFiles game;
    if (webDir && !game.Load(webDir, reason)) {
        std::fprintf(stderr, "cannot serve the game: %s\n", reason.c_str());
        return 1;
    }
    page = std::make_unique<Leaderboard>(*store, PageCacheMs, webDir != nullptr);
    service = std::make_unique<ScoreService>(*store, checkers, *page, options, webDir ? &game : nullptr);

    std::printf("Listening on %s:%d\n", address.c_str(), front.Port());
    if (options.AcceptUnverified) std::printf("Unverified scores rank too (--accept-unverified)\n");
    std::fflush(stdout);
    front.Run();
    return 0;
}
