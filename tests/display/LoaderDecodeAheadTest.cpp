// The loader decodes its files ahead on a worker: every slot must still be
// filled in the same order, with the same pixels and samples and the same
// log lines, as a plain one-file-per-step load of the same table, including
// a missing and a corrupt picture and a missing and a corrupt sound.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Random.h"
#include "shell/MyGame.h"
#include "support/GameWindow.h"
#include "support/StateGuards.h"
#include "sys/DecodeAhead.h"
#include "sys/ImageTable.h"
#include "sys/SoundGlobals.h"
#include "sys/SysGlobals.h"
#include "sys/ZARNSys.h"

namespace fs = std::filesystem;

namespace {

// Samples handed to effect buffers, in order.
struct SamplesGiven {
    int Slot;
    std::vector<unsigned char> Bytes;
    bool operator==(const SamplesGiven& o) const { return Slot == o.Slot && Bytes == o.Bytes; }
};
std::vector<SamplesGiven> Heard;
void Listen(int slot, const unsigned char* data, int bytes) { Heard.push_back({slot, {data, data + bytes}}); }

// What a load leaves behind: the log (line numbers cut off), every image
// slot's table entries and pixels, the effect tables and the samples.
struct Outcome {
    std::vector<std::string> Log;
    std::vector<std::string> Slots;
    std::vector<SamplesGiven> Samples;
    std::vector<std::vector<int>> Effects;
};

std::vector<std::string> LogLines(const std::string& out) {
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < out.size()) {
        size_t end = out.find('\n', at);
        if (end == std::string::npos) end = out.size();
        std::string line = out.substr(at, end - at);
        size_t mark = line.find("> ");
        lines.push_back(mark != std::string::npos && mark <= 8 ? line.substr(mark + 2) : line);
        at = end + 1;
    }
    return lines;
}

Outcome Collect(const std::string& log) {
    Outcome o;
    o.Log = LogLines(log);
    for (int s = 0; s < 100; ++s) {
        char head[160];
        std::snprintf(head, sizeof head, "slot %d: frames %d, per row %d, wz %g, side %d, square %d, scaled %g", s,
                      ASys.iFrames[s], iFramesW[s], iFramesWz[s], iSize[s], ASys.iFramesSquare[s],
                      ASys.iSizeScaled[s]);
        std::string entry = head;
        if (ASys.iFrames[s] >= 0) entry += " " + std::string(Image[s].begin(), Image[s].end());
        o.Slots.push_back(entry);
    }
    o.Samples = Heard;
    for (int s = 0; s < SoundSlots; ++s)
        o.Effects.push_back(std::vector<int>(Effects.SFXData[s], Effects.SFXData[s] + 10));
    return o;
}

void EmptyTables() {
    for (int s = 0; s < 100; ++s) {
        ASys.iFrames[s] = -1;
        Image[s].clear();
        iFramesW[s] = iSize[s] = ASys.iFramesSquare[s] = 0;
        iFramesWz[s] = ASys.iSizeScaled[s] = 0;
    }
    std::memset(Effects.SFXData, 0, sizeof Effects.SFXData);
    // No source still holds an effect, as at start-up.
    for (int s = 0; s < 31; ++s) {
        alSourceStop(Audio.ALsource[s]);
        alSourcei(Audio.ALsource[s], AL_BUFFER, 0);
        Effects.ALsourcebuffer[s] = -1;
    }
    Effects.ALChannel = 0;
    Heard.clear();
}

class LoaderDecodeAhead : public ::testing::Test {
protected:
    void SetUp() override {
        if (!EnsureGameWindow()) GTEST_SKIP() << "needs a display";
        if (!Audio.AudioEnabled) GTEST_SKIP() << "needs an audio device (ALSOFT_DRIVERS=null)";
        MyGame& g = ThisGame;
        saved_.Keep(g.home, g.datahome, g.LoadTo, ASys.DrawTo, g.Online.NetValid, g.ScreenW, g.ScreenH, ASys.FontImage, ASys.iFrames,
                    ASys.iFramesSquare, ASys.iSizeScaled, Image, iFramesW, iFramesWz, iSize, Effects.SFXData,
                    Effects.ALsourcebuffer, Effects.ALChannel, Effects.EffectSamplesListener);
        // Loading may draw from the random streams; later tests expect
        // them as they left them.
        saved_.Keep(jRand_Seed, jRand_Count, jRand_Bit, jRand_Plus, jRand_Out, jRand_Tot, jRand_tSeed);
        g.ScreenW = 800;
        g.ScreenH = 600;

        // The build's assets, with two pictures and two sounds spoiled.
        home_ = testing::TempDir() + "gobbit-ahead-" + std::to_string(getpid());
        fs::remove_all(home_);
        fs::create_directories(home_ + "/Data");
        fs::copy(std::string(GOBBIT_BUILD_DIR) + "/Data/564", home_ + "/Data/564", fs::copy_options::recursive);
        const std::string data = home_ + "/Data/564/";
        fs::remove(data + "particles.png");
        fs::resize_file(data + "menu_front.png", fs::file_size(data + "menu_front.png") / 2);
        fs::remove(data + "audio/12.wav");
        std::ofstream(data + "audio/04.wav", std::ios::binary | std::ios::trunc) << "not a wave file at all";
        std::snprintf(g.home, sizeof g.home, "%s", home_.c_str());
        g.datahome[0] = 0;  // the data beside the home, as in a build folder
        Effects.EffectSamplesListener = Listen;
    }
    void TearDown() override {
        StopDecodingAhead();
        saved_.Restore();
        Heard.clear();
        if (!home_.empty()) fs::remove_all(home_);
    }

    std::string home_;
    StateGuard saved_;
};

TEST_F(LoaderDecodeAhead, FillsEverySlotInOrderAsAPlainLoadDoes) {
    MyGame& g = ThisGame;

    // The plain load: each step reads and decodes its own file.
    EmptyTables();
    testing::internal::CaptureStdout();
    for (int step = 1; step <= 80; ++step) g.LoaderStep(step);
    Outcome plain = Collect(testing::internal::GetCapturedStdout());
    EXPECT_EQ(DecodesAhead(), 0);

    // The loader as the game runs it, decoding ahead from its first step.
    EmptyTables();
    g.LoadTo = 1;
    testing::internal::CaptureStdout();
    ASys.DrawTo = 0;
    g.Loader();
    int queued = DecodesAhead();
    int updates = 1, untaken = -1;
    while (g.LoadTo != 0 && updates < 200) {
        ASys.DrawTo = 0;  // as each update's ResetDraw does
        g.Loader();
        ++updates;
        if (g.LoadTo == 79) untaken = DecodesAhead();
    }
    Outcome ahead = Collect(testing::internal::GetCapturedStdout());
    EXPECT_GT(queued, 20) << "the later steps' files were not queued ahead";
    EXPECT_EQ(untaken, 0) << "some steps decoded their file themselves";
    EXPECT_EQ(DecodesAhead(), 0);
    EXPECT_EQ(updates, 80);

    EXPECT_EQ(ahead.Log, plain.Log);
    ASSERT_EQ(ahead.Slots.size(), plain.Slots.size());
    for (size_t s = 0; s < plain.Slots.size(); ++s)
        EXPECT_TRUE(ahead.Slots[s] == plain.Slots[s]) << plain.Slots[s].substr(0, 120);
    EXPECT_TRUE(ahead.Samples == plain.Samples);
    EXPECT_EQ(ahead.Effects, plain.Effects);

    // The spoiled files fail the way they always have.
    auto count = [&](const std::string& line) {
        int n = 0;
        for (const std::string& l : ahead.Log) n += l == line;
        return n;
    };
    EXPECT_EQ(count("OMGERRORZ"), 2);
    EXPECT_EQ(count("Error Opening Wave"), 1);
    EXPECT_EQ(count("Not a PCM Wave File"), 1);
    EXPECT_EQ(ASys.iFrames[Img::Particles], -1);  // particles: missing
    EXPECT_EQ(ASys.iFrames[Img::MenuFront], -1);  // menu_front: cut in half
    EXPECT_EQ(Effects.SFXData[Sfx::Left10][0], 0);
    EXPECT_EQ(Effects.SFXData[Sfx::Chomp][0], 0);
    // And the rest arrived: the sprite sheet and an effect.
    EXPECT_GT(ASys.iFrames[Img::Sprites], 1);
    EXPECT_GT(Effects.SFXData[Sfx::TargetReached][0], 0);
    std::vector<int> slotsHeard;
    for (const SamplesGiven& s : ahead.Samples) slotsHeard.push_back(s.Slot);
    EXPECT_EQ(slotsHeard, (std::vector<int>{Sfx::StartUp, Sfx::PowerItem, Sfx::Move, Sfx::Confirm, Sfx::PowerItem,
                                            Sfx::ChompOther, Sfx::Landing, Sfx::LevelComplete, Sfx::LevelFailed,
                                            Sfx::Left20, Sfx::Left5, Sfx::Left4, Sfx::Left3, Sfx::Left2, Sfx::Left1,
                                            Sfx::TargetReached}));
}

}  // namespace
