// The settings file and the score file as Load reads them at launch, from a
// scratch home directory. Whatever Load accepts must survive a full save
// and a second launch unchanged: settings, key bindings and scores.
//
// Input: 1 byte of flags (bit 0: a settings file exists, bit 1: a score file
// exists), 2 bytes settings-file length, the settings file, then the score
// file (the rest).
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

#include "FuzzSupport.h"
#include "persist/OnlineScores.h"
#include "persist/SaveFormat.h"
#include "shell/MyGame.h"
#include "sys/ZARNSys.h"

namespace {

struct Snapshot {
    int Settings[200];
    int Keys[64][16];
    int Scores[ScoreCount];
};

Snapshot First, Second;

void Take(Snapshot& s) {
    std::memcpy(s.Settings, ThisGame.Settings, sizeof s.Settings);
    std::memcpy(s.Keys, ASys.redef, sizeof s.Keys);
    std::memcpy(s.Scores, ThisGame.Scores, sizeof s.Scores);
}

// The state the launch sets up before it loads.
void FreshLaunch() {
    for (int& s : ThisGame.Settings) s = 0;
    ThisGame.Settings[Setting::SfxVolume] = 7;
    ThisGame.Settings[Setting::MusicVolume] = 7;
    ThisGame.Settings[Setting::LastDifficulty] = 2;
    for (int& s : ThisGame.Scores) s = 0;
    ASys.ClearKeys();
    ThisGame.KeyDefaults();
    ThisGame.Saving.SavePending = 0;
    ASys.DrawTo = 0;
}

void Remove(const std::string& name) { unlink((ThisGame.home + std::string("/") + name).c_str()); }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::snprintf(ThisGame.home, sizeof ThisGame.home, "%s", ScratchDir().c_str());
    ThisGame.SetNum(564);
    ThisGame.SetTitle("Gobbit");
    ThisGame.GameVersion = 1;
    ThisGame.BoardCount = 3;
    ThisGame.ScreenW = 800;
    ThisGame.ScreenH = 600;
    // A name in the settings makes Load send the scores: an empty host
    // ends that exchange before any socket is opened.
    SetScoreHost("");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ByteReader in(data, size);
    int flags = in.U8();
    size_t settingsLength = in.U16();
    std::string settings = in.Bytes(settingsLength);
    std::string scores = in.Rest();
    const std::string scoreName = ScoreFileName("Gobbit", 564);

    FinishReplacements(10000);
    Remove("Settings.sav");
    Remove(scoreName);
    if (flags & 1) WriteScratch("Settings.sav", reinterpret_cast<const uint8_t*>(settings.data()), settings.size());
    if (flags & 2) WriteScratch(scoreName, reinterpret_cast<const uint8_t*>(scores.data()), scores.size());

    FreshLaunch();
    ThisGame.Load();
    Take(First);
    FUZZ_CHECK(First.Settings[Setting::LastDifficulty] >= 1 && First.Settings[Setting::LastDifficulty] <= 3);
    FUZZ_CHECK(First.Settings[Setting::UserIdCheckValue] ==
               UserIdCheck(First.Settings[Setting::UserIdDate], First.Settings[Setting::UserIdTime],
                           First.Settings[Setting::UserIdRandom]));
    for (int key = 0; key < 16; key++)
        for (int slot = 0; slot < 64; slot++) FUZZ_CHECK(ValidBindingCode(First.Keys[slot][key]));

    ThisGame.Save();
    for (int steps = 0; ThisGame.Saving.SavePending != 0; steps++) {
        FUZZ_CHECK(steps < 1000000);
        ThisGame.SaveBit();
    }
    FUZZ_CHECK(FinishReplacements(10000));
    ASys.DrawTo = 0;

    FreshLaunch();
    ThisGame.Load();
    Take(Second);
    FUZZ_CHECK(std::memcmp(First.Settings, Second.Settings, sizeof First.Settings) == 0);
    FUZZ_CHECK(std::memcmp(First.Keys, Second.Keys, sizeof First.Keys) == 0);
    FUZZ_CHECK(std::memcmp(First.Scores, Second.Scores, sizeof First.Scores) == 0);
    return 0;
}
