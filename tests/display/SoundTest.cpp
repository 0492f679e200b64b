// Sound effects and music: the WAV loader against damaged files, the effect
// sources and their settings, the music stream's bookkeeping, and what
// actually comes out of the mixer, captured by OpenAL Soft's wave writer in
// a child process.
#include <gtest/gtest.h>

#include <AL/al.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "shell/MyGame.h"
#include "support/GameWindow.h"
#include "sys/SoundGlobals.h"
#include "sys/SysGlobals.h"
#include "sys/WavReader.h"
#include "sys/ZARNSys.h"

namespace {

std::string Le16(uint32_t v) { return {char(v & 255), char((v >> 8) & 255)}; }
std::string Le32(uint32_t v) { return Le16(v & 0xFFFF) + Le16(v >> 16); }

struct Chunk {
    std::string tag;
    std::string body;
    int64_t declared = -1;  // size written in the header; -1: the body's
};

struct WavSpec {
    int code = 1, channels = 2, rate = 22050, bits = 16, fmtLen = 16;
};

std::string Wav(const WavSpec& s, const std::vector<Chunk>& chunks) {
    std::string fmt = Le16(s.code) + Le16(s.channels) + Le32(s.rate) +
                      Le32(s.rate * s.channels * s.bits / 8) + Le16(s.channels * s.bits / 8) + Le16(s.bits);
    if (s.fmtLen > 16) fmt += std::string(s.fmtLen - 16, '\0');
    std::string body = "WAVE" + std::string("fmt ") + Le32(s.fmtLen) + fmt;
    for (const Chunk& c : chunks)
        body += c.tag + Le32(uint32_t(c.declared >= 0 ? c.declared : int64_t(c.body.size()))) + c.body;
    return "RIFF" + Le32(uint32_t(body.size())) + body;
}

// 16-bit sine, interleaved over the channels.
std::string Tone(int frames, int channels, double hz, int rate = 44100, double amp = 0.5) {
    std::string out;
    for (int i = 0; i < frames; ++i) {
        int16_t v = int16_t(std::lround(amp * 32767 * std::sin(2 * M_PI * hz * i / rate)));
        for (int c = 0; c < channels; ++c) out += Le16(uint16_t(v));
    }
    return out;
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

bool Exists(const std::string& path) { return access(path.c_str(), R_OK) == 0; }

std::string MakeTempDir() {
    std::string pattern = testing::TempDir() + "gobbit-sound-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back(0);
    return mkdtemp(buf.data()) ? std::string(buf.data()) : std::string();
}

// A home folder with Data/564/audio.
std::string MakeHome() {
    std::string home = MakeTempDir();
    std::system(("mkdir -p '" + home + "/Data/564/audio'").c_str());
    return home;
}

std::string AudioDir(const std::string& home) { return home + "/Data/564/audio/"; }

// Four music blocks of stereo 16-bit at 44.1 kHz: 0.37 s.
std::string LoopTrack() { return Wav({1, 2, 44100, 16, 16}, {{"data", Tone(4 * 4096, 2, 440)}}); }

ALint SourceInt(ALuint s, ALenum what) {
    ALint v = 0;
    alGetSourcei(s, what, &v);
    return v;
}

float SourceFloat(ALuint s, ALenum what) {
    float v = 0;
    alGetSourcef(s, what, &v);
    return v;
}

// Needs the device: a window for the shared start-up and OpenAL (null backend).
class SoundTest : public ::testing::Test {
protected:
    std::string home;

    void SetUp() override {
        if (!EnsureGameWindow()) GTEST_SKIP() << "needs a display";
        if (!Audio.AudioEnabled) GTEST_SKIP() << "needs an audio device (ALSOFT_DRIVERS=null)";
        savedHome = ThisGame.home;
        savedSfx = ThisGame.SfxLevel, savedMusic = ThisGame.MusicLevel;
        home = MakeHome();
        std::snprintf(ThisGame.home, sizeof ThisGame.home, "%s", home.c_str());
    }
    void TearDown() override {
        if (savedHome.empty()) return;
        ThisGame.StopMusic();
        std::snprintf(ThisGame.home, sizeof ThisGame.home, "%s", savedHome.c_str());
        ThisGame.SfxLevel = savedSfx, ThisGame.MusicLevel = savedMusic;
        std::system(("rm -rf '" + home + "'").c_str());
    }

    std::string Write(const std::string& name, const std::string& bytes) {
        std::string path = AudioDir(home) + name;
        WriteFile(path, bytes);
        return path;
    }

private:
    std::string savedHome;
    float savedSfx = 0, savedMusic = 0;
};

TEST_F(SoundTest, WaveLoaderTakesOnlyWhatTheFileHolds) {
    const std::string tone = Tone(1000, 2, 440, 22050);  // 4000 bytes
    const std::string valid = Wav({}, {{"data", tone}});
    struct Case {
        const char* what;
        std::string bytes;
        int loaded;  // bytes in the buffer afterwards
    } cases[] = {
        {"plain", valid, 4000},
        {"fmt of 18 bytes", Wav({1, 2, 22050, 16, 18}, {{"data", tone}}), 4000},
        {"LIST before data", Wav({}, {{"LIST", "INFOISFT\4\0\0\0abc"}, {"data", tone}}), 4000},
        {"8-bit mono", Wav({1, 1, 22050, 8, 16}, {{"data", std::string(999, '\x80')}}), 999},
        {"two data chunks", Wav({}, {{"data", tone.substr(0, 400)}, {"data", tone.substr(0, 800)}}), 800},
        {"data larger than the file", Wav({}, {{"data", tone.substr(0, 1000), 400000}}), 1000},
        {"negative data size", Wav({}, {{"data", tone.substr(0, 1000), 0xFFFFFFF0}}), 1000},
        {"odd data length", Wav({}, {{"data", tone.substr(0, 1001)}}), 1000},
        {"cut in the data", valid.substr(0, valid.size() - 1003), 2996},
        {"zero channels", Wav({1, 0, 22050, 16, 16}, {{"data", tone}}), 0},
        {"12 bits", Wav({1, 2, 22050, 12, 16}, {{"data", tone}}), 0},
        {"24 bits", Wav({1, 2, 22050, 24, 16}, {{"data", tone.substr(0, 3900)}}), 0},
        {"five channels", Wav({1, 5, 22050, 16, 16}, {{"data", tone}}), 0},
        {"zero rate", Wav({1, 2, 0, 16, 16}, {{"data", tone}}), 0},
        {"float samples", Wav({3, 2, 22050, 32, 16}, {{"data", tone}}), 0},
        {"extensible", Wav({0xFFFE, 2, 22050, 16, 16}, {{"data", tone}}), 0},
        {"fmt longer than the file", Wav({1, 2, 22050, 16, 16}, {}).substr(0, 16) + Le32(100000) + valid.substr(20), 0},
        {"chunk past the end before data", Wav({}, {{"LIST", "abcd", 100000}, {"data", tone}}), 0},
        {"header cut short", valid.substr(0, 30), 0},
        {"not RIFF", "hello, not a wave file at all", 0},
        {"empty", "", 0},
    };
    for (const Case& c : cases) {
        std::string path = Write("case.wav", c.bytes);
        ASys.GetWAV(90, path.c_str());
        ASSERT_EQ(Effects.ALbufferActive[90], 1) << c.what;
        ALint size = -1;
        alGetBufferi(Effects.ALbuffer[90], AL_SIZE, &size);
        EXPECT_EQ(size, c.loaded) << c.what;
        EXPECT_EQ(Effects.SFXData[90][0], c.loaded) << c.what;
    }
    ASys.GetWAV(90, Write("case.wav", valid).c_str());
    EXPECT_EQ(Effects.SFXData[90][1], 1000);
    EXPECT_EQ(Effects.SFXData[90][2], 2);
    EXPECT_EQ(Effects.SFXData[90][3], 2);
    EXPECT_EQ(Effects.SFXData[90][4], 22050);

    testing::internal::CaptureStdout();
    ASys.GetWAV(90, (AudioDir(home) + "missing.wav").c_str());
    std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("> Error Opening Wave\n"), std::string::npos) << log;
    ALint size = -1;
    alGetBufferi(Effects.ALbuffer[90], AL_SIZE, &size);
    EXPECT_EQ(size, 0);
}

// The size a chunk claims is what the loader allocates and reads: it must
// never be more than the file still holds, however large the claim.
TEST(WavReader, ChunkSizesAreClippedToWhatTheFileHolds) {
    const std::string body(1000, 'x');
    struct Case {
        const char* what;
        int64_t declared;
        long size;
        bool clipped;
    } cases[] = {
        {"exact", 1000, 1000, false},
        {"smaller than the file", 600, 600, false},
        {"one byte more", 1001, 1000, true},
        {"400 kB", 400000, 1000, true},
        {"nearly 4 GB", 0xFFFFFFF0, 1000, true},
        {"2 GB", 0x80000000, 1000, true},
    };
    const std::string dir = MakeTempDir();
    ASSERT_FALSE(dir.empty());
    for (const Case& c : cases) {
        const std::string path = dir + "/chunk.wav";
        WriteFile(path, Wav({}, {{"data", body, c.declared}}));
        FILE* f = std::fopen(path.c_str(), "rb");
        ASSERT_NE(f, nullptr);
        WavReader reader(f);
        WavFormat format;
        ASSERT_TRUE(reader.ReadHeader(format)) << c.what;
        char tag[5];
        long size = -1;
        bool clipped = !c.clipped;
        ASSERT_TRUE(reader.NextChunk(tag, size, clipped)) << c.what;
        EXPECT_STREQ(tag, "data") << c.what;
        EXPECT_EQ(size, c.size) << c.what;
        EXPECT_LE(size, reader.Remaining()) << c.what;
        EXPECT_EQ(clipped, c.clipped) << c.what;
        // Skipping the claimed size lands at the end, not past it.
        reader.Skip(long(c.declared > 0x7FFFFFFF ? 0x7FFFFFFF : c.declared));
        EXPECT_EQ(reader.Remaining(), c.declared >= 1000 ? 0 : 1000 - c.declared) << c.what;
        if (c.declared >= 1000) {
            EXPECT_FALSE(reader.NextChunk(tag, size, clipped)) << c.what;
        }
        std::fclose(f);
    }
    std::system(("rm -rf '" + dir + "'").c_str());
}

TEST_F(SoundTest, LoadSFXReadsTheNamedFileOfTheGame) {
    Write("07.wav", Wav({}, {{"data", Tone(100, 2, 440)}}));
    std::system(("mkdir -p '" + AudioDir(home) + "sub'").c_str());
    Write("sub/blip.wav", Wav({}, {{"data", Tone(200, 2, 440)}}));
    Write("Zap.WAV", Wav({}, {{"data", Tone(300, 2, 440)}}));
    int game = ThisGame.GameNum;
    ThisGame.GameNum = 564;
    testing::internal::CaptureStdout();
    ThisGame.LoadSFX(7);
    ThisGame.LoadSFX(8, "sub\\blip");
    ThisGame.LoadSFX(9, "Zap.WAV");
    std::string log = testing::internal::GetCapturedStdout();
    ThisGame.GameNum = game;
    EXPECT_EQ(Effects.SFXData[7][0], 400);
    EXPECT_EQ(Effects.SFXData[8][0], 800);
    EXPECT_EQ(Effects.SFXData[9][0], 1200);
    EXPECT_NE(log.find("> Load SFX   : 7\n"), std::string::npos) << log;
    EXPECT_NE(log.find("> Load Wave sub\\blip to 8\n"), std::string::npos) << log;
    EXPECT_NE(log.find("> Load Wave Zap.WAV to 9\n"), std::string::npos) << log;
}

TEST_F(SoundTest, EffectsRotateOverThirtyOneSourcesWithClampedSettings) {
    std::string path = Write("fx.wav", Wav({}, {{"data", Tone(2000, 1, 440)}}));
    ASys.GetWAV(91, path.c_str());
    ASys.GetWAV(92, path.c_str());

    int first = Effects.ALChannel;
    for (int i = 0; i < 31; ++i) ThisGame.PlaySFX(91, 1.0f);
    EXPECT_EQ(Effects.ALChannel, first);
    for (int s = 0; s < 31; ++s) EXPECT_EQ(Effects.ALsourcebuffer[s], 91) << s;
    EXPECT_NE(Effects.ALsourcebuffer[31], 91);  // the music source is never used
    ThisGame.PlaySFX(92, 1.0f);  // the 32nd cuts off the first
    int reused = (first + 1) % 31;
    EXPECT_EQ(Effects.ALChannel, reused);
    EXPECT_EQ(Effects.ALsourcebuffer[reused], 92);
    EXPECT_EQ(SourceInt(Audio.ALsource[reused], AL_BUFFER), ALint(Effects.ALbuffer[92]));

    ThisGame.SfxLevel = 0.7f;
    struct Case {
        float pitch, vol, pan;
        int loop;
        float wantPitch, wantGain, wantX;
        int wantLoop;
    } cases[] = {
        {20, 1, 0, 0, 16, 0.7f, 0, 0},       {0.1f, 1, 0, 0, 0.25f, 0.7f, 0, 0},
        {1, 2, 0, 0, 1, 1, 0, 0},            {1, -1, 0, 0, 1, 0, 0, 0},
        {1, 1, 2, 0, 1, 0.7f, -1, 0},        {1, 1, -2, 0, 1, 0.7f, 1, 0},
        {1, 1, 0.5f, 1, 1, 0.7f, -0.5f, 1},  {1, 1, 0, 2, 1, 0.7f, 0, 0},
        {NAN, 1, 0, 0, 0.25f, 0.7f, 0, 0},
    };
    for (const Case& c : cases) {
        ThisGame.PlaySFX(91, c.pitch, c.vol, c.pan, c.loop);
        ALuint s = Audio.ALsource[Effects.ALChannel];
        EXPECT_FLOAT_EQ(SourceFloat(s, AL_PITCH), c.wantPitch) << c.pitch;
        EXPECT_FLOAT_EQ(SourceFloat(s, AL_GAIN), c.wantGain) << c.vol;
        float x = 9, y = 9, z = 9;
        alGetSource3f(s, AL_POSITION, &x, &y, &z);
        EXPECT_FLOAT_EQ(x, c.wantX) << c.pan;
        EXPECT_EQ(SourceInt(s, AL_LOOPING), c.wantLoop) << c.loop;
    }
    ThisGame.PlaySFX(91);
    float pitch = SourceFloat(Audio.ALsource[Effects.ALChannel], AL_PITCH);
    EXPECT_GE(pitch, 0.8f);
    EXPECT_LE(pitch, 1.2f);

    // Reloading a slot stops and frees every source still playing it.
    ThisGame.PlaySFX(92, 1, 1, 0, 1);
    int looping = Effects.ALChannel;
    testing::internal::CaptureStdout();
    ASys.GetWAV(92, path.c_str());
    std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("> Freeing Buffer " + std::to_string(looping) + "\n"), std::string::npos) << log;
    EXPECT_EQ(Effects.ALsourcebuffer[looping], -1);
    EXPECT_NE(SourceInt(Audio.ALsource[looping], AL_SOURCE_STATE), AL_PLAYING);

    // Slots that were never loaded, or do not exist, play nothing.
    int before = Effects.ALChannel;
    if (!Effects.ALbufferActive[104]) ThisGame.PlaySFX(104, 1.0f);
    ThisGame.PlaySFX(105, 1.0f);
    ThisGame.PlaySFX(-1, 1.0f);
    EXPECT_EQ(Effects.ALChannel, before);
}

TEST_F(SoundTest, MusicNamesFailuresAndSettings) {
    Write("track.wav", LoopTrack());
    Write("fake.ogg", LoopTrack());  // a WAV under an Ogg name
    std::string junk = "OggS";
    for (int i = 0; i < 4096; ++i) junk += char((i * 7919) & 255);
    Write("junk.ogg", junk);
    Write("float.wav", Wav({3, 2, 44100, 32, 16}, {{"data", Tone(4096, 4, 440)}}));

    ThisGame.PlayMusic("track.wav");
    EXPECT_EQ(ASys.MusicPlaying, 1);
    EXPECT_EQ(ASys.MusicLoop, 1);
    testing::internal::CaptureStdout();
    ThisGame.PlayMusic("track.mp3");
    ThisGame.PlayMusic("track");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(ASys.MusicPlaying, 1);  // unknown names leave the track alone

    ThisGame.MusicLevel = 0.5f;
    ThisGame.MusicVolume(0.5f);
    ThisGame.MusicPitch(10);
    ThisGame.MusicPan(-3);
    ThisGame.MusicHandler();
    ALuint src = Audio.ALsource[MusicSource];
    EXPECT_FLOAT_EQ(SourceFloat(src, AL_GAIN), 0.25f);
    EXPECT_FLOAT_EQ(SourceFloat(src, AL_PITCH), 4.0f);
    float x = 0, y = 0, z = 0;
    alGetSource3f(src, AL_POSITION, &x, &y, &z);
    EXPECT_FLOAT_EQ(x, 1.0f);
    ThisGame.MusicPitch(0);
    ThisGame.MusicVolume(-1);
    ThisGame.MusicPan(3);
    EXPECT_EQ(ASys.MusicSet[1], 0.25f);
    EXPECT_EQ(ASys.MusicSet[2], 0.0f);
    EXPECT_EQ(ASys.MusicSet[3], 1.0f);

    struct Case {
        const char* name;
        const char* message;  // expected in the log, or ""
    } cases[] = {
        {"nothing.ogg", "> Error Opening Ogg\n"},
        {"nothing.wav", "> Error Opening Wave - "},
        {"fake.ogg", ""},
        {"junk.ogg", ""},
        {"float.wav", ""},
    };
    for (const Case& c : cases) {
        ThisGame.PlayMusic("track.wav");
        testing::internal::CaptureStdout();
        ThisGame.PlayMusic(c.name);
        for (int i = 0; i < 20; ++i) ThisGame.MusicHandler();
        std::string log = testing::internal::GetCapturedStdout();
        EXPECT_EQ(ASys.MusicPlaying, 0) << c.name;
        EXPECT_EQ(Stream.MusicFile, nullptr) << c.name;
        EXPECT_EQ(Stream.OggFile, nullptr) << c.name;
        EXPECT_EQ(SourceInt(src, AL_BUFFERS_QUEUED), 0) << c.name;
        EXPECT_NE(log.find(c.message), std::string::npos) << c.name << ": " << log;
    }

    ThisGame.PlayMusic("track.wav");
    ThisGame.StopMusic();
    EXPECT_EQ(ASys.MusicPlaying, 0);
    EXPECT_EQ(ASys.MusicBufferTo, 0);
    EXPECT_EQ(Stream.MusicFile, nullptr);
    EXPECT_EQ(SourceInt(src, AL_BUFFERS_QUEUED), 0);
}

TEST_F(SoundTest, WavStreamPlaysTheSampleDataInWholeBlocks) {
    // A LIST chunk before the samples, a short tail after two blocks, and
    // more than a whole block of other data after the samples, which must
    // never be played.
    std::string samples = Tone(2 * 4096 + 25, 2, 440);
    Write("tail.wav", Wav({1, 2, 44100, 16, 16},
                          {{"LIST", "INFOabcd"}, {"data", samples}, {"LIST", std::string(MusicBlockBytes + 64, 'x')}}));
    const long dataStart = 12 + 8 + 16 + 8 + 8 + 8;

    ThisGame.PlayMusic("tail.wav", 0);
    EXPECT_EQ(Stream.MusicFileBegin, dataStart);
    EXPECT_EQ(Stream.MusicFileEnd, dataStart + long(samples.size()));
    EXPECT_EQ(std::ftell(Stream.MusicFile), dataStart + MusicBlockBytes);
    EXPECT_EQ(Stream.MusicBufferStats[1], AL_FORMAT_STEREO16);
    EXPECT_EQ(Stream.MusicBufferStats[4], 44100);
    ThisGame.MusicHandler();
    ThisGame.MusicHandler();  // the 100-byte tail is no block: the track ends
    EXPECT_EQ(ASys.MusicPlaying, 0);
    EXPECT_EQ(Stream.MusicBufferTick, -3 + 2);
    EXPECT_EQ(Stream.MusicFile, nullptr);
    ALint queued = 0;
    alGetSourcei(Audio.ALsource[MusicSource], AL_BUFFERS_QUEUED, &queued);
    EXPECT_EQ(queued, 2);

    // Looping: the ring fills with blocks 1, 2, 1, 2 and the track goes on.
    ThisGame.PlayMusic("tail.wav", 1);
    for (int i = 0; i < 3; ++i) ThisGame.MusicHandler();
    EXPECT_EQ(ASys.MusicPlaying, 1);
    EXPECT_EQ(Stream.MusicBufferTick, 1);
    EXPECT_EQ(std::ftell(Stream.MusicFile), dataStart + 2 * MusicBlockBytes);
}

TEST_F(SoundTest, MusicStartsAgainAfterTheSourceRanDry) {
    Write("track.wav", LoopTrack());
    ThisGame.PlayMusic("track.wav");
    ALuint src = Audio.ALsource[MusicSource];
    ASSERT_EQ(SourceInt(src, AL_SOURCE_STATE), AL_PLAYING);
    // No refill for longer than the one queued block lasts (0.09 s), as when
    // the main loop stalls: the source plays everything it has and stops.
    for (int n = 0; n < 200 && SourceInt(src, AL_SOURCE_STATE) == AL_PLAYING; ++n) usleep(10000);
    ASSERT_EQ(SourceInt(src, AL_SOURCE_STATE), AL_STOPPED);

    // The next refill queues a block and starts the source again.
    ThisGame.MusicHandler();
    EXPECT_EQ(SourceInt(src, AL_SOURCE_STATE), AL_PLAYING);
    EXPECT_EQ(SourceInt(src, AL_BUFFERS_QUEUED), 1);
    EXPECT_EQ(ASys.MusicPlaying, 1);

    // Stopped music stays stopped, however often the loop comes by.
    ThisGame.StopMusic();
    for (int i = 0; i < 5; ++i) ThisGame.MusicHandler();
    EXPECT_NE(SourceInt(src, AL_SOURCE_STATE), AL_PLAYING);
}

// Runs refill steps with the source stopped before each, so that every step
// finds its buffers used up and decodes the next block at once.
int StepsUntilEnd(int limit) {
    int steps = 0;
    while (ASys.MusicPlaying && steps < limit) {
        alSourceStop(Audio.ALsource[MusicSource]);
        ThisGame.MusicHandler();
        ++steps;
    }
    return steps;
}

TEST_F(SoundTest, DamagedOggEndsOrRefusesWithoutCrashing) {
    std::string real = std::string(GOBBIT_BUILD_DIR) + "/Data/564/audio/01.ogg";
    if (!Exists(real)) GTEST_SKIP() << "no generated music yet";
    std::string ogg = ReadAll(real);
    ASSERT_GT(ogg.size(), 100000u);
    std::string flipped = ogg;
    for (size_t i = 20000; i < flipped.size(); i += 97) flipped[i] = char(flipped[i] ^ 0x5A);
    struct Case {
        const char* name;
        std::string bytes;
        bool opens;
        int minSteps;  // blocks decoded before the end
    } cases[] = {
        {"cut.ogg", ogg.substr(0, ogg.size() / 3), true, 50},  // a third of 40 s: about 70 blocks
        {"flipped.ogg", flipped, true, 1},
        {"head.ogg", ogg.substr(0, 200), false, 0},
    };
    for (const Case& c : cases) {
        Write(c.name, c.bytes);
        ThisGame.PlayMusic(c.name, 0);
        EXPECT_EQ(ASys.MusicPlaying, c.opens ? 2 : 0) << c.name;
        int steps = StepsUntilEnd(5000);
        EXPECT_EQ(ASys.MusicPlaying, 0) << c.name;
        EXPECT_EQ(Stream.OggFile, nullptr) << c.name;
        if (!c.opens) continue;
        EXPECT_GE(steps, c.minSteps) << c.name;
        // Looping, the same file goes on past its end.
        ThisGame.PlayMusic(c.name, 1);
        StepsUntilEnd(steps + 20);
        EXPECT_EQ(ASys.MusicPlaying, 2) << c.name;
        ThisGame.StopMusic();
        EXPECT_EQ(Stream.OggFile, nullptr) << c.name;
    }
}

// ---- Capture of the mixed output ----

struct Capture {
    int status = -1;
    int channels = 0, bits = 0, formatTag = 0;
    std::vector<int16_t> samples;  // interleaved
    std::string log;
};

// Runs one scenario of SoundCaptureChild in a fresh process whose OpenAL
// device is the wave writer; the device is closed before the process ends,
// which completes the file.
Capture RunCapture(const std::string& scenario, const std::string& home) {
    Capture cap;
    std::string wav = home + "/capture.wav", conf = home + "/alsoft.conf", log = home + "/child.log";
    WriteFile(conf, "[general]\ndrivers = wave\nchannels = stereo\nsample-type = int16\nfrequency = 44100\n"
                    "[wave]\nfile = " + wav + "\n");
    char self[4096] = {};
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return cap;
    std::string cmd = "env -u DISPLAY -u ALSOFT_DRIVERS ALSOFT_CONF='" + conf + "' GOBBIT_CAPTURE_SCENARIO=" +
                      scenario + " GOBBIT_CAPTURE_HOME='" + home + "' '" + std::string(self) +
                      "' --gtest_filter=SoundCaptureChild.Scenario > '" + log + "' 2>&1";
    cap.status = std::system(cmd.c_str());
    cap.log = ReadAll(log);
    std::string bytes = ReadAll(wav);
    auto u16 = [&](size_t at) { return unsigned(uint8_t(bytes[at])) | unsigned(uint8_t(bytes[at + 1])) << 8; };
    auto u32 = [&](size_t at) { return u16(at) | u16(at + 2) << 16; };
    if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0) return cap;
    size_t at = 12;
    while (at + 8 <= bytes.size()) {
        std::string tag = bytes.substr(at, 4);
        size_t size = u32(at + 4);
        at += 8;
        if (tag == "fmt ") {
            cap.formatTag = int(u16(at));
            cap.channels = int(u16(at + 2));
            cap.bits = int(u16(at + 14));
        }
        if (tag == "data") {
            size_t end = std::min(bytes.size(), at + size);
            for (size_t i = at; i + 1 < end; i += 2) cap.samples.push_back(int16_t(u16(i)));
            break;
        }
        at += size;
    }
    return cap;
}

// Peak level of every 10 ms of a 44.1 kHz stereo capture.
std::vector<int> Peaks(const Capture& cap) {
    std::vector<int> peaks;
    const size_t window = 441 * 2;
    for (size_t i = 0; i + window <= cap.samples.size(); i += window) {
        int peak = 0;
        for (size_t k = i; k < i + window; ++k) peak = std::max(peak, std::abs(int(cap.samples[k])));
        peaks.push_back(peak);
    }
    return peaks;
}

constexpr int Loud = 2000;
constexpr int Quiet = 16;

struct Span {
    int first = -1, last = -1, longestGap = 0;
    int Length() const { return first < 0 ? 0 : last - first + 1; }  // in 10 ms windows
};

Span LoudSpan(const std::vector<int>& peaks) {
    Span s;
    for (int i = 0; i < int(peaks.size()); ++i)
        if (peaks[i] > Loud) {
            if (s.first < 0) s.first = i;
            s.last = i;
        }
    int gap = 0;
    for (int i = s.first; s.first >= 0 && i <= s.last; ++i) {
        gap = peaks[i] <= Quiet ? gap + 1 : 0;
        s.longestGap = std::max(s.longestGap, gap);
    }
    return s;
}

class SoundCapture : public ::testing::Test {
protected:
    std::string home;
    void SetUp() override { home = MakeHome(); }
    void TearDown() override { std::system(("rm -rf '" + home + "'").c_str()); }

    Capture Run(const std::string& scenario) {
        Capture cap = RunCapture(scenario, home);
        EXPECT_EQ(cap.status, 0) << cap.log;
        EXPECT_EQ(cap.formatTag, 0xFFFE);
        EXPECT_EQ(cap.channels, 2);
        EXPECT_EQ(cap.bits, 16);
        return cap;
    }
};

TEST_F(SoundCapture, EffectIsHeard) {
    WriteFile(AudioDir(home) + "05.wav", Wav({1, 1, 44100, 16, 16}, {{"data", Tone(8820, 1, 660)}}));
    Capture cap = Run("effect");
    Span s = LoudSpan(Peaks(cap));
    ASSERT_GE(s.first, 0) << "the capture is silent";
    EXPECT_GE(s.Length(), 15);  // 0.2 s at pitch 1
    EXPECT_LE(s.Length(), 30);
    EXPECT_EQ(s.longestGap, 0);
}

TEST_F(SoundCapture, LoopingTrackPlaysOnPastItsEndAndStopFallsSilent) {
    WriteFile(AudioDir(home) + "loop.wav", LoopTrack());
    Capture cap = Run("loop");
    std::vector<int> peaks = Peaks(cap);
    Span s = LoudSpan(peaks);
    ASSERT_GE(s.first, 0) << "the capture is silent";
    // 1.3 s of play against a 0.37 s track, with no silent hole at the seams.
    EXPECT_GE(s.Length(), 100);
    EXPECT_LE(s.Length(), 170);
    EXPECT_LE(s.longestGap, 1);
    ASSERT_GE(int(peaks.size()), s.last + 40);
    for (int i = s.last + 10; i < s.last + 40; ++i) EXPECT_LE(peaks[i], Quiet) << "window " << i;
}

TEST_F(SoundCapture, TrackWithoutLoopPlaysOnce) {
    WriteFile(AudioDir(home) + "loop.wav", LoopTrack());
    Capture cap = Run("once");
    Span s = LoudSpan(Peaks(cap));
    ASSERT_GE(s.first, 0) << "the capture is silent";
    EXPECT_GE(s.Length(), 30);
    EXPECT_LE(s.Length(), 45);
}

TEST_F(SoundCapture, OggTrackIsHeard) {
    std::string real = std::string(GOBBIT_BUILD_DIR) + "/Data/564/audio/01.ogg";
    if (!Exists(real)) GTEST_SKIP() << "no generated music yet";
    WriteFile(AudioDir(home) + "01.ogg", ReadAll(real));
    Capture cap = Run("ogg");
    Span s = LoudSpan(Peaks(cap));
    ASSERT_GE(s.first, 0) << "the capture is silent";
    EXPECT_GE(s.Length(), 100);
}

TEST_F(SoundCapture, MissingAndDamagedFilesStaySilent) {
    std::string audio = AudioDir(home);
    WriteFile(audio + "46.wav", Wav({1, 0, 44100, 16, 16}, {{"data", Tone(8820, 1, 660)}}));
    WriteFile(audio + "47.wav", Wav({3, 1, 44100, 32, 16}, {{"data", Tone(8820, 2, 660)}}));
    WriteFile(audio + "fake.ogg", LoopTrack());
    WriteFile(audio + "junk.ogg", "OggS" + std::string(3000, '\x17'));
    WriteFile(audio + "bad.wav", Wav({3, 2, 44100, 32, 16}, {{"data", Tone(8192, 4, 440)}}));
    Capture cap = Run("silent");
    std::vector<int> peaks = Peaks(cap);
    EXPECT_GE(peaks.size(), 40u) << "the device did not run";
    for (size_t i = 0; i < peaks.size(); ++i) ASSERT_LE(peaks[i], Quiet) << "window " << i;
    EXPECT_NE(cap.log.find("> Error Opening Wave\n"), std::string::npos) << cap.log;
    EXPECT_NE(cap.log.find("> Error Opening Ogg\n"), std::string::npos) << cap.log;
}

// The child side of the captures; skipped unless started by RunCapture.
TEST(SoundCaptureChild, Scenario) {
    const char* scenario = std::getenv("GOBBIT_CAPTURE_SCENARIO");
    const char* home = std::getenv("GOBBIT_CAPTURE_HOME");
    if (!scenario || !home) GTEST_SKIP() << "runs only inside a capture";
    std::snprintf(ThisGame.home, sizeof ThisGame.home, "%s", home);
    ThisGame.Begin(564, "Gobbit");
    ASSERT_EQ(Audio.AudioEnabled, 1);
    ThisGame.SfxLevel = 1;
    ThisGame.MusicLevel = 1;
    auto pump = [](int ms) {
        int until = ThisGame.Mills() + ms;
        while (ThisGame.Mills() < until) {
            ThisGame.MusicHandler();
            ThisGame.Rest(4);
        }
    };
    std::string s = scenario;
    pump(100);
    if (s == "effect") {
        ThisGame.LoadSFX(5);
        ThisGame.PlaySFX(5, 1.0f, 1.0f);
        pump(600);
    } else if (s == "loop") {
        ThisGame.PlayMusic("loop.wav", 1);
        pump(1300);
        EXPECT_EQ(ASys.MusicPlaying, 1);
        ThisGame.StopMusic();
        pump(700);
    } else if (s == "once") {
        ThisGame.PlayMusic("loop.wav", 0);
        pump(1300);
        EXPECT_EQ(ASys.MusicPlaying, 0);
    } else if (s == "ogg") {
        ThisGame.PlayMusic("01.ogg");
        pump(1500);
        EXPECT_EQ(ASys.MusicPlaying, 2);
    } else if (s == "silent") {
        ThisGame.LoadSFX(44);
        ThisGame.PlaySFX(44, 1.0f, 1.0f);
        for (int n : {46, 47}) {
            ThisGame.LoadSFX(n);
            ThisGame.PlaySFX(n, 1.0f, 1.0f);
        }
        for (const char* name : {"nothing.ogg", "fake.ogg", "junk.ogg", "bad.wav"}) {
            ThisGame.PlayMusic(name);
            pump(100);
        }
        pump(300);
    }
    ThisGame.Terminate();
}

}  // namespace
