// The real program in a save folder that others can write to: special files
// in place of its save files, links planted under the temporary names it
// saves through, and a start-up that waits on something that never answers.
#include <gtest/gtest.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "support/FileKinds.h"
#include "support/GameProcess.h"

namespace {

const char SettingsFile[] = "Settings.sav";
const char ScoreFile[] = "Save_564_Gobbit.sav";
// The loader's last step: the title follows in the next update.
const char TitleReached[] = "Load SFX   : 18";

bool HaveDisplay() { return std::getenv("DISPLAY") != nullptr; }

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Waits until both save files are whole regular files (start-up saves
// during its first updates).
bool SavedWhole(const std::string& home, int timeoutMs = 10000) {
    for (int waited = 0; waited < timeoutMs; waited += 50) {
        if (Kind(home + "/" + SettingsFile) == "file" && Kind(home + "/" + ScoreFile) == "file" &&
            Bytes(home + "/" + SettingsFile).size() == 4496 && Bytes(home + "/" + ScoreFile).size() == 90788)
            return true;
        SleepMs(50);
    }
    return false;
}

// Sends one SIGTERM: the game must close through its farewell with status 0.
void CloseWithOneSignal(GameProcess& game) {
    kill(game.Pid(), SIGTERM);
    EXPECT_EQ(game.WaitExit(10000), 0) << game.Output();
    EXPECT_NE(game.Output().find("Farewell happy gamer"), std::string::npos) << game.Output();
}

}  // namespace

// A FIFO, a device or a folder in place of a save file: the game says it
// cannot read it, plays on as if the file were missing, and the first
// SIGTERM closes it. A FIFO or device is replaced by the next save, never
// written through; a folder cannot be replaced and stays.
TEST(SaveFolderGame, SpecialFilesAsSaveFilesNeitherHoldUpNorStopTheGame) {
    if (!HaveDisplay()) GTEST_SKIP() << "needs a display";
    for (const SpecialFile& special : SpecialFiles) {
        for (const char* file : {SettingsFile, ScoreFile}) {
            SCOPED_TRACE(std::string(special.what) + " as " + file);
            GameProcess game;
            game.SetEnv("ALSOFT_DRIVERS", "null");
            ASSERT_TRUE(game.MakeHome());
            const std::string path = game.Home() + "/" + file;
            if (!special.make(path)) {
                std::printf("%s could not be made here; its row is left out\n", special.what);
                continue;
            }
            auto start = std::chrono::steady_clock::now();
            ASSERT_TRUE(game.Start());
            if (game.WaitForText(TitleReached, 20000) == std::string::npos) {
                ADD_FAILURE() << "the title never came\n" << game.Output();
                continue;
            }
            auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
            std::printf("%s as %s: the title after %d ms\n", special.what, file, int(ms.count()));
            // Both reads fail: the other file is missing from the fresh
            // folder, and this one is refused.
            std::string out = game.Output();
            int refused = 0;
            for (size_t at = out.find("Error Reading File"); at != std::string::npos;
                 at = out.find("Error Reading File", at + 1))
                refused++;
            EXPECT_EQ(refused, 2) << out;
            if (special.replacedBySave) {
                EXPECT_TRUE(SavedWhole(game.Home())) << game.Output();
            }
            CloseWithOneSignal(game);
            if (special.replacedBySave) {
                EXPECT_EQ(Kind(path), "file");
                EXPECT_EQ(ModeOf(path), 0600u);
            } else {
                EXPECT_EQ(Kind(path), "folder");
            }
        }
    }
}

// The pid is easy to guess: links planted under the temporary names the
// game will save through, before it starts, leave their target untouched,
// and the saves are still written, whole and for the player alone.
TEST(SaveFolderGame, LinksPlantedAsTheTemporaryNamesAreLeftAloneAndTheSavesWritten) {
    if (!HaveDisplay()) GTEST_SKIP() << "needs a display";
    GameProcess game;
    game.SetEnv("ALSOFT_DRIVERS", "null");
    ASSERT_TRUE(game.MakeHome());
    const std::string home = game.Home();
    { std::ofstream(home + "/victim") << "keep"; }
    // Run in the child after the fork, so getpid() is the game's pid.
    game.BeforeExec([home] {
        std::string pid = std::to_string(long(getpid()));
        for (const char* file : {SettingsFile, ScoreFile})
            if (symlink((home + "/victim").c_str(), (home + "/" + file + "." + pid + ".tmp").c_str()) != 0)
                return false;
        return true;
    });
    ASSERT_TRUE(game.Start());
    ASSERT_NE(game.WaitForText(TitleReached, 20000), std::string::npos) << game.Output();
    EXPECT_TRUE(SavedWhole(home)) << game.Output();
    CloseWithOneSignal(game);

    EXPECT_EQ(Bytes(home + "/victim"), "keep");
    const std::string pid = std::to_string(long(game.Pid()));
    for (const char* file : {SettingsFile, ScoreFile}) {
        SCOPED_TRACE(file);
        const std::string temp = std::string(file) + "." + pid + ".tmp";
        EXPECT_EQ(Kind(home + "/" + temp), "link");
        EXPECT_EQ(Kind(home + "/" + file), "file");
        EXPECT_EQ(ModeOf(home + "/" + file), 0600u);
        EXPECT_NE(game.Output().find(temp + " is taken by a file the game did not leave"), std::string::npos)
            << game.Output();
    }
    EXPECT_EQ(game.Output().find("Error Writing File"), std::string::npos) << game.Output();
}

// A display that takes the connection and never answers holds start-up in
// the window's opening: the first SIGTERM still ends the game at once.
TEST(SaveFolderGame, AStartUpWaitingOnADisplayThatNeverAnswersEndsOnTheFirstSignal) {
    int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(listener, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(listen(listener, 4), 0);
    ASSERT_EQ(getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len), 0);
    int port = ntohs(addr.sin_port);
    ASSERT_GE(port, 6000);  // display n listens on port 6000 + n

    GameProcess game;
    game.SetEnv("ALSOFT_DRIVERS", "null");
    game.SetEnv("DISPLAY", "127.0.0.1:" + std::to_string(port - 6000));
    game.SetEnv("WAYLAND_DISPLAY", "");
    ASSERT_TRUE(game.Start());
    pollfd p{listener, POLLIN, 0};
    ASSERT_EQ(poll(&p, 1, 10000), 1) << "the game never reached for its display\n" << game.Output();
    int connection = accept(listener, nullptr, nullptr);
    ASSERT_GE(connection, 0);
    SleepMs(300);
    ASSERT_TRUE(game.Running()) << game.Output();
    kill(game.Pid(), SIGTERM);
    EXPECT_EQ(game.WaitExit(5000), 0) << game.Output();
    EXPECT_NE(game.Output().find("Closed during start-up"), std::string::npos) << game.Output();
    close(connection);
    close(listener);
}
