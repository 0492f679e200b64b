// The score server started with --web: the browser build beside the
// leaderboard, and a folder without the game refused at start.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/LoopbackServer.h"
#include "support/ScoreServerProcess.h"

namespace {

namespace fs = std::filesystem;

TEST(ScoreServerWeb, ServesTheGameAtPlayAndTheLeaderboardLinksToIt) {
    std::string tmpl = (fs::temp_directory_path() / "gobbit-server-web-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    const fs::path dir = tmpl, play = dir / "play";
    fs::create_directories(play);
    std::ofstream(play / "index.html") << "<title>Gobbit in a browser</title>";

    {
        ScoreServerProcess server((dir / "scores.db").string(), (dir / "server.log").string(), 0,
                                  {"--web", play.string()});
        ASSERT_NE(server.Port(), 0);
        std::string body;
        EXPECT_EQ(HttpGet(server.Port(), "/play/", &body), 200);
        EXPECT_EQ(body, "<title>Gobbit in a browser</title>");
        EXPECT_EQ(HttpGet(server.Port(), "/", &body), 200);
        EXPECT_NE(body.find("href=\"/play/\""), std::string::npos) << body;
        EXPECT_EQ(HttpGet(server.Port(), "/play/other.js"), 404);
    }

    // Without an index.html there is no game to serve: the server says so
    // and does not start.
    fs::remove(play / "index.html");
    std::string output;
    const int status = RunProgram({std::string(GOBBIT_BUILD_DIR) + "/server/gobbit_score_server", "--web",
                                   play.string(), (dir / "other.db").string(), "0", "127.0.0.1"},
                                  output);
    EXPECT_EQ(status, 1) << output;
    EXPECT_NE(output.find("cannot serve the game"), std::string::npos) << output;
    fs::remove_all(dir);
}

}  // namespace
