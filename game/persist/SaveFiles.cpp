// The settings file and the score file: written a slice per update so no
// frame stalls on the disk, read once at launch with every check and repair.
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include "persist/SaveFormat.h"
#include "shell/MyGame.h"

namespace {

const char SettingsName[] = "Settings.sav";

// Settings a screen offers within a range; anything else read from the file
// goes back to the default.
struct SettingRange {
    int Index, Low, High, Default;
};
const SettingRange SettingRanges[] = {
    {Setting::SfxVolume, 0, 10, 7},
    {Setting::MusicVolume, 0, 10, 7},
    {Setting::InvertStickY, 0, 1, 0},
    {Setting::SwapTitleButtons, 0, 1, 0},
    {Setting::Overscan, 0, 10, 0},
    {Setting::DebugStats, 0, 1, 0},
    {Setting::ReduceMotion, 0, 1, 0},
};
constexpr int NameFirst = Setting::OnlineName, NameLast = Setting::OnlineNameLast;
constexpr int NameBits = 0x3F3F;  // two 6-bit cells per int

std::uint32_t U(int v) { return std::uint32_t(v); }

}  // namespace

int ChecksumStep(int x, int modulus) { return int(fmodf(float(x), float(modulus))); }

ScoreKeys KeysFor(int u1, int u2, int gameNum) { return {u1 % 5 + 3, u2 % 4 + 4, gameNum % 6 + 2}; }

int SettingsTerm(const ScoreKeys& k, int gameNum, int i, int value, int sum) {
    return int(U(k.K2 + i) * U(k.K3) + (U(gameNum) + U(value)) * U(k.K1) + U(sum));
}

int ScoreTerm(const ScoreKeys& k, int gameNum, int i, int value, int sum) {
    return int(U(k.K3 + i) * U(k.K2) + (U(gameNum) + U(value)) * U(k.K1) + U(sum));
}

int UserIdCheck(int u1, int u2, int u3) { return u1 % 37171 + u2 % 17021 + u3 % 53496; }
int UserCopyCheck(int c1, int c2, int c3) { return c3 % 17021 + c1 % 53496 + c2 % 37171; }

std::string ScoreFileName(const char* title, int gameNum) {
    std::string safe;
    for (const char* p = title; p && *p; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c >= 128) continue;
        switch (c) {
        case '&': case '`': case '"': case '>': case '#': case '^': case '{': case '}':
        case '<': case '|': case '%': case '?': case '+': case '$': case ',': case ' ':
            safe += '_';
            break;
        default:
            safe += char(c);
        }
    }
    return "Save_" + std::to_string(gameNum) + "_" + safe + ".sav";
}

int NameCell(const int* settings, int cell) {
    int v = settings[Setting::OnlineName + cell / 2];
    return (cell % 2 == 0 ? v : v >> 8) & 63;
}

void SetNameCell(int* settings, int cell, int code) {
    int& v = settings[Setting::OnlineName + cell / 2];
    code &= 63;
    if (cell % 2 == 0)
        v = (v & ~0x3F) | code;
    else
        v = (v & ~0x3F00) | (code << 8);
}

bool ValidBindingCode(int code) {
    if (code >= 0 && code <= 349) return true;  // none, or a keyboard key
    return code >= 500 && code <= 899 && code % 100 <= 97;
}

// ---- Writing ----

void MyGame::SaveBit() {
    if (Saving.SavePending == 0) return;
    DrawSavingIcon(Saving.SavePending);
    WriteSaveStep();
}

// The spinning icon in the bottom-right corner while the files are written;
// p is the step about to be taken.
void MyGame::DrawSavingIcon(int p) {
    float cx = ScreenW - 24, cy = ScreenH - 24;
    ResetDraw();
    SetCol(255, 255, 255, 0.5f);
    SetRot(2.0f * p);
    SetDepth(0.5f);
    Rect(cx, cy, 12, 12);
    SetCol(0, 0, 0, 0.5f);
    SetRot(-3.0f * p);
    SetDepth(0.7f);
    Rect(cx, cy, 10, 10);
    float a = 4.0f * p;
    const float dotColour[3][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    const float dotDepth[3] = {0.3f, 0.6f, 0.9f};
    for (int d = 0; d < 3; d++) {
        float o = 120.0f * d;
        SetCol(dotColour[d][0], dotColour[d][1], dotColour[d][2], 0.75f);
        SetDepth(dotDepth[d]);
        Rect(cx + 16 * Sin(3 * a + o), cy - 16 * Cos(a + o), 6, 6);
    }
    ResetDraw();
}

// Advances the save by one step and writes that step's slice.
void MyGame::WriteSaveStep() {
    ScoreKeys k = KeysFor(Settings[Setting::UserIdDate], Settings[Setting::UserIdTime], GameNum);
    const std::string scoreName = ScoreFileName(GameTitle, GameNum);
    // The last save of a file may still be on its way to the disk: no new
    // temporary file is written for it until it is in place.
    if ((Saving.SavePending == SaveStep::Requested && ReplacePending(home, SettingsName)) ||
        (Saving.SavePending == SaveStep::BeforeScores && ReplacePending(home, scoreName.c_str())))
        return;
    Saving.SavePending += 1;
    int step = Saving.SavePending;
    if (step == SaveStep::OpenSettings) {
        // Each file is written under a temporary name and only put in place
        // when complete, so a crash mid-save leaves the previous file whole.
        OpenTemp(SettingsName);
    } else if (step == SaveStep::WriteSettings) {
        for (int i = 0; i < SettingsPerFile; i++) WriteInt(Settings[i]);
    } else if (step >= SaveStep::FirstKeyRows && step <= SaveStep::LastKeyRows) {
        for (int slot = 0; slot < SlotsPerKey; slot++) WriteInt(KeyValue(step - SaveStep::FirstKeyRows, slot));
    } else if (step == SaveStep::CloseSettings) {
        PutInPlace(SettingsName);
    } else if (step == SaveStep::OpenScores) {
        OpenTemp(scoreName.c_str());
    } else if (step == SaveStep::WriteScoreSettings) {
        WriteScoreSettings(k);
    } else if (step >= SaveStep::FirstScoreChunk && step <= SaveStep::LastScoreChunk) {
        WriteScoreChunk(k, step - SaveStep::FirstScoreChunk);
    } else if (step == SaveStep::CloseScores) {
        WriteInt(Saving.SaveSum);
        PutInPlace(scoreName.c_str());
        Saving.SavePending = 0;
    }
}

// Settings 100-199 open the score file, followed by their own sum.
void MyGame::WriteScoreSettings(const ScoreKeys& k) {
    Saving.SaveSum = 0;
    for (int i = SettingsPerFile; i < 2 * SettingsPerFile; i++) {
        WriteInt(Settings[i]);
        Saving.SaveSum = ChecksumStep(SettingsTerm(k, GameNum, i, Settings[i], Saving.SaveSum), SettingsSumModulus);
    }
    WriteInt(Saving.SaveSum);
    Saving.SaveSum = 0;
}

// One chunk of the scores, with the segment sums that fall inside it.
void MyGame::WriteScoreChunk(const ScoreKeys& k, int chunk) {
    BulkClear();
    for (int j = 0; j < SaveStep::ScoresPerChunk; j++) {
        int i = j + chunk * SaveStep::ScoresPerChunk;
        if (i >= ScoreCount) break;
        // Zero scores are written but leave the sum alone.
        if (Scores[i] != 0)
            Saving.SaveSum = ChecksumStep(ScoreTerm(k, GameNum, i, Scores[i], Saving.SaveSum), ScoreSumModulus);
        BulkInt(Scores[i]);
        if (i % ScoreSegment == 1) {
            BulkInt(Saving.SaveSum);
            Saving.SaveSum = 0;
        }
    }
    BulkWrite();
}

// Creates the temporary file for final. A name that something else took
// (planted in a folder others can write to) is said once and passed over.
void MyGame::OpenTemp(const char* final) {
    Saving.SaveTemp = FreeTempNumber(home, final);
    const std::string temp = TempNameFor(final, Saving.SaveTemp);
    if (Saving.SaveTemp > 0)
        Debuglog(TempNameFor(final) + " is taken by a file the game did not leave; saving as " + temp);
    Saving.SaveWriting = WriteFile(temp.c_str());
}

// Closes the temporary file just written and hands it to the worker to put
// in place; a file that lost any bytes is deleted instead, so the old one
// stays (the file layer has said why).
void MyGame::PutInPlace(const char* final) {
    bool whole = CloseFile() == 1;
    const std::string temp = TempNameFor(final, Saving.SaveTemp);
    if (Saving.SaveWriting && whole)
        ReplaceLater(home, temp.c_str(), final);
    else if (Saving.SaveWriting)
        DiscardTemp(home, temp.c_str());
    Saving.SaveWriting = 0;
}

bool MyGame::FinishSaving(int ms) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(ms);
    auto left = [&end] {
        return int(std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count());
    };
    while (Saving.SavePending > 0) {
        int before = Saving.SavePending;
        SaveBit();
        // Held back by an earlier save still on its way to the disk.
        if (Saving.SavePending == before) {
            if (left() <= 0) break;
            FinishReplacements(left() < 20 ? left() : 20);
        }
    }
    if (Saving.SavePending > 0) {
        // Give up on this save: the files on disk are the last whole ones.
        Debuglog("Save not finished: an earlier one is still being written");
        int step = Saving.SavePending;
        CloseFile();
        if (Saving.SaveWriting) {
            std::string final = step < SaveStep::OpenScores ? SettingsName : ScoreFileName(GameTitle, GameNum);
            DiscardTemp(home, TempNameFor(final.c_str(), Saving.SaveTemp).c_str());
        }
        Saving.SaveWriting = 0;
        Saving.SavePending = 0;
        return false;
    }
    return FinishReplacements(left() > 0 ? left() : 0);
}

// ---- Reading ----

namespace {

// Four bytes as a little-endian int; NothingRead (and ended set) when the
// file runs out, so a short file never passes off zeros as values.
int ReadChecked(MyGame& g, bool& ended) {
    unsigned v = 0;
    for (int b = 0; b < 4; b++) {
        int c = g.ReadByte();
        if (c < 0) {
            ended = true;
            return NothingRead;
        }
        v |= unsigned(c) << (8 * b);
    }
    return int(v);
}

void LogRepair(MyGame& g, int index, int was, int now) {
    g.Debuglog("Setting " + std::to_string(index) + " was " + std::to_string(was) + ", reset to " +
               std::to_string(now));
}

}  // namespace

// Reads both files and settles the user ID; sending the scores is the
// caller's next step.
void MyGame::Load() {
    Debuglog("Load Settings");
    if (ReadFile(SettingsName)) ReadSettingsFile();
    DropFailedUserId();

    Debuglog("Load Scores");
    ScoreFileCheck scores = ReadScoreFile();
    if (scores.Valid == 0)
        Settings[Setting::UserCopyDate] = Settings[Setting::UserCopyTime] =
            Settings[Setting::UserCopyRandom] = 0;
    CloseFile();

    SettleUserCopy(scores.Missing);
    if (Settings[Setting::UserIdDate] == 0 && Settings[Setting::UserIdTime] == 0 &&
        Settings[Setting::UserIdRandom] == 0)
        NewUserId();

    if (scores.Valid == 0) {
        Debuglog("Clearing Scoreboard");
        for (int i = SettingsPerFile; i < 2 * SettingsPerFile; i++) Settings[i] = 0;
        for (int& s : Scores) s = 0;
    }

    Settings[Setting::UserCopyDate] = Settings[Setting::UserIdDate];
    Settings[Setting::UserCopyTime] = Settings[Setting::UserIdTime];
    Settings[Setting::UserCopyRandom] = Settings[Setting::UserIdRandom];
    Settings[Setting::UserCopyCheckValue] = UserCopyCheck(
        Settings[Setting::UserCopyDate], Settings[Setting::UserCopyTime], Settings[Setting::UserCopyRandom]);

    if (Settings[Setting::LastDifficulty] == 0) Settings[Setting::LastDifficulty] = 1;
    if (Settings[Setting::LastDifficulty] < 1 || Settings[Setting::LastDifficulty] > 3) {
        LogRepair(*this, Setting::LastDifficulty, Settings[Setting::LastDifficulty], 2);
        Settings[Setting::LastDifficulty] = 2;
    }

    std::string id;
    for (char c : SixDigitString(Settings[Setting::UserIdDate], Settings[Setting::UserIdTime],
                                 Settings[Setting::UserIdRandom]))
        if (c != ' ') id += c;
    Debuglog("User ID '" + id + "'");
}

// The open settings file: settings 0-99 and the key bindings, then the
// repairs of what no screen could have set.
void MyGame::ReadSettingsFile() {
    bool ended = false;
    for (int i = 0; i < SettingsPerFile; i++) {
        int v = ReadChecked(*this, ended);
        if (v > NothingRead) Settings[i] = v;
    }
    int ignored = ReadBindings(ended);
    CloseFile();
    if (ended) Debuglog("Settings file is short; the rest keeps its defaults");
    if (ignored > 0) Debuglog("Ignored " + std::to_string(ignored) + " unknown key bindings");
    for (const SettingRange& r : SettingRanges) {
        int v = Settings[r.Index];
        if (v < r.Low || v > r.High) {
            Settings[r.Index] = r.Default;
            LogRepair(*this, r.Index, v, r.Default);
        }
    }
    for (int i = NameFirst; i <= NameLast; i++) {
        int v = Settings[i];
        if ((v & ~NameBits) != 0) {
            Settings[i] = v & NameBits;
            LogRepair(*this, i, v, Settings[i]);
        }
    }
}

// The 16 x 64 binding slots; returns how many named no input.
int MyGame::ReadBindings(bool& ended) {
    int ignored = 0;
    for (int key = 0; key < Pad::Count; key++) {
        for (int slot = 0; slot < SlotsPerKey; slot++) {
            int code = ReadChecked(*this, ended);
            if (code <= NothingRead) continue;
            // A code that names no key or controller element would index
            // the input tables out of their bounds: it is not bound.
            if (!ValidBindingCode(code)) {
                ignored++;
                continue;
            }
            SetKey(key, code);
        }
    }
    return ignored;
}

// A user ID that fails its check is dropped, and a new one made later.
void MyGame::DropFailedUserId() {
    if (Settings[Setting::UserIdCheckValue] != UserIdCheck(Settings[Setting::UserIdDate],
                                                           Settings[Setting::UserIdTime],
                                                           Settings[Setting::UserIdRandom])) {
        std::fputs("A", stdout);
        std::fflush(stdout);
        Settings[Setting::UserIdDate] = Settings[Setting::UserIdTime] = Settings[Setting::UserIdRandom] = 0;
    }
}

// Reads the score file, if there is one, checking every segment's sum
// against the keys of the user ID as it now stands. Leaves the file open.
MyGame::ScoreFileCheck MyGame::ReadScoreFile() {
    ScoreFileCheck result;
    ScoreKeys k = KeysFor(Settings[Setting::UserIdDate], Settings[Setting::UserIdTime], GameNum);
    const std::string scoreName = ScoreFileName(GameTitle, GameNum);
    if (!ReadFile(scoreName.c_str())) return result;
    result.Missing = 0;
    bool ended = false;
    for (int i = SettingsPerFile; i < 2 * SettingsPerFile; i++) Settings[i] = ReadChecked(*this, ended);
    ReadChecked(*this, ended);  // the settings sum is not checked
    int sum = 0;
    for (int i = 0; i < ScoreCount; i++) {
        int v = ReadChecked(*this, ended);
        Scores[i] = v;
        if (v != 0) sum = ChecksumStep(ScoreTerm(k, GameNum, i, v, sum), ScoreSumModulus);
        if (i % ScoreSegment == 1) {
            int stored = ReadChecked(*this, ended);
            if (stored != sum && stored != NothingRead && result.Valid == 1) {
                result.Valid = 0;
                Debuglog("Checksum Error");
            }
            sum = 0;
        }
    }
    ReadChecked(*this, ended);  // the last segment's sum is not compared
    // A cut-off file cannot vouch for what is missing.
    if (ended && result.Valid == 1) {
        result.Valid = 0;
        Debuglog("Checksum Error");
    }
    return result;
}

// The copy of the user ID kept with the scores: dropped when its check
// fails, taken from the settings when there was no score file.
void MyGame::SettleUserCopy(int missing) {
    if (Settings[Setting::UserCopyCheckValue] != UserCopyCheck(Settings[Setting::UserCopyDate],
                                                               Settings[Setting::UserCopyTime],
                                                               Settings[Setting::UserCopyRandom]))
        Settings[Setting::UserCopyDate] = Settings[Setting::UserCopyTime] =
            Settings[Setting::UserCopyRandom] = 0;
    if (missing) {
        Settings[Setting::UserCopyDate] = Settings[Setting::UserIdDate];
        Settings[Setting::UserCopyTime] = Settings[Setting::UserIdTime];
        Settings[Setting::UserCopyRandom] = Settings[Setting::UserIdRandom];
    }
}

// A new user ID from today's date, the time and a random number.
void MyGame::NewUserId() {
    Debuglog("Reset User");
    Settings[Setting::UserIdDate] = Date_Year() * 10000 + Date_Month() * 100 + Date_Day();
    Settings[Setting::UserIdTime] = Time_Hour() * 10000 + Time_Minute() * 100 + Time_Second();
    SeedRnd();
    for (int i = 0; i < 100; i++) Rnd(10);
    Settings[Setting::UserIdRandom] = int(Rnd(1000, 9999)) + (Mills() % 1000) * 10000;
    Settings[Setting::UserIdCheckValue] = UserIdCheck(
        Settings[Setting::UserIdDate], Settings[Setting::UserIdTime], Settings[Setting::UserIdRandom]);
}
