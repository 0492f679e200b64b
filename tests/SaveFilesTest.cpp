// The settings and score files: their exact bytes (checked by a reader
// written here from the file format, not by the game's code), the checks and
// repairs at load, hostile files, and saves cut short at any point.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "persist/SaveFormat.h"
#include "shell/MyGame.h"
#include "support/PersistFixture.h"
#include "sys/ZARNSys.h"

namespace {

// ---- An independent reader of the score file ----

int32_t Wrap(int64_t x) { return int32_t(uint32_t(uint64_t(x))); }
int StepF(int64_t x, int m) { return int(fmodf(float(Wrap(x)), float(m))); }
int StepD(int64_t x, int m) { return int(std::fmod(double(Wrap(x)), double(m))); }

struct Keys {
    int k1, k2, k3;
};
Keys KeysOf(int u1, int u2) { return {u1 % 5 + 3, u2 % 4 + 4, 564 % 6 + 2}; }

// Position in the file of score i: after 101 ints, and after one sum for
// every earlier index j with j % 37 == 1.
int ScorePos(int i) { return 101 + i + (i >= 2 ? (i - 2) / 37 + 1 : 0); }

struct ScoreFileCheck {
    bool sizeOk = false;
    bool settingsSumOk = false;
    bool segmentsOk = false;
    bool lastSumOk = false;
    bool floatMatters = false;  // some sum differs when taken in double precision
    std::vector<int> scores;
};

ScoreFileCheck CheckScoreFile(const std::vector<int32_t>& f, int u1, int u2) {
    ScoreFileCheck c;
    c.sizeOk = f.size() == 22697;
    if (!c.sizeOk) return c;
    Keys k = KeysOf(u1, u2);
    int sum = 0;
    for (int i = 100; i < 200; i++)
        sum = StepF(int64_t(k.k2 + i) * k.k3 + int64_t(564 + f[i - 100]) * k.k1 + sum, 37171652);
    c.settingsSumOk = f[100] == sum;
    c.segmentsOk = true;
    int pos = 101, sumF = 0, sumD = 0;
    for (int i = 0; i < 22000; i++) {
        int v = f[pos++];
        c.scores.push_back(v);
        if (v != 0) {
            sumF = StepF(int64_t(k.k3 + i) * k.k2 + int64_t(564 + v) * k.k1 + sumF, 37961356);
            sumD = StepD(int64_t(k.k3 + i) * k.k2 + int64_t(564 + v) * k.k1 + sumD, 37961356);
        }
        if (i % 37 == 1) {
            c.segmentsOk = c.segmentsOk && f[pos] == sumF;
            c.floatMatters = c.floatMatters || sumF != sumD;
            pos++;
            sumF = sumD = 0;
        }
    }
    c.lastSumOk = pos == 22696 && f[pos] == sumF;
    return c;
}

int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) n++;
    return n;
}

const int U1 = 20251210, U2 = 134501, U3 = 75234321;

}  // namespace

class SaveFiles : public PersistTest {
protected:
    // Settings, bindings and scores that reach every corner of the format.
    void FillGame() {
        MyGame& g = ThisGame;
        SetUser(U1, U2, U3);
        g.Settings[Setting::SfxVolume] = 3;
        g.Settings[Setting::MusicVolume] = 9;
        g.Settings[Setting::Overscan] = 4;
        g.Settings[Setting::ReduceMotion] = 1;
        SetName("Gobbit-42");
        g.Settings[Setting::GamesStarted] = 17;
        g.Settings[Setting::LastDifficulty] = 3;
        g.Settings[150] = -5;
        g.SetKey(Pad::Up, 265);
        g.SetKey(Pad::Start, 257);
        g.SetKey(Pad::Start, 505);
        int* s = g.Scores;
        // Board 1 leaves zeros between scores in its segment: the reader here
        // skips them, so a writer that summed them would not match.
        s[20] = 1200, s[21] = 800, s[25] = 800, s[26] = 1200;
        s[40] = 20000000, s[45] = 20000000;                          // board 2: beyond float's exact range
        s[0] = 9, s[1] = 11, s[21979] = 5, s[21985] = 77, s[21999] = 3;
    }

    void LoadQuiet(std::string* out = nullptr) {
        testing::internal::CaptureStdout();
        ThisGame.Load();
        std::string text = testing::internal::GetCapturedStdout();
        if (out) *out = text;
    }

    // The tables as launch leaves them before Load.
    void Defaults() {
        ThisGame.InstallDefaults();
        for (int& v : ThisGame.Scores) v = 0;
    }
};

TEST_F(SaveFiles, ChecksumStepRoundsToSinglePrecisionFirst) {
    struct {
        int x, m, expected;
    } cases[] = {
        {100, 37, 26},
        {-5, 37961356, -5},
        {16777217, 37961356, 16777216},  // 2^24 + 1 is not a float
        {37961357, 37961356, 0},         // rounds onto the modulus itself
        {INT_MAX, 37171652, 28699484},    // 2^31 after rounding
    };
    for (auto& c : cases) EXPECT_EQ(ChecksumStep(c.x, c.m), c.expected) << c.x;
}

TEST_F(SaveFiles, BothFilesHaveTheirExactLayout) {
    FillGame();
    SaveAll();
    MyGame& g = ThisGame;

    std::vector<int32_t> set = ReadInts(SettingsFile);
    ASSERT_EQ(ReadBytes(SettingsFile).size(), 4496u);
    for (int i = 0; i < 100; i++) EXPECT_EQ(set[i], g.Settings[i]) << i;
    for (int key = 0; key < 16; key++)
        for (int slot = 0; slot < 64; slot++) EXPECT_EQ(set[100 + key * 64 + slot], g.KeyValue(key, slot));
    EXPECT_EQ(set[100 + 8 * 64 + 63], 505);
    EXPECT_EQ(set[100 + 8 * 64 + 62], 257);
    EXPECT_EQ(set[100 + 8 * 64 + 10], 0);  // slots below 48 are always 0

    std::vector<int32_t> score = ReadInts(ScoreFile);
    ASSERT_EQ(ReadBytes(ScoreFile).size(), 90788u);
    for (int i = 100; i < 200; i++) EXPECT_EQ(score[i - 100], g.Settings[i]) << i;
    ScoreFileCheck c = CheckScoreFile(score, U1, U2);
    EXPECT_TRUE(c.settingsSumOk);
    EXPECT_TRUE(c.segmentsOk);
    EXPECT_TRUE(c.lastSumOk);
    EXPECT_TRUE(c.floatMatters) << "the data must tell single from double precision";
    for (int i : {0, 1, 20, 21, 40, 21979, 21985, 21999}) EXPECT_EQ(score[ScorePos(i)], g.Scores[i]) << i;
    // Sums sit after indices 1, 38, ..., 21979; a segment of zeros sums to 0.
    EXPECT_EQ(score[ScorePos(112) + 1], 0);
    EXPECT_EQ(ScorePos(21980), ScorePos(21979) + 2);
    // No temporary file is left behind.
    EXPECT_TRUE(ReadBytes(TempNameFor(SettingsFile)).empty());
    EXPECT_TRUE(ReadBytes(TempNameFor(ScoreFile)).empty());
}

TEST_F(SaveFiles, SavedFilesLoadBackUnchanged) {
    FillGame();
    SaveAll();
    std::vector<int> settings(ThisGame.Settings, ThisGame.Settings + 200);
    std::vector<int> scores(ThisGame.Scores, ThisGame.Scores + 22000);
    Defaults();
    std::string log;
    LoadQuiet(&log);
    EXPECT_EQ(Count(log, "Checksum Error"), 0) << log;
    EXPECT_EQ(Count(log, "Reset User"), 0);
    EXPECT_NE(log.find("Load Settings"), std::string::npos);
    EXPECT_NE(log.find("Load Scores"), std::string::npos);
    EXPECT_EQ(std::vector<int>(ThisGame.Scores, ThisGame.Scores + 22000), scores);
    for (int i = 0; i < 200; i++)
        if (i < 124 || i > 127) {
            EXPECT_EQ(ThisGame.Settings[i], settings[i]) << i;
        }
    EXPECT_EQ(ThisGame.KeyValue(Pad::Start, 63), 505);
}

TEST_F(SaveFiles, FirstRunCreatesAUserAndBothFiles) {
    std::string log;
    LoadQuiet(&log);
    EXPECT_NE(log.find("Reset User"), std::string::npos);
    int* s = ThisGame.Settings;
    EXPECT_FALSE(s[24] == 0 && s[25] == 0 && s[26] == 0);
    EXPECT_EQ(s[27], s[24] % 37171 + s[25] % 17021 + s[26] % 53496);
    EXPECT_EQ(s[124], s[24]);
    EXPECT_EQ(s[127], s[126] % 17021 + s[124] % 53496 + s[125] % 37171);
    EXPECT_EQ(s[101], 2);
    std::string id;
    for (char c : ThisGame.SixDigitString(s[24], s[25], s[26]))
        if (c != ' ') id += c;
    EXPECT_NE(log.find("User ID '" + id + "'"), std::string::npos);
    SaveAll();
    EXPECT_EQ(ReadBytes(SettingsFile).size(), 4496u);
    EXPECT_EQ(ReadBytes(ScoreFile).size(), 90788u);
}

TEST_F(SaveFiles, LoadRepairsWhatFailsItsChecks) {
    struct Case {
        const char* name;
        std::function<void(SaveFiles&)> spoil;
        int checksumErrors;
        bool printsA;
        bool newUser;
        std::function<void()> verify;
    };
    const int* s = ThisGame.Settings;
    const int* sc = ThisGame.Scores;
    auto poke = [](SaveFiles& t, const char* file, int at, std::function<int32_t(int32_t)> f) {
        std::vector<int32_t> v = t.ReadInts(file);
        v[at] = f(v[at]);
        t.WriteInts(file, v);
    };
    auto cut = [](SaveFiles& t, const char* file, size_t bytes) {
        std::vector<uint8_t> b = t.ReadBytes(file);
        b.resize(bytes);
        t.WriteBytes(file, b);
    };
    Case cases[] = {
        {"a score file from another installation",
         [&](SaveFiles& t) {
             std::vector<int32_t> v = t.ReadInts(SettingsFile);
             v[24] = 20240101, v[25] = 91011, v[26] = 5551234;
             v[27] = v[24] % 37171 + v[25] % 17021 + v[26] % 53496;
             t.WriteInts(SettingsFile, v);
         },
         1, false, false, [&] { EXPECT_EQ(sc[20], 0); EXPECT_EQ(s[100], 0); }},
        {"a changed score in the first 21,980",
         [&](SaveFiles& t) { poke(t, ScoreFile, ScorePos(21), [](int32_t v) { return v + 1; }); }, 1, false, false,
         [&] { EXPECT_EQ(sc[20], 0); EXPECT_EQ(sc[21979], 0); }},
        {"a changed score in the last 20",
         [&](SaveFiles& t) { poke(t, ScoreFile, ScorePos(21985), [](int32_t) { return 4242; }); }, 0, false, false,
         [&] { EXPECT_EQ(sc[21985], 4242); EXPECT_EQ(sc[20], 1200); }},
        {"a changed setting in the score file",
         [&](SaveFiles& t) { poke(t, ScoreFile, 50, [](int32_t) { return 99; }); }, 0, false, false,
         [&] { EXPECT_EQ(s[150], 99); EXPECT_EQ(sc[20], 1200); }},
        {"nothing-read values in the settings file",
         [&](SaveFiles& t) {
             poke(t, SettingsFile, 0, [](int32_t) { return -37171; });
             poke(t, SettingsFile, 20, [](int32_t) { return -40000; });
         },
         0, false, false, [&] { EXPECT_EQ(s[0], 7); EXPECT_EQ(s[20], 0); EXPECT_EQ(s[1], 9); }},
        {"settings outside what their screens offer",
         [&](SaveFiles& t) {
             poke(t, SettingsFile, 1, [](int32_t) { return 11; });
             poke(t, SettingsFile, 10, [](int32_t) { return 2; });
             poke(t, SettingsFile, 23, [](int32_t) { return -1; });
             poke(t, SettingsFile, 22, [](int32_t) { return 7; });
             poke(t, SettingsFile, 51, [](int32_t) { return 0x7FFF0000; });
             poke(t, ScoreFile, 1, [](int32_t) { return 9; });  // difficulty 9
         },
         0, false, false,
         [&] {
             EXPECT_EQ(s[1], 7);
             EXPECT_EQ(s[10], 0);
             EXPECT_EQ(s[23], 0);
             EXPECT_EQ(s[22], 0);
             EXPECT_EQ(s[51] & ~0x3F3F, 0);
             EXPECT_EQ(s[101], 2);
             EXPECT_EQ(s[0], 3);
         }},
        {"a user ID that fails its check",
         [&](SaveFiles& t) { poke(t, SettingsFile, 27, [](int32_t v) { return v + 1; }); }, 1, true, true,
         [&] { EXPECT_NE(s[24], U1); EXPECT_EQ(sc[20], 0); }},
        // What the file no longer holds keeps its default; nothing is read
        // as a value from past its end. The user ID went with the cut, so
        // the scores kept under it no longer check and a new user starts.
        {"a settings file that ends after its first 21 settings",
         [&](SaveFiles& t) { cut(t, SettingsFile, (Setting::Overscan + 1) * 4); },
         1, false, true,
         [&] {
             EXPECT_EQ(s[Setting::SfxVolume], 3);
             EXPECT_EQ(s[Setting::Overscan], 4);
             EXPECT_EQ(s[Setting::ReduceMotion], 0);
             for (int i = Setting::OnlineName; i <= Setting::OnlineNameLast; i++) EXPECT_EQ(s[i], 0) << i;
         }},
        {"a cut-off score file", [&](SaveFiles& t) { cut(t, ScoreFile, 50001); },
         1, false, false, [&] { EXPECT_EQ(sc[20], 0); }},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        Defaults();
        FillGame();
        SaveAll();
        c.spoil(*this);
        Defaults();
        std::string log;
        LoadQuiet(&log);
        EXPECT_EQ(Count(log, "Checksum Error"), c.checksumErrors) << log;
        EXPECT_EQ(Count(log, "Clearing Scoreboard"), c.checksumErrors ? 1 : 0);
        EXPECT_EQ(log.rfind("A", 0) == 0 || log.find("\nA") != std::string::npos, c.printsA) << log;
        EXPECT_EQ(Count(log, "Reset User"), c.newUser ? 1 : 0);
        EXPECT_EQ(s[27], s[24] % 37171 + s[25] % 17021 + s[26] % 53496);
        c.verify();
    }
}

TEST_F(SaveFiles, HostileFilesNeverLeaveATableOutOfRange) {
    std::mt19937 rng(564);
    auto randomBytes = [&rng](size_t n) {
        std::vector<uint8_t> b(n);
        for (uint8_t& x : b) x = uint8_t(rng());
        return b;
    };
    const int32_t badCodes[] = {-1, -37170, 350, 499, 900, 12345678, INT_MIN, INT_MAX, 598, 699, 898, 1000};
    struct Case {
        const char* name;
        std::function<void(SaveFiles&)> make;
    };
    Case cases[] = {
        {"empty files", [](SaveFiles& t) { t.WriteBytes(SettingsFile, {}); t.WriteBytes(ScoreFile, {}); }},
        {"cut inside the bindings",
         [](SaveFiles& t) {
             std::vector<uint8_t> b = t.ReadBytes(SettingsFile);
             b.resize(2001);
             t.WriteBytes(SettingsFile, b);
         }},
        {"random bytes",
         [&](SaveFiles& t) { t.WriteBytes(SettingsFile, randomBytes(4496)); t.WriteBytes(ScoreFile, randomBytes(90788)); }},
        {"oversized",
         [&](SaveFiles& t) {
             std::vector<uint8_t> a = t.ReadBytes(SettingsFile), b = t.ReadBytes(ScoreFile), extra = randomBytes(200000);
             a.insert(a.end(), extra.begin(), extra.end());
             b.insert(b.end(), extra.begin(), extra.end());
             t.WriteBytes(SettingsFile, a);
             t.WriteBytes(ScoreFile, b);
         }},
        {"every setting and binding slot garbage",
         [&](SaveFiles& t) {
             std::vector<int32_t> v(1124);
             for (size_t i = 0; i < v.size(); i++) v[i] = badCodes[i % (sizeof badCodes / sizeof *badCodes)];
             t.WriteInts(SettingsFile, v);
         }},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        Defaults();
        FillGame();
        SaveAll();
        c.make(*this);
        Defaults();
        LoadQuiet();
        const int* s = ThisGame.Settings;
        for (int key = 0; key < 16; key++)
            for (int row = 0; row < 64; row++) {
                int code = ASys.redef[row][key];
                EXPECT_TRUE((code >= 0 && code <= 349) || (code >= 500 && code <= 899 && code % 100 <= 97))
                    << "key " << key << " row " << row << " holds " << code;
            }
        for (int i : {0, 1, 20}) EXPECT_TRUE(s[i] >= 0 && s[i] <= 10) << i;
        for (int i : {10, 13, 22, 23}) EXPECT_TRUE(s[i] == 0 || s[i] == 1) << i;
        EXPECT_TRUE(s[101] >= 1 && s[101] <= 3);
        EXPECT_EQ(s[27], s[24] % 37171 + s[25] % 17021 + s[26] % 53496);
        // The game goes on with these tables: the next score lands on the
        // board in use, and the panel stays within its bounds.
        const int* board = ThisGame.Scores + 20 * s[101];
        const int latest = board[5];
        ThisGame.Play.Score = 500;
        ThisGame.HandleDefaultScoreboards();
        EXPECT_EQ(board[5], 500);
        EXPECT_EQ(board[6], latest);
        ThisGame.Screen.ScoreTimer = 299;
        for (int n = 0; n < 3 * 301; n++) {
            ThisGame.DisplayScoreboard();
            ASSERT_TRUE(ThisGame.Screen.ScorePage >= 0 && ThisGame.Screen.ScorePage <= 2) << ThisGame.Screen.ScorePage;
            ASSERT_TRUE(ThisGame.Screen.ScoreSlide >= -180 && ThisGame.Screen.ScoreSlide <= 64) << ThisGame.Screen.ScoreSlide;
        }
    }
}

TEST_F(SaveFiles, ASaveCutShortAtAnyStepLeavesTheOldOrTheNewFile) {
    FillGame();
    std::string home = dir_;
    // The new version's bytes, written in a folder of their own.
    std::string other = dir_ + "/new";
    ASSERT_EQ(mkdir(other.c_str(), 0700), 0);
    ThisGame.Scores[20] = 5000;
    ThisGame.Settings[Setting::SfxVolume] = 10;
    std::snprintf(ThisGame.home, sizeof ThisGame.home, "%s", other.c_str());
    SaveAll();
    std::vector<uint8_t> newSet = ReadBytes("new/Settings.sav"), newScore = ReadBytes("new/Save_564_Gobbit.sav");
    std::snprintf(ThisGame.home, sizeof ThisGame.home, "%s", home.c_str());
    ThisGame.Scores[20] = 1200;
    ThisGame.Settings[Setting::SfxVolume] = 3;
    SaveAll();
    std::vector<uint8_t> oldSet = ReadBytes(SettingsFile), oldScore = ReadBytes(ScoreFile);
    ASSERT_NE(oldScore, newScore);

    ThisGame.Scores[20] = 5000;
    ThisGame.Settings[Setting::SfxVolume] = 10;
    for (int steps = 0; steps <= 60; steps++) {
        SCOPED_TRACE(steps);
        WriteBytes(SettingsFile, oldSet);
        WriteBytes(ScoreFile, oldScore);
        ThisGame.Save();
        for (int n = 0; n < steps; n++) ThisGame.SaveBit();
        ThisGame.CloseFile();  // the game dies here
        ThisGame.Saving.SavePending = 0;
        FinishReplacements(10000);
        // Step 27 puts the settings file in place, step 61 the score file.
        EXPECT_EQ(ReadBytes(SettingsFile), steps >= 26 ? newSet : oldSet);
        EXPECT_EQ(ReadBytes(ScoreFile), steps >= 60 ? newScore : oldScore);
    }
    // A request during a save starts it over, and it still ends whole.
    ThisGame.Save();
    for (int n = 0; n < 40; n++) ThisGame.SaveBit();
    ThisGame.Save();
    FinishSave();
    EXPECT_EQ(ReadBytes(SettingsFile), newSet);
    EXPECT_EQ(ReadBytes(ScoreFile), newScore);
}

TEST_F(SaveFiles, AKilledSavingProcessLeavesFilesThatLoad) {
    FillGame();
    SaveAll();
    for (int delayMs : {1, 3, 6, 10, 15, 23, 31}) {
        SCOPED_TRACE(delayMs);
        fflush(stdout);
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            // Save new scores over and over until killed.
            for (int round = 1; round < 5000; round++) {
                ThisGame.Scores[20] = 1200 + round;
                ThisGame.Scores[8000] = round;
                ThisGame.Save();
                for (int n = 0; n < 1000 && ThisGame.Saving.SavePending; n++) {
                    ThisGame.SaveBit();
                    usleep(50);
                }
            }
            _exit(0);
        }
        usleep(useconds_t(delayMs) * 1000);
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        std::vector<int32_t> set = ReadInts(SettingsFile);
        ASSERT_EQ(set.size() * 4, 4496u);
        ScoreFileCheck c = CheckScoreFile(ReadInts(ScoreFile), set[24], set[25]);
        EXPECT_TRUE(c.sizeOk && c.segmentsOk && c.lastSumOk);
        Defaults();
        std::string log;
        LoadQuiet(&log);
        EXPECT_EQ(Count(log, "Checksum Error"), 0);
        EXPECT_GE(ThisGame.Scores[20], 1200);
    }
}
