#include "ScoreService.h"

#include <cstdio>
#include <cstring>
#include <mutex>

#include "Sha256.h"
#include "rules/Journal.h"
#include "rules/Replay.h"

namespace {

std::mutex LogLock;

// One line of the server's log per request that reaches the database.
void Log(const std::string& line) {
    std::lock_guard<std::mutex> guard(LogLock);
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

HttpResponse Text(int status, const std::string& text) {
    HttpResponse r;
    r.Status = status;
    r.Body = text + "\n";
    return r;
}

bool Starts(const std::string& s, const char* prefix) { return s.compare(0, std::strlen(prefix), prefix) == 0; }

// The reply the game reads: between its data markers, 22 fields a board:
// the marker, the board, then per rank name, score, rank and a spare field.
std::string TablesReply(const std::vector<RankedScore> (&tops)[ServerBoards]) {
    std::string body = "[-\r\nData-]";
    for (int b = 1; b <= ServerBoards; b++) {
        const std::vector<RankedScore>& top = tops[b - 1];
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

const char JournalPath[] = "/journal";

}  // namespace

bool ParseJournalTarget(const std::string& target, std::string& user, std::string& name, std::string& reason) {
    const std::string prefix = std::string(JournalPath) + "?";
    if (!Starts(target, prefix.c_str())) {
        reason = "not a journal's path";
        return false;
    }
    std::string game;
    bool haveGame = false, haveUser = false, haveName = false;
    std::size_t at = prefix.size();
    while (at <= target.size()) {
        std::size_t end = target.find('&', at);
        if (end == std::string::npos) end = target.size();
        std::string pair = target.substr(at, end - at);
        std::size_t eq = pair.find('=');
        std::string key = pair.substr(0, eq), value = eq == std::string::npos ? "" : pair.substr(eq + 1);
        if (key == "game" && !haveGame) {
            game = value;
            haveGame = true;
        } else if (key == "user" && !haveUser) {
            user = value;
            haveUser = true;
        } else if (key == "name" && !haveName) {
            // Spaces come as %20; nothing else in a name needs escaping.
            name.clear();
            for (std::size_t i = 0; i < value.size(); i++) {
                if (value.compare(i, 3, "%20") == 0) {
                    name += ' ';
                    i += 2;
                } else {
                    name += value[i];
                }
            }
            haveName = true;
        } else {
            reason = "unknown or repeated field \"" + key.substr(0, 20) + "\"";
            return false;
        }
        at = end + 1;
    }
    char number[8];
    std::snprintf(number, sizeof number, "%04d", ServerGameNumber);
    if (!haveGame || game != number) {
        reason = "wrong game";
        return false;
    }
    if (!haveUser || !ValidUser(user)) {
        reason = "bad user ID";
        return false;
    }
    while (!name.empty() && name.back() == ' ') name.pop_back();
    if (!haveName || !ValidName(name)) {
        reason = "bad name";
        return false;
    }
    return true;
}

std::string DownloadHash(const std::string& target) {
    const std::string prefix = std::string(JournalPath) + "/";
    if (!Starts(target, prefix.c_str()) || target.size() != prefix.size() + 64) return "";
    std::string hash = target.substr(prefix.size());
    return hash.find_first_not_of("0123456789abcdef") == std::string::npos ? hash : "";
}

Route ScoreService::Admit(const HttpRequest& head) {
    Route route;
    const std::string& t = head.Target;
    bool journal = t == JournalPath || Starts(t, "/journal?");
    if (head.Method == "POST" && journal) {
        route.Lane = JournalLane;
        route.MaxBody = MaxUploadBytes;
        if (!limits_.Take(head.Address, AddressLimits::Journal, SteadyMs())) route.Refuse = 429;
        return route;
    }
    if (head.Method != "GET") {
        route.Refuse = 405;
        return route;
    }
    route.Lane = QuickLane;
    // The page and the game's files are served from memory; everything else
    // reads the database.
    bool page = t == "/" || Starts(t, "/?") || (game_ && StaticFiles::Claims(t));
    if (!page && !limits_.Take(head.Address, AddressLimits::Message, SteadyMs())) route.Refuse = 429;
    return route;
}

HttpResponse ScoreService::Quick(const HttpRequest& req) {
    if (Starts(req.Target, "/Scores.php")) return ScoreRequest(req);
    if (Starts(req.Target, "/journal/")) return Download(DownloadHash(req.Target));
    if (game_ && StaticFiles::Claims(req.Target)) return game_->Serve(req.Target);
    return page_.Serve(req.Target);
}

int ScoreService::NewPlayerCheck(const HttpRequest& req, const std::string& user, bool& isNew) {
    bool known = false;
    if (!store_.KnownUser(user, known)) return 503;
    isNew = !known;
    if (isNew && !limits_.MayAddPlayer(req.Address, SteadyMs())) return 429;
    return 0;
}

HttpResponse ScoreService::ScoreRequest(const HttpRequest& req) {
    // The raw target: the score text holds "=" and other characters a query
    // parser would split on.
    ScoreMessage m;
    std::string why;
    if (!ParseScoreRequest(req.Target, m, why)) {
        Log("rejected: " + why);
        return Text(400, "Bad Request");
    }
    if (options_.AcceptUnverified) {
        bool isNew = false;
        if (int refused = NewPlayerCheck(req, m.User, isNew)) {
            Log("refused (" + std::to_string(refused) + "): " + m.User);
            return Text(refused, refused == 429 ? "Too many new players from this address" : "Cannot read");
        }
        if (!store_.Record(m)) {
            Log("cannot store: " + m.User);
            return Text(500, "Cannot store");
        }
        if (isNew) limits_.PlayerAdded(req.Address, SteadyMs());
        Log("stored: " + m.User);
    } else {
        // Without its journal a claim proves nothing: it gets the tables,
        // and is neither ranked nor kept.
        Log("claim not ranked: " + m.User);
    }
    std::vector<RankedScore> tops[ServerBoards];
    if (!store_.TopAll(tops)) return Text(500, "Cannot read");
    HttpResponse r;
    r.Body = TablesReply(tops);
    return r;
}

HttpResponse ScoreService::Download(const std::string& hash) {
    if (hash.empty()) return Text(404, "Not Found");
    std::string bytes;
    bool found = false;
    if (!store_.JournalBytes(hash, bytes, found)) return Text(503, "Journals cannot be read just now");
    if (!found) return Text(404, "Not Found");
    HttpResponse r;
    r.Type = "application/octet-stream";
    r.Body = std::move(bytes);
    // A journal never changes under its hash.
    r.Headers = "Content-Disposition: attachment; filename=\"gobbit-" + hash.substr(0, 12) +
                ".journal\"\r\nCache-Control: public, max-age=31536000, immutable\r\n";
    return r;
}

HttpResponse ScoreService::TakeJournal(const HttpRequest& req) {
    std::string user, name, why;
    if (!ParseJournalTarget(req.Target, user, name, why)) {
        Log("journal rejected: " + why);
        return Text(400, "Bad Request: " + why);
    }
    Journal journal;
    if (!DecodeJournal(reinterpret_cast<const std::uint8_t*>(req.Body.data()), req.Body.size(), journal, why)) {
        Log("journal rejected: " + user + ": " + why);
        return Text(400, "Not a journal: " + why);
    }
    if (!JournalFitsTheseRules(journal, why)) {
        Log("journal refused (409): " + user + ": " + why);
        return Text(409, "This server replays another version of the game: the journal was " + why);
    }
    // The same game always has the same bytes in the one form a journal is
    // written in, so the hash names the game.
    std::vector<std::uint8_t> canonical = EncodeJournal(journal);
    std::string bytes(canonical.begin(), canonical.end());
    std::string hash = Sha256Hex(bytes.data(), bytes.size());

    std::string owner;
    if (!store_.JournalOwner(hash, owner)) return Text(503, "Journals cannot be read just now");
    if (owner == user) return Text(200, "verified: this journal is stored already");
    if (!owner.empty()) {
        Log("journal refused (409): " + user + ": sent before by another player");
        return Text(409, "This journal was sent before by another player");
    }
    bool isNew = false;
    if (int refused = NewPlayerCheck(req, user, isNew)) {
        Log("journal refused (" + std::to_string(refused) + "): " + user);
        return Text(refused, refused == 429 ? "Too many new players from this address" : "Cannot read");
    }

    ReplayOutcome replay = checkers_.Replay(bytes);
    switch (replay.Result) {
    case ReplayOutcome::Verified: break;
    case ReplayOutcome::Differs:
        Log("journal refused (422): " + user + ": " + replay.Message);
        return Text(422, "The replay differs: " + replay.Message);
    case ReplayOutcome::Unusable:
        Log("journal rejected: " + user + ": " + replay.Message);
        return Text(400, "Not a journal these rules replay: " + replay.Message);
    case ReplayOutcome::TooCostly:
        Log("journal refused (413): " + user + ": " + replay.Message);
        return Text(413, "Too long to replay: " + replay.Message);
    case ReplayOutcome::Failed:
        Log("journal not replayed: " + user + ": " + replay.Message);
        return Text(503, "Cannot replay just now");
    }
    // A game that scored nothing ranks nowhere: nothing to keep.
    if (replay.Score <= 0) return Text(200, "verified 0: nothing to rank");

    VerifiedGame game{hash, journal.Difficulty, user, name, replay.Score, std::move(bytes)};
    switch (store_.RecordVerified(game)) {
    case ScoreStore::Kept::New:
        if (isNew) limits_.PlayerAdded(req.Address, SteadyMs());
        Log("verified: " + user + " board " + std::to_string(game.Board) + " score " + std::to_string(game.Score));
        return Text(200, "verified " + std::to_string(game.Score));
    case ScoreStore::Kept::Again: return Text(200, "verified: this journal is stored already");
    case ScoreStore::Kept::OtherPlayer: return Text(409, "This journal was sent before by another player");
    case ScoreStore::Kept::Failed: break;
    }
    Log("cannot store: " + user);
    return Text(503, "Cannot store just now");
}
