// The built sound assets must be files the game's loaders accept: effects as plain
// 16-bit PCM WAV, music as stereo 44.1 kHz Ogg Vorbis that loops without a click.
#define STB_VORBIS_HEADER_ONLY
#include <stb/stb_vorbis.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "shell/AssetSlots.h"

namespace {

std::string AudioPath(const char* format, int n) {
    char name[32];
    std::snprintf(name, sizeof name, format, n);
    return std::string(GOBBIT_BUILD_DIR) + "/Data/564/audio/" + name;
}

double ToDb(double x) { return 20.0 * std::log10(std::max(x, 1e-9)); }

// Reads a WAV the way the game does: RIFF, WAVE, then "fmt " straight away, then
// any chunks, keeping the samples of the data chunk.
struct WavFile {
    std::string error;
    int format = 0, channels = 0, rate = 0, bits = 0;
    std::vector<int16_t> samples;
};

WavFile ReadWav(const std::string& path) {
    WavFile w;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        w.error = "cannot open";
        return w;
    }
    std::vector<unsigned char> bytes;
    unsigned char buf[4096];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) bytes.insert(bytes.end(), buf, buf + n);
    std::fclose(f);

    size_t at = 0;
    auto tag = [&](const char* expect) {
        bool ok = at + 4 <= bytes.size() && std::equal(expect, expect + 4, bytes.begin() + long(at));
        at += 4;
        return ok;
    };
    auto u32 = [&] {
        uint32_t v = 0;
        for (int i = 0; i < 4 && at < bytes.size(); ++i) v |= uint32_t(bytes[at++]) << (8 * i);
        return v;
    };
    auto u16 = [&] {
        uint32_t v = 0;
        for (int i = 0; i < 2 && at < bytes.size(); ++i) v |= uint32_t(bytes[at++]) << (8 * i);
        return int(v);
    };
    auto fail = [&](const char* why) {
        w.error = why;
        return w;
    };
    if (!tag("RIFF")) return fail("no RIFF");
    u32();
    if (!tag("WAVE")) return fail("no WAVE");
    if (!tag("fmt ")) return fail("fmt chunk is not first");
    const uint32_t fmtLen = u32();
    if (fmtLen < 16) return fail("short fmt chunk");
    w.format = u16();
    w.channels = u16();
    w.rate = int(u32());
    u32();
    u16();
    w.bits = u16();
    at += fmtLen - 16;
    while (at + 8 <= bytes.size()) {
        bool data = tag("data");
        uint32_t size = u32();
        if (data) {
            if (at + size > bytes.size()) return fail("data chunk runs past the end");
            for (size_t i = at; i + 1 < at + size; i += 2)
                w.samples.push_back(int16_t(bytes[i] | (bytes[i + 1] << 8)));
        }
        at += size;
    }
    if (w.samples.empty()) return fail("no samples");
    return w;
}

struct EffectCase {
    int slot;
    double maxSeconds;  // the eating and landing sounds repeat constantly, so they stay short
};

class EffectFileTest : public ::testing::TestWithParam<EffectCase> {};

TEST_P(EffectFileTest, IsAudiblePcmWithoutClicksOrClipping) {
    const EffectCase c = GetParam();
    const WavFile w = ReadWav(AudioPath("%02d.wav", c.slot));
    ASSERT_EQ(w.error, "");
    EXPECT_EQ(w.format, 1);
    EXPECT_EQ(w.bits, 16);
    EXPECT_TRUE(w.channels == 1 || w.channels == 2) << w.channels;
    EXPECT_TRUE(w.rate == 44100 || w.rate == 22050) << w.rate;

    const double seconds = double(w.samples.size()) / w.channels / w.rate;
    EXPECT_LE(seconds, c.maxSeconds);

    int peak = 0;
    for (int16_t s : w.samples) peak = std::max(peak, std::abs(int(s)));
    EXPECT_GT(ToDb(peak / 32768.0), -12.0) << "too quiet";
    EXPECT_LT(peak, 32767) << "clipped";
    // A sound that starts or stops away from zero clicks every time it plays.
    EXPECT_LT(std::abs(int(w.samples.front())), 328);
    EXPECT_LT(std::abs(int(w.samples.back())), 328);
}

INSTANTIATE_TEST_SUITE_P(Slots, EffectFileTest,
                         ::testing::Values(EffectCase{Sfx::PowerItem, 2.0}, EffectCase{Sfx::LevelComplete, 2.5},
                                           EffectCase{Sfx::LevelFailed, 2.5}, EffectCase{Sfx::Chomp, 0.15},
                                           EffectCase{Sfx::ChompOther, 0.15}, EffectCase{Sfx::Landing, 0.1},
                                           EffectCase{Sfx::Left20, 0.4}, EffectCase{Sfx::Left10, 0.4},
                                           EffectCase{Sfx::Left5, 0.4}, EffectCase{Sfx::Left4, 0.4},
                                           EffectCase{Sfx::Left3, 0.4}, EffectCase{Sfx::Left2, 0.4},
                                           EffectCase{Sfx::Left1, 0.4}, EffectCase{Sfx::TargetReached, 2.0},
                                           EffectCase{Sfx::StartUp, 2.5}, EffectCase{Sfx::Confirm, 0.4},
                                           EffectCase{Sfx::Move, 0.2}),
                         [](const auto& info) { return "Slot" + std::to_string(info.param.slot); });

TEST(EffectFiles, TheTwoChompsDiffer) {
    const WavFile a = ReadWav(AudioPath("%02d.wav", Sfx::Chomp));
    const WavFile b = ReadWav(AudioPath("%02d.wav", Sfx::ChompOther));
    ASSERT_EQ(a.error, "");
    ASSERT_EQ(b.error, "");
    EXPECT_NE(a.samples, b.samples);
}

class MusicTrackTest : public ::testing::TestWithParam<int> {};

TEST_P(MusicTrackTest, DecodesAndLoopsSeamlessly) {
    int err = 0;
    stb_vorbis* v = stb_vorbis_open_filename(AudioPath(Music::TuneFile, GetParam()).c_str(), &err, nullptr);
    ASSERT_NE(v, nullptr) << "stb_vorbis error " << err;
    const stb_vorbis_info info = stb_vorbis_get_info(v);
    EXPECT_EQ(info.channels, 2);
    EXPECT_EQ(info.sample_rate, 44100u);
    if (info.channels != 2) {
        stb_vorbis_close(v);
        return;
    }

    // Decode in the streamer's block size, then restart as it does at the end of a pass.
    std::vector<short> pcm;
    std::vector<short> block(16384);
    for (int n; (n = stb_vorbis_get_samples_short_interleaved(v, 2, block.data(), int(block.size()))) > 0;)
        pcm.insert(pcm.end(), block.begin(), block.begin() + n * 2);
    ASSERT_EQ(stb_vorbis_seek_start(v), 1);
    const int again = stb_vorbis_get_samples_short_interleaved(v, 2, block.data(), int(block.size()));
    stb_vorbis_close(v);

    const size_t frames = pcm.size() / 2;
    ASSERT_GE(frames, size_t(30 * 44100));
    ASSERT_GT(again, 0);
    EXPECT_TRUE(std::equal(block.begin(), block.begin() + again * 2, pcm.begin())) << "restart differs";

    double sum = 0;
    int peak = 0;
    for (short s : pcm) {
        sum += double(s) * s;
        peak = std::max(peak, std::abs(int(s)));
    }
    const double rmsDb = ToDb(std::sqrt(sum / double(pcm.size())) / 32768.0);
    EXPECT_GT(rmsDb, -21.0) << "music too quiet";
    EXPECT_LT(rmsDb, -15.0) << "music would bury the effects";
    EXPECT_LT(peak, 32767) << "clipped";

    // Across the join the wave must carry on as it does anywhere else: the first frame
    // is no harder to extrapolate from the last two than frames usually are.
    auto at = [&](size_t frame, int ch) { return int(pcm[(frame % frames) * 2 + size_t(ch)]); };
    auto bend = [&](size_t frame, int ch) {
        return std::abs(at(frame, ch) - 2 * at(frame + frames - 1, ch) + at(frame + frames - 2, ch));
    };
    for (int ch = 0; ch < 2; ++ch) {
        std::vector<int> bends;
        bends.reserve(frames);
        for (size_t i = 2; i < frames; ++i) bends.push_back(bend(i, ch));
        const size_t rank = bends.size() * 999 / 1000;
        std::nth_element(bends.begin(), bends.begin() + long(rank), bends.end());
        EXPECT_LE(bend(0, ch), bends[rank]) << "channel " << ch;
        EXPECT_LE(bend(1, ch), bends[rank]) << "channel " << ch;
    }
    // No silence at either end: the loop keeps playing through the join.
    auto edgeDb = [&](size_t from) {
        double s = 0;
        const size_t len = 2205 * 2;
        for (size_t i = from; i < from + len; ++i) s += double(pcm[i]) * pcm[i];
        return ToDb(std::sqrt(s / len) / 32768.0);
    };
    EXPECT_GT(edgeDb(0), -40.0);
    EXPECT_GT(edgeDb(pcm.size() - 2205 * 2), -40.0);
}

INSTANTIATE_TEST_SUITE_P(Tracks, MusicTrackTest, ::testing::Range(1, Music::Tunes + 1),
                         [](const auto& info) { return "Track0" + std::to_string(info.param); });

}  // namespace
