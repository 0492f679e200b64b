#include <gtest/gtest.h>
#include <lodepng.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "shell/MyGame.h"
#include "support/FileKinds.h"
#include "support/InChild.h"
#include "sys/AssetDecode.h"
#include "sys/FileSys.h"
#include "sys/ZARNSys.h"

namespace {

using Bytes = std::vector<unsigned char>;

// Points the game's home at a fresh temporary directory for each test.
class FileLayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedHome_ = ThisGame.home;
        char tmpl[] = "/tmp/gobbit-files-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        std::snprintf(ThisGame.home, sizeof ThisGame.home, "%s", dir_.c_str());
    }
    void TearDown() override {
        ThisGame.CloseFile();
        ThisGame.BulkClear();
        std::snprintf(ThisGame.home, sizeof ThisGame.home, "%s", savedHome_.c_str());
        std::system(("rm -rf '" + dir_ + "'").c_str());
    }

    std::string Path(const std::string& name) const { return dir_ + "/" + name; }

    Bytes OnDisk(const std::string& name) const {
        std::ifstream in(Path(name), std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    void PutOnDisk(const std::string& name, const Bytes& bytes) const {
        std::ofstream out(Path(name), std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }

    std::string dir_;

private:
    std::string savedHome_;
};

FILE* StreamOf(const Bytes& bytes) {
    FILE* f = std::tmpfile();
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::rewind(f);
    return f;
}

}  // namespace

TEST_F(FileLayerTest, IntsAreFourLittleEndianBytes) {
    ASSERT_EQ(ThisGame.WriteFile("ints.sav"), 1);
    ThisGame.WriteInt(1);
    ThisGame.WriteInt(-1);
    ThisGame.WriteInt(0x12345678);
    ThisGame.CloseFile();
    EXPECT_EQ(OnDisk("ints.sav"),
              (Bytes{0x01, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0x78, 0x56, 0x34, 0x12}));

    ASSERT_EQ(ThisGame.ReadFile("ints.sav"), 1);
    EXPECT_EQ(ThisGame.ReadInt(), 1);
    EXPECT_EQ(ThisGame.ReadInt(), -1);
    EXPECT_EQ(ThisGame.FilePos(), 8);
    EXPECT_EQ(ThisGame.ReadInt(), 0x12345678);
    ThisGame.FileSeek(4);
    EXPECT_EQ(ThisGame.ReadInt(), -1);
}

TEST_F(FileLayerTest, BulkBufferHoldsAtMost4998Ints) {
    ThisGame.BulkClear();
    ASSERT_EQ(ThisGame.WriteFile("bulk.sav"), 1);
    for (int v = 0; v < 5000; v++) ThisGame.BulkInt(v);
    ThisGame.BulkWrite();
    EXPECT_EQ(File.OutBufTo, 0);
    ThisGame.CloseFile();
    Bytes disk = OnDisk("bulk.sav");
    ASSERT_EQ(disk.size(), 19992u);
    // Same layout as the direct path; the last value kept is 4,997.
    EXPECT_EQ((Bytes(disk.end() - 4, disk.end())), (Bytes{0x85, 0x13, 0, 0}));

    // BulkClear drops what was queued.
    ASSERT_EQ(ThisGame.WriteFile("bulk2.sav"), 1);
    ThisGame.BulkInt(7);
    ThisGame.BulkClear();
    ThisGame.BulkInt(-2);
    ThisGame.BulkWrite();
    ThisGame.CloseFile();
    EXPECT_EQ(OnDisk("bulk2.sav"), (Bytes{0xFE, 0xFF, 0xFF, 0xFF}));
}

TEST_F(FileLayerTest, OpeningAnotherFileClosesTheFirst) {
    ASSERT_EQ(ThisGame.WriteFile("first.sav"), 1);
    ThisGame.WriteInt(42);
    ThisGame.WriteByte(9);
    ASSERT_EQ(ThisGame.WriteFile("second.sav"), 1);
    EXPECT_EQ(OnDisk("first.sav"), (Bytes{42, 0, 0, 0, 9}));  // complete without CloseFile

    ASSERT_EQ(ThisGame.ReadFile("first.sav"), 1);
    EXPECT_EQ(ThisGame.ReadInt(), 42);
    EXPECT_EQ(ThisGame.ReadByte(), 9);
    EXPECT_EQ(ThisGame.ReadByte(), -1);
    ThisGame.CloseFile();
    EXPECT_EQ(File.FileOpen, 0);
    EXPECT_EQ(OnDisk("second.sav"), Bytes{});
}

TEST_F(FileLayerTest, FailedOpensSayWhyAndLeaveNothingOpen) {
    testing::internal::CaptureStdout();
    int r = ThisGame.ReadFile("missing.sav");
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(r, 0);
    EXPECT_EQ(out, "Error Reading File\n");
    EXPECT_EQ(File.FileOpen, 0);
    EXPECT_EQ(ThisGame.ReadInt(), 0);
    EXPECT_EQ(ThisGame.ReadByte(), 0);
    EXPECT_EQ(ThisGame.ReadLine(), "");
    EXPECT_EQ(ThisGame.FilePos(), -1);
    EXPECT_EQ(ASys.ReadIntb_Sys(), NothingRead);

    testing::internal::CaptureStdout();
    r = ThisGame.WriteFile("no-such-dir/x.sav");
    out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(r, 0);
    EXPECT_EQ(out, "Error Writing File " + std::string(ThisGame.home) + "/no-such-dir/x.sav: No such file or directory\n");
    ThisGame.WriteInt(5);  // ignored, must not crash
    ThisGame.BulkInt(5);
    ThisGame.BulkWrite();
    EXPECT_EQ(File.OutBufTo, 0);
}

TEST_F(FileLayerTest, ShortIntReadsKeepWhatIsThere) {
    PutOnDisk("short.sav", {0x01, 0x02, 0x03});
    ASSERT_EQ(ThisGame.ReadFile("short.sav"), 1);
    EXPECT_EQ(ThisGame.ReadInt(), 0x030201);
    ThisGame.FileSeek(0);
    EXPECT_EQ(ASys.ReadIntb_Sys(), NothingRead);
    ThisGame.FileSeek(0);
    EXPECT_EQ(ThisGame.ReadByte(), 1);
}

TEST_F(FileLayerTest, LinesLoseTheirLastCharacter) {
    ASSERT_EQ(ThisGame.WriteFile("lines.txt"), 1);
    ThisGame.WriteLine("hello");
    ThisGame.WriteString("");
    ThisGame.WriteBytes(reinterpret_cast<const unsigned char*>("tail"), 4);  // no line feed
    ThisGame.CloseFile();
    std::string raw;
    for (unsigned char b : OnDisk("lines.txt")) raw += char(b);
    EXPECT_EQ(raw, "hello\n\ntail");

    ASSERT_EQ(ThisGame.ReadFile("lines.txt"), 1);
    EXPECT_EQ(ThisGame.ReadLine(), "hello");
    int slot = ThisGame.ReadString();
    EXPECT_EQ(slot, TempstrUse);
    EXPECT_STREQ(ThisGame.Tempstr[slot], "");
    EXPECT_EQ(ThisGame.ReadLine(), "tai");  // a final line without a feed loses a real character
    EXPECT_EQ(ThisGame.ReadLine(), "");
}

TEST_F(FileLayerTest, ReadStringGoesThroughTheTextRing) {
    PutOnDisk("ring.txt", {'a', 'b', '\n'});
    ASSERT_EQ(ThisGame.ReadFile("ring.txt"), 1);
    int before = TempstrUse;
    int slot = ThisGame.ReadString();
    EXPECT_EQ(slot, (before + 1) % 30);
    EXPECT_STREQ(ThisGame.Tempstr[slot], "ab");
}

// Every file the game opens by name for reading (its save files, pictures
// and sounds) must be a regular file or a link to one: a FIFO, a device or
// a folder is refused at once, never read and never waited on.
TEST_F(FileLayerTest, OnlyRegularFilesAreReadAndNoneIsWaitedOn) {
    std::vector<unsigned char> png;
    ASSERT_EQ(lodepng::encode(png, std::vector<unsigned char>(16 * 16 * 4, 200), 16, 16), 0u);
    PutOnDisk("picture.png", png);
    ASSERT_EQ(mkfifo(Path("fifo").c_str(), 0666), 0);
    ASSERT_EQ(mkdir(Path("folder").c_str(), 0777), 0);
    ASSERT_EQ(symlink("fifo", Path("link-to-fifo").c_str()), 0);
    ASSERT_EQ(symlink("picture.png", Path("link-to-picture").c_str()), 0);
    struct Case {
        const char* name;
        bool regular;
    };
    std::vector<Case> cases = {{"picture.png", true}, {"link-to-picture", true}, {"fifo", false},
                               {"link-to-fifo", false}, {"folder", false}};
    // Root only: without it that row is left out.
    if (MakeZeroDevice(Path("zeros"))) cases.push_back({"zeros", false});

    // In a child, so that a read that waits on the FIFO ends there.
    int status = -1;
    std::string out = InChild(
        [&] {
            for (const Case& c : cases) {
                int read = ThisGame.ReadFile(c.name);
                int first = ThisGame.ReadInt();
                ThisGame.CloseFile();
                bool image = PrepareImage(Path(c.name).c_str(), 16).Decoded;
                bool wave = PrepareWave(Path(c.name).c_str()).Opened;
                std::printf("%s: read %d %d image %d wave %d\n", c.name, read, first, image, wave);
            }
            return 0;
        },
        &status, 10);
    ASSERT_EQ(status, 0) << "a read waited (142) or failed\n" << out;
    int pngStart = 0x474E5089;  // the signature's first four bytes
    int refused = 0;
    for (const Case& c : cases) {
        std::string line = std::string(c.name) + ": " +
                           (c.regular ? "read 1 " + std::to_string(pngStart) + " image 1 wave 1" : "read 0 0 image 0 wave 0");
        EXPECT_NE(out.find(line + "\n"), std::string::npos) << line << "\n" << out;
        refused += !c.regular;
    }
    // The save files' reader says so, as for a missing file.
    size_t lines = 0;
    for (size_t at = out.find("Error Reading File\n"); at != std::string::npos; at = out.find("Error Reading File\n", at + 1))
        lines++;
    EXPECT_EQ(lines, size_t(refused)) << out;
}

// A new file is made under a name only when nothing is there but a file the
// game left: a planted link is never written through, a FIFO never opened.
TEST_F(FileLayerTest, WritesNeverGoThroughANameThatWasThere) {
    PutOnDisk("victim", {'k', 'e', 'e', 'p'});
    ASSERT_EQ(symlink("victim", Path("link").c_str()), 0);
    ASSERT_EQ(symlink("nowhere", Path("dangling").c_str()), 0);
    ASSERT_EQ(mkfifo(Path("fifo").c_str(), 0666), 0);
    ASSERT_EQ(link(Path("victim").c_str(), Path("second-name").c_str()), 0);
    PutOnDisk("left.sav", {1, 2, 3});
    const char* names[] = {"link", "dangling", "fifo", "second-name"};
    // In a child, so that a write that waits on the FIFO ends there.
    int status = -1;
    std::string out = InChild(
        [&] {
            for (const char* name : names) {
                std::printf("%s: %d\n", name, ThisGame.WriteFile(name));
                ThisGame.WriteInt(7);
                ThisGame.CloseFile();
            }
            return 0;
        },
        &status, 10);
    ASSERT_EQ(status, 0) << "a write waited (142) or failed\n" << out;
    for (const char* name : names)
        EXPECT_NE(out.find("Error Writing File " + Path(name) + ": File exists\n" + name + ": 0\n"), std::string::npos)
            << out;
    EXPECT_EQ(OnDisk("victim"), (Bytes{'k', 'e', 'e', 'p'}));
    struct stat st;
    EXPECT_NE(stat(Path("nowhere").c_str(), &st), 0) << "made through the dangling link";
    EXPECT_EQ(lstat(Path("fifo").c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));

    // A file the game left is made anew, for the player's eyes only.
    ASSERT_EQ(ThisGame.WriteFile("left.sav"), 1);
    ThisGame.WriteInt(7);
    ThisGame.CloseFile();
    EXPECT_EQ(OnDisk("left.sav"), (Bytes{7, 0, 0, 0}));
    ASSERT_EQ(stat(Path("left.sav").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(FileLayerReaders, LittleEndianChunkReaders) {
    FILE* f = StreamOf({'R', 'I', 'F', 'F', 0x34, 0x12, 0x10, 0x00, 0x00, 0x80, 9, 9, 9, 0xAA, 0xBB, 0xCC});
    EXPECT_STREQ(readTag(f), "RIFF");
    EXPECT_EQ(readShort(f), 4660);
    EXPECT_EQ(readInt(f), int(0x80000010u));
    skipBytes(3, f);
    EXPECT_EQ(readInt(f), NothingRead);  // only 3 bytes were left
    EXPECT_STREQ(readTag(f), "");
    std::fclose(f);

    f = StreamOf({0xFF, 0xFF, 0x01});
    EXPECT_EQ(readShort(f), 65535);
    EXPECT_EQ(readShort(f), NothingRead);
    std::fclose(f);
}
