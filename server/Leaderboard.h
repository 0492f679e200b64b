// The public leaderboard page: "/" shows the top ten of every board,
// "/?board=N" the top hundred of one. Plain HTML that reads on a phone and
// needs no script. Pages are kept for a couple of seconds so a busy page
// costs the database one read per page per interval.
#pragma once

#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "HttpFront.h"
#include "ScoreStore.h"

// Text made safe inside HTML elements and attribute values.
std::string HtmlEscape(const std::string& text);

// The page for one board (1..ServerBoards) or for all (0); with playLink,
// its links lead to the game in the browser too (served at /play/).
std::string LeaderboardHtml(const std::vector<std::vector<RankedScore>>& boards, int only, bool playLink = false);

class Leaderboard {
public:
    Leaderboard(ScoreStore& store, int cacheMs, bool playLink = false)
        : store_(store), cacheMs_(cacheMs), playLink_(playLink) {}
    // The reply for a target of "/" or "/?board=N": 404 for anything else.
    HttpResponse Serve(const std::string& target);

private:
    struct Cached {
        std::string Html;
        std::chrono::steady_clock::time_point Made;
    };
    ScoreStore& store_;
    int cacheMs_;
    bool playLink_;
    std::map<int, Cached> pages_;
    std::mutex lock_;
};
