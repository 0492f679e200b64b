#include "Leaderboard.h"

namespace {

const char* const BoardNames[ServerBoards] = {"Easy", "Normal", "Hard"};
constexpr int FrontPageRows = 10;
constexpr int BoardPageRows = 100;

const char Style[] =
    "body{font-family:sans-serif;margin:0 auto;padding:0 12px;max-width:36em;background:#101418;color:#eee}"
    "h1{font-size:1.6em}h2{font-size:1.2em;margin-top:1.4em}"
    "table{width:100%;border-collapse:collapse}td,th{padding:6px 4px;border-bottom:1px solid #333}"
    "th{text-align:left;color:#9ab}.n{text-align:right;font-variant-numeric:tabular-nums}"
    "nav a{color:#8cf;margin-right:1em}a{color:#8cf}.v{color:#7d7}.u{color:#a98}"
    "code{background:#223;padding:1px 4px;white-space:nowrap}";

// The board number of a "/?board=N" target; 0 for "/", -1 for anything else.
int BoardOf(const std::string& target) {
    if (target == "/") return 0;
    const std::string prefix = "/?board=";
    if (target.size() != prefix.size() + 1 || target.compare(0, prefix.size(), prefix) != 0) return -1;
    int b = target.back() - '0';
    return b >= 1 && b <= ServerBoards ? b : -1;
}

}  // namespace

std::string HtmlEscape(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string LeaderboardHtml(const std::vector<std::vector<RankedScore>>& boards, int only, bool playLink) {
    std::string h =
        "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
        "<title>Gobbit high scores</title><style>";
    h += Style;
    h += "</style></head><body>\n<h1>Gobbit high scores</h1>\n<nav><a href=\"/\">All</a>";
    for (int b = 1; b <= ServerBoards; b++)
        h += "<a href=\"/?board=" + std::to_string(b) + "\">" + BoardNames[b - 1] + "</a>";
    if (playLink) h += "<a href=\"/play/\">Play Gobbit</a>";
    h += "</nav>\n";
    h += "<p>A score marked verified was replayed by this server from the game's journal. Download a journal "
         "and watch the game with <code>gobbit --replay FILE</code>.</p>\n";
    for (int b = 1; b <= ServerBoards; b++) {
        if (only && b != only) continue;
        const std::vector<RankedScore>& rows = boards[std::size_t(b - 1)];
        h += "<h2 id=\"board-" + std::to_string(b) + "\">" + BoardNames[b - 1] + "</h2>\n";
        if (rows.empty()) {
            h += "<p>No scores yet.</p>\n";
            continue;
        }
        h += "<table><tr><th>Rank</th><th>Name</th><th class=\"n\">Score</th><th>Proof</th></tr>\n";
        for (std::size_t r = 0; r < rows.size(); r++) {
            const RankedScore& row = rows[r];
            // The hash is hex digits only; escaped all the same.
            std::string proof = row.Verified ? "<span class=\"v\">verified</span> <a href=\"/journal/" +
                                                   HtmlEscape(row.Journal) + "\" download>journal</a>"
                                             : "<span class=\"u\">unverified</span>";
            h += "<tr><td>" + std::to_string(r + 1) + "</td><td>" + HtmlEscape(row.Name) + "</td><td class=\"n\">" +
                 std::to_string(row.Score) + "</td><td>" + proof + "</td></tr>\n";
        }
        h += "</table>\n";
    }
    h += "</body></html>\n";
    return h;
}

HttpResponse Leaderboard::Serve(const std::string& target) {
    HttpResponse r;
    int only = BoardOf(target);
    if (only < 0) {
        r.Status = 404;
        r.Body = "Not Found\n";
        return r;
    }
    r.Type = "text/html; charset=utf-8";
    r.Headers = "Cache-Control: public, max-age=" + std::to_string((cacheMs_ + 999) / 1000) + "\r\n";
    auto now = std::chrono::steady_clock::now();
    std::lock_guard<std::mutex> guard(lock_);
    auto it = pages_.find(only);
    if (it != pages_.end() && now - it->second.Made < std::chrono::milliseconds(cacheMs_)) {
        r.Body = it->second.Html;
        return r;
    }
    std::vector<std::vector<RankedScore>> boards(ServerBoards);
    for (int b = 1; b <= ServerBoards; b++) {
        if (only && b != only) continue;
        if (!store_.Top(b, only ? BoardPageRows : FrontPageRows, boards[std::size_t(b - 1)])) {
            r.Status = 503;
            r.Type = "text/plain";
            r.Headers.clear();
            r.Body = "Scores cannot be read just now\n";
            return r;
        }
    }
    r.Body = LeaderboardHtml(boards, only, playLink_);
    pages_[only] = {r.Body, now};
    return r;
}
