// gobbit_score_server DATABASE [PORT [ADDRESS]]
//
// Answers the game's "GET /Scores.php?Game=0564&Score=..." requests: stores
// the scores of a valid message and replies with every board's top five
// between the data markers the game looks for. Port 0 picks a free port.
#include <cstdio>
#include <cstdlib>
#include <string>

#include <httplib.h>

#include "ScoreMessage.h"
#include "ScoreStore.h"

namespace {

std::string Reply(ScoreStore& store) {
    std::string body = "[-\r\nData-]";
    for (int b = 1; b <= ServerBoards; b++) {
        std::vector<RankedScore> top = store.Top(b);
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

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 4) {
        std::fprintf(stderr, "usage: %s DATABASE [PORT [ADDRESS]]\n", argv[0]);
        return 2;
    }
    int port = argc > 2 ? std::atoi(argv[2]) : 80;
    std::string address = argc > 3 ? argv[3] : "0.0.0.0";
    if (port < 0 || port > 65535) {
        std::fprintf(stderr, "bad port: %s\n", argv[2]);
        return 2;
    }

    ScoreStore store;
    std::string reason;
    if (!store.Open(argv[1], reason)) {
        std::fprintf(stderr, "cannot open %s: %s\n", argv[1], reason.c_str());
        return 1;
    }

    httplib::Server server;
    server.Get("/Scores.php", [&store](const httplib::Request& req, httplib::Response& res) {
        // The raw target: the score text holds "=" and other characters a
        // query parser would split on.
        ScoreMessage m;
        std::string why;
        if (!ParseScoreRequest(req.target, m, why)) {
            std::printf("rejected: %s\n", why.c_str());
            std::fflush(stdout);
            res.status = 400;
            res.set_content("Bad Request\n", "text/plain");
            return;
        }
        if (!store.Record(m)) {
            res.status = 500;
            res.set_content("Cannot store\n", "text/plain");
            return;
        }
        std::printf("stored: %s\n", m.User.c_str());
        std::fflush(stdout);
        res.set_content(Reply(store), "text/plain");
    });

    if (port == 0) {
        port = server.bind_to_any_port(address);
        if (port < 0) port = 0;
    } else if (!server.bind_to_port(address, port)) {
        port = 0;
    }
    if (port == 0) {
        std::fprintf(stderr, "cannot listen on %s:%s\n", address.c_str(), argc > 2 ? argv[2] : "80");
        return 1;
    }
    std::printf("Listening on %s:%d\n", address.c_str(), port);
    std::fflush(stdout);
    return server.listen_after_bind() ? 0 : 1;
}
