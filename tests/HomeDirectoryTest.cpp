// Where the game finds its data and keeps its files: the portable layout
// (Data beside the executable), the installed one (data under
// ../share/games/gobbit, saves under the XDG data folder) and neither.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "shell/HomeDirectory.h"

namespace fs = std::filesystem;

namespace {

// A scratch tree with a build folder, an installed prefix, a folder with a
// link beside a Data folder, and a folder with the binary alone.
class GameFoldersTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string templ = ::testing::TempDir() + "gobbit_folders_XXXXXX";
        ASSERT_NE(mkdtemp(templ.data()), nullptr);
        root_ = templ;
        for (const char* dir : {"build/Data/564", "prefix/games", "prefix/share/games/gobbit/Data/564",
                                "linked/Data/564", "bare"})
            fs::create_directories(root_ + "/" + dir);
        for (const char* exe : {"build/gobbit", "prefix/games/gobbit", "bare/gobbit"})
            std::ofstream(root_ + "/" + exe) << "exe";
        // Data/564 as a plain file is not game data.
        fs::create_directories(root_ + "/wrong/Data");
        std::ofstream(root_ + "/wrong/Data/564") << "not a folder";
    }
    void TearDown() override { fs::remove_all(root_); }
    std::string root_;
};

TEST_F(GameFoldersTest, LayoutFollowsWhatIsOnDisk) {
    const std::string r = root_;
    const std::string shared = r + "/prefix/share/games/gobbit";
    struct Case {
        const char* what;
        std::string start, exe, xdg, userHome;
        bool installed;
        std::string home, data;
    };
    const Case cases[] = {
        {"build folder started by name", "gobbit", r + "/build/gobbit", "", "/u", false, r + "/build", r + "/build"},
        {"build folder started by path", r + "/build/gobbit", r + "/build/gobbit", "", "/u", false, r + "/build",
         r + "/build"},
        // A link beside a Data folder keeps that folder, as it always did.
        {"link beside a Data folder", r + "/linked/gobbit", r + "/prefix/games/gobbit", "", "/u", false,
         r + "/linked", r + "/linked"},
        {"no /proc: the start path decides", r + "/build/gobbit", "", "", "/u", false, r + "/build", r + "/build"},
        {"installed, default data folder", "gobbit", r + "/prefix/games/gobbit", "", "/u", true,
         "/u/.local/share/gobbit", shared},
        {"installed, started by full path", r + "/prefix/games/gobbit", r + "/prefix/games/gobbit", "", "/u", true,
         "/u/.local/share/gobbit", shared},
        {"installed, XDG_DATA_HOME set", "gobbit", r + "/prefix/games/gobbit", "/x/data", "/u", true,
         "/x/data/gobbit", shared},
        {"installed, relative XDG_DATA_HOME ignored", "gobbit", r + "/prefix/games/gobbit", "rel/data", "/u", true,
         "/u/.local/share/gobbit", shared},
        {"installed, through a relative start path", "./games/gobbit", r + "/prefix/games/gobbit", "", "/u", true,
         "/u/.local/share/gobbit", shared},
    };
    for (const Case& c : cases) {
        GameFolders f = ChooseGameFolders(c.start.c_str(), 564, {c.exe, c.xdg, c.userHome});
        SCOPED_TRACE(c.what);
        EXPECT_TRUE(f.Found);
        EXPECT_EQ(f.Installed, c.installed);
        EXPECT_EQ(f.Home, c.home);
        EXPECT_EQ(f.DataHome, c.data);
    }
}

TEST_F(GameFoldersTest, DataInNeitherPlaceNamesBothFolders) {
    for (const char* dir : {"bare", "wrong"}) {
        std::string exe = root_ + "/" + dir + "/gobbit";
        GameFolders f = ChooseGameFolders("gobbit", 564, {exe, "", "/u"});
        EXPECT_FALSE(f.Found) << dir;
        std::string message = DataMissingMessage(f);
        EXPECT_NE(message.find(root_ + "/" + dir + "/Data/564"), std::string::npos) << message;
        EXPECT_NE(message.find(root_ + "/share/games/gobbit/Data/564"), std::string::npos) << message;
    }
}

TEST_F(GameFoldersTest, SaveFolderIsCreatedPrivateWithItsParents) {
    mode_t old = umask(022);
    std::string saves = root_ + "/home/.local/share/gobbit";
    EXPECT_TRUE(MakePrivateFolder(saves));
    umask(old);
    for (const std::string& dir : {root_ + "/home/.local", root_ + "/home/.local/share", saves}) {
        struct stat st;
        ASSERT_EQ(stat(dir.c_str(), &st), 0) << dir;
        EXPECT_EQ(st.st_mode & 0777, 0700u) << dir;
    }
    // An existing folder is used as it is.
    fs::permissions(saves, fs::perms(0755));
    EXPECT_TRUE(MakePrivateFolder(saves));
    EXPECT_EQ(fs::status(saves).permissions(), fs::perms(0755));
    // Under a plain file no folder can be made, whoever asks.
    EXPECT_FALSE(MakePrivateFolder(root_ + "/wrong/Data/564/saves"));
}

}  // namespace
