// The game as players get it: installed with `cmake --install` into a fresh
// prefix, and the .deb's files extracted into a fresh root. Each copy is
// started by name through PATH from an unrelated folder with a fresh HOME;
// it must reach the title, keep its saves in the XDG data folder and write
// nothing into the installation or the working folder. The validators and
// lintian check the installed files and the package when they are present.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "support/GameProcess.h"

namespace fs = std::filesystem;

namespace {

const std::string BuildDir = GOBBIT_BUILD_DIR;

std::string Quoted(const std::string& s) { return "'" + s + "'"; }

// Runs a shell command; returns its exit status and fills out with what it printed.
int Shell(const std::string& command, std::string* out = nullptr) {
    std::string text;
    FILE* p = popen((command + " 2>&1").c_str(), "r");
    if (!p) return -1;
    std::array<char, 4096> buf;
    size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) text.append(buf.data(), n);
    int status = pclose(p);
    if (out) *out = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool HaveTool(const std::string& name) { return Shell("command -v " + name) == 0; }

// Every file and folder under root with its size and change time, to tell
// whether anything was written there.
std::map<std::string, std::string> Snapshot(const std::string& root) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        struct stat st;
        if (lstat(e.path().c_str(), &st) != 0) continue;
        files[e.path().string()] = std::to_string(st.st_size) + "@" + std::to_string(st.st_ctim.tv_sec) + "." +
                                   std::to_string(st.st_ctim.tv_nsec);
    }
    return files;
}

class InstalledGame : public ::testing::Test {
protected:
    void SetUp() override {
        // The sanitizer build shares another build's data and draws no icons,
        // so it has nothing complete to install.
        if (!fs::exists(BuildDir + "/app-icons/32.png")) GTEST_SKIP() << "this build generated no assets";
        std::string templ = ::testing::TempDir() + "gobbit_installed_XXXXXX";
        ASSERT_NE(mkdtemp(templ.data()), nullptr);
        root_ = templ;
    }
    void TearDown() override {
        if (!root_.empty()) fs::remove_all(root_);
    }

    // Starts the copy in installRoot/<games> by name, from an empty working
    // folder, with a fresh HOME and XDG_DATA_HOME as given (empty: unset);
    // closes it at the title and checks where every file went.
    void PlayOnce(const std::string& installRoot, const std::string& gamesDir, const std::string& dataHome,
                  const std::string& label, const std::string& xdg) {
        SCOPED_TRACE(label);
        const std::string home = root_ + "/home-" + label, work = root_ + "/work-" + label;
        fs::create_directories(home);
        fs::create_directories(work);
        const std::string saves = xdg.empty() ? home + "/.local/share/gobbit" : xdg + "/gobbit";
        const auto installed = Snapshot(installRoot);

        GameProcess game;
        game.SetEnv("PATH", gamesDir + ":" + std::getenv("PATH"));
        game.SetEnv("HOME", home);
        game.SetEnv("XDG_DATA_HOME", xdg);
        game.SetEnv("ALSOFT_DRIVERS", "null");
        ASSERT_TRUE(game.StartProgram("gobbit", work));
        ASSERT_NE(game.FindWindow(15000), 0u) << game.Output();
        EXPECT_NE(game.WaitForText("Installed layout: data from " + dataHome + ", saves in " + saves, 5000),
                  std::string::npos)
            << game.Output();
        // The loader's last step; the title follows in the next update.
        ASSERT_NE(game.WaitForText("Load SFX   : 18", 30000), std::string::npos) << game.Output();
        ASSERT_TRUE(game.RequestClose());
        ASSERT_EQ(game.WaitExit(15000), 0) << game.Output();

        // Closing finishes the start-up save: both files, whole, and nothing else.
        ASSERT_TRUE(fs::is_directory(saves)) << game.Output();
        std::map<std::string, uintmax_t> saved;
        for (const auto& e : fs::directory_iterator(saves)) saved[e.path().filename()] = fs::file_size(e.path());
        const std::map<std::string, uintmax_t> expected = {{"Settings.sav", 4496}, {"Save_564_Gobbit.sav", 90788}};
        EXPECT_EQ(saved, expected);
        struct stat st;
        ASSERT_EQ(stat(saves.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u);

        EXPECT_TRUE(fs::is_empty(work)) << "the game wrote into its working folder";
        EXPECT_EQ(Snapshot(installRoot), installed) << "the game wrote into its installation";
    }

    std::string root_;
};

TEST_F(InstalledGame, PrefixInstallRunsByNameWithSavesInTheDataFolder) {
    const std::string prefix = root_ + "/prefix";
    std::string out;
    ASSERT_EQ(Shell("cmake --install " + Quoted(BuildDir) + " --prefix " + Quoted(prefix), &out), 0)
        << out;

    const std::string id = "io.github.gobbitgame.Gobbit";
    const std::string files[] = {"games/gobbit",
                                 "share/games/gobbit/Data/564/gfx.png",
                                 "share/applications/" + id + ".desktop",
                                 "share/metainfo/" + id + ".metainfo.xml",
                                 "share/icons/hicolor/32x32/apps/" + id + ".png",
                                 "share/icons/hicolor/256x256/apps/" + id + ".png",
                                 "share/man/man6/gobbit.6.gz"};
    for (const std::string& file : files)
        EXPECT_TRUE(fs::exists(prefix + "/" + file)) << file;
    // The menu entry starts the installed program, wherever the prefix is.
    std::ifstream desktop(prefix + "/share/applications/" + id + ".desktop");
    std::string entry((std::istreambuf_iterator<char>(desktop)), std::istreambuf_iterator<char>());
    EXPECT_NE(entry.find("\nExec=" + prefix + "/games/gobbit\n"), std::string::npos) << entry;
    if (HaveTool("desktop-file-validate")) {
        EXPECT_EQ(Shell("desktop-file-validate " + Quoted(prefix + "/share/applications/" + id + ".desktop"), &out), 0)
            << out;
    }
    if (HaveTool("appstreamcli")) {
        std::string metainfo = prefix + "/share/metainfo/" + id + ".metainfo.xml";
        EXPECT_EQ(Shell("appstreamcli validate --no-net " + Quoted(metainfo), &out), 0) << out;
    }
    // The score server's service starts the installed server, and systemd
    // finds nothing wrong with it.
    const std::string unit = prefix + "/lib/systemd/system/gobbit-score-server.service";
    std::ifstream service(unit);
    std::string serviceText((std::istreambuf_iterator<char>(service)), std::istreambuf_iterator<char>());
    EXPECT_NE(serviceText.find("\nExecStart=" + prefix + "/bin/gobbit_score_server "), std::string::npos) << serviceText;
    EXPECT_TRUE(fs::exists(prefix + "/bin/gobbit_score_server"));
    if (HaveTool("systemd-analyze")) {
        EXPECT_EQ(Shell("systemd-analyze verify " + Quoted(unit), &out), 0) << out;
    }

    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs a display to start the game";
    const std::string data = prefix + "/share/games/gobbit";
    PlayOnce(prefix, prefix + "/games", data, "default", "");
    PlayOnce(prefix, prefix + "/games", data, "xdg", root_ + "/xdg-data");

    // A save folder that cannot be made (XDG_DATA_HOME under a plain file) is
    // reported; the game still starts and quits, and writes nowhere else.
    std::ofstream(root_ + "/plain") << "not a folder";
    const std::string home = root_ + "/home-blocked", work = root_ + "/work-blocked";
    fs::create_directories(home);
    fs::create_directories(work);
    const auto installed = Snapshot(prefix);
    GameProcess game;
    game.SetEnv("PATH", prefix + "/games:" + std::getenv("PATH"));
    game.SetEnv("HOME", home);
    game.SetEnv("XDG_DATA_HOME", root_ + "/plain/data");
    game.SetEnv("ALSOFT_DRIVERS", "null");
    ASSERT_TRUE(game.StartProgram("gobbit", work));
    ASSERT_NE(game.FindWindow(15000), 0u) << game.Output();
    EXPECT_NE(game.WaitForText("Could not create the save folder " + root_ + "/plain/data/gobbit", 5000),
              std::string::npos)
        << game.Output();
    ASSERT_NE(game.WaitForText("Load SFX   : 18", 30000), std::string::npos) << game.Output();
    ASSERT_TRUE(game.RequestClose());
    EXPECT_EQ(game.WaitExit(15000), 0) << game.Output();
    EXPECT_TRUE(fs::is_empty(home));
    EXPECT_TRUE(fs::is_empty(work));
    EXPECT_EQ(Snapshot(prefix), installed);
}

TEST_F(InstalledGame, ExtractedPackageRunsTheSameAndLintianFindsNoErrors) {
    if (!HaveTool("dpkg-shlibdeps") || !HaveTool("dpkg-deb")) GTEST_SKIP() << "needs dpkg-dev";
    const std::string out = root_ + "/package", pkgRoot = root_ + "/root";
    std::string log;
    ASSERT_EQ(Shell("cd " + Quoted(BuildDir) + " && " + "cpack -G DEB -B " + Quoted(out), &log), 0)
        << log;
    std::string deb;
    for (const auto& e : fs::directory_iterator(out))
        if (e.path().extension() == ".deb") deb = e.path();
    ASSERT_FALSE(deb.empty()) << log;

    ASSERT_EQ(Shell("dpkg-deb -f " + Quoted(deb) + " Package Section Depends", &log), 0) << log;
    EXPECT_NE(log.find("Package: gobbit\n"), std::string::npos) << log;
    EXPECT_NE(log.find("Section: games\n"), std::string::npos) << log;
    EXPECT_NE(log.find("libglfw3"), std::string::npos) << "dependencies not found by dpkg-shlibdeps: " << log;
    if (HaveTool("lintian")) {
        EXPECT_EQ(Shell("lintian " + Quoted(deb), &log), 0) << log;
    }

    ASSERT_EQ(Shell("dpkg-deb -x " + Quoted(deb) + " " + Quoted(pkgRoot), &log), 0) << log;
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs a display to start the game";
    PlayOnce(pkgRoot, pkgRoot + "/usr/games", pkgRoot + "/usr/share/games/gobbit", "default", "");
    PlayOnce(pkgRoot, pkgRoot + "/usr/games", pkgRoot + "/usr/share/games/gobbit", "xdg", root_ + "/xdg-data");
}

TEST_F(InstalledGame, WithoutItsDataItNamesTheFoldersAndExitsWithStatusOne) {
    // The program alone, as if its data had been removed.
    const std::string games = root_ + "/lonely/games", home = root_ + "/home", work = root_ + "/work";
    for (const std::string& dir : {games, home, work}) fs::create_directories(dir);
    fs::copy_file(GOBBIT_BINARY, games + "/gobbit");
    GameProcess game;
    game.SetEnv("PATH", games + ":" + std::getenv("PATH"));
    game.SetEnv("HOME", home);
    game.SetEnv("XDG_DATA_HOME", "");
    game.SetEnv("ALSOFT_DRIVERS", "null");
    ASSERT_TRUE(game.StartProgram("gobbit", work));
    EXPECT_EQ(game.WaitExit(10000), 1) << game.Output();
    const std::string out = game.Output();
    EXPECT_NE(out.find("cannot find its data"), std::string::npos) << out;
    EXPECT_NE(out.find(games + "/Data/564"), std::string::npos) << out;
    EXPECT_NE(out.find(root_ + "/lonely/share/games/gobbit/Data/564"), std::string::npos) << out;
    EXPECT_EQ(out.find("Opened Window"), std::string::npos) << "a window was opened: " << out;
    EXPECT_TRUE(fs::is_empty(home));
    EXPECT_TRUE(fs::is_empty(work));
}

}  // namespace
