// The score server's serving of the browser build (--web DIR): what each
// target under /play/ gets, and that nothing outside the folder is reached.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "Leaderboard.h"
#include "StaticFiles.h"

namespace {

namespace fs = std::filesystem;

void Write(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

// A build folder "play" with a secret file beside it and a subfolder in it.
class PlayFolder : public testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "gobbit-play-XXXXXX").string();
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        root = tmpl;
        play = root / "play";
        fs::create_directories(play / "sub");
        Write(play / "index.html", "<!DOCTYPE html><title>Gobbit</title>");
        Write(play / "index.wasm", std::string("\0asm\1\0\0\0", 8));
        Write(play / "index.data", "packed");
        Write(play / ".hidden", "not for the web");
        Write(play / "sub" / "inner.js", "inner");
        Write(root / "secret.txt", "outside the folder");
    }
    void TearDown() override { fs::remove_all(root); }

    fs::path root, play;
};

TEST_F(PlayFolder, EachTargetGetsItsFileOrNothing) {
    StaticFiles files;
    std::string reason;
    ASSERT_TRUE(files.Load(play.string(), reason)) << reason;
    const struct {
        const char* target;
        int status;
        std::string type, body, headers;
    } cases[] = {
        {"/play/", 200, "text/html; charset=utf-8", "<!DOCTYPE html><title>Gobbit</title>", "Cache-Control: no-cache\r\n"},
        {"/play/index.html?v=2", 200, "text/html; charset=utf-8", "<!DOCTYPE html><title>Gobbit</title>", "Cache-Control: no-cache\r\n"},
        {"/play/index.wasm", 200, "application/wasm", std::string("\0asm\1\0\0\0", 8), "Cache-Control: no-cache\r\n"},
        {"/play/index.data", 200, "application/octet-stream", "packed", "Cache-Control: no-cache\r\n"},
        {"/play", 301, "text/plain", "", "Location: /play/\r\n"},
        {"/play/../secret.txt", 404, "text/plain", "Not Found\n", ""},
        {"/play/%2e%2e/secret.txt", 404, "text/plain", "Not Found\n", ""},
        {"/play/sub/inner.js", 404, "text/plain", "Not Found\n", ""},
        {"/play/.hidden", 404, "text/plain", "Not Found\n", ""},
        {"/play/missing.js", 404, "text/plain", "Not Found\n", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target);
        ASSERT_TRUE(StaticFiles::Claims(c.target));
        HttpResponse r = files.Serve(c.target);
        EXPECT_EQ(r.Status, c.status);
        EXPECT_EQ(r.Type, c.type);
        EXPECT_EQ(r.Body, c.body);
        EXPECT_EQ(r.Headers, c.headers);
    }
    for (const char* other : {"/", "/?board=1", "/Scores.php?Game=0564&Score=x", "/player", "/plays/"})
        EXPECT_FALSE(StaticFiles::Claims(other)) << other;
}

TEST_F(PlayFolder, AFolderWithoutTheGameIsRefused) {
    std::string reason;
    StaticFiles none;
    EXPECT_FALSE(none.Load((root / "nowhere").string(), reason));
    EXPECT_NE(reason.find("cannot read"), std::string::npos) << reason;
    StaticFiles empty;
    EXPECT_FALSE(empty.Load((play / "sub").string(), reason));
    EXPECT_NE(reason.find("no index.html"), std::string::npos) << reason;
}

TEST(LeaderboardPage, LinksToTheGameOnlyWhenItIsServed) {
    const std::vector<std::vector<RankedScore>> boards(ServerBoards);
    EXPECT_NE(LeaderboardHtml(boards, 0, true).find("<a href=\"/play/\">"), std::string::npos);
    EXPECT_EQ(LeaderboardHtml(boards, 0, false).find("/play/"), std::string::npos);
}

}  // namespace
