// What the score server answers, path by path:
//   GET  /Scores.php?Game=0564&Score=...   the game's score message: its
//        claims are stored only on a server that accepts unverified scores;
//        the reply is every board's top five either way
//   POST /journal?game=0564&user=U&name=N  a game's journal: replayed, and
//        its score stored as verified when the replay reaches it
//   GET  /journal/HASH                     a stored journal, to download
//   GET  / and /?board=N                   the leaderboard page
//   GET  /play/...                         the browser build of the game,
//        when the server serves it (--web)
// Routing and the per-address allowances are decided on the front's event
// thread; the score exchange and the page run on the first lane's workers,
// journals on a lane of their own, one worker per checker.
#pragma once

#include <cstddef>
#include <string>

#include "AddressLimits.h"
#include "HttpFront.h"
#include "Leaderboard.h"
#include "ReplayCheckers.h"
#include "ScoreStore.h"
#include "StaticFiles.h"

// The largest journal taken. A ten-level game is about 2 KB; an hour of
// play is a few tens of KB.
constexpr std::size_t MaxUploadBytes = 1u << 20;
// Lanes of the front.
constexpr int QuickLane = 0;
constexpr int JournalLane = 1;

struct ServiceOptions {
    bool AcceptUnverified = false;  // claims of score messages rank too
};

class ScoreService {
public:
    ScoreService(ScoreStore& store, ReplayCheckers& checkers, Leaderboard& page, const ServiceOptions& options,
                 const StaticFiles* game = nullptr)
        : store_(store), checkers_(checkers), page_(page), options_(options), game_(game) {}

    // On the event thread, once a request's head is in.
    Route Admit(const HttpRequest& head);
    // The score exchange, journal downloads and the page.
    HttpResponse Quick(const HttpRequest& req);
    // A journal sent for replay.
    HttpResponse TakeJournal(const HttpRequest& req);

private:
    HttpResponse ScoreRequest(const HttpRequest& req);
    HttpResponse Download(const std::string& hash);
    // Whether user may be stored from address: a player the database knows
    // always may; a new one only within the address's hourly count. isNew
    // tells which, for PlayerAdded once stored.
    int NewPlayerCheck(const HttpRequest& req, const std::string& user, bool& isNew);

    ScoreStore& store_;
    ReplayCheckers& checkers_;
    Leaderboard& page_;
    ServiceOptions options_;
    const StaticFiles* game_;
    AddressLimits limits_;
};

// The user and the name of a journal's target
// "/journal?game=0564&user=LETTERS&name=NAME" (spaces in the name as %20).
// False, with a reason, when it is not one.
bool ParseJournalTarget(const std::string& target, std::string& user, std::string& name, std::string& reason);

// "/journal/HASH": the hash, or empty when the target is not a download.
std::string DownloadHash(const std::string& target);
