#include "support/PersistFixture.h"

#include "support/LoopbackServer.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

#include "persist/OnlineScores.h"
#include "persist/SaveFormat.h"
#include "shell/MyGame.h"
#include "sys/HttpClient.h"
#include "sys/ZARNSys.h"

void PersistTest::SetUp() {
    MyGame& g = ThisGame;

    char tmpl[] = "/tmp/gobbit-persist-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    std::snprintf(g.home, sizeof g.home, "%s", dir_.c_str());
    // The framework values, factory settings and key bindings, as start-up
    // sets them.
    g.SetLaunchValues();
    g.InstallDefaults();
    for (int& v : g.Scores) v = 0;
    for (int& v : g.NetScores) v = 0;
    std::memset(g.NetNames, 0, sizeof g.NetNames);
    g.Online.NetValid = g.Online.NetWaiting = g.Saving.SavePending = g.Saving.SaveSum = g.Saving.SaveWriting = g.Saving.SaveTemp = 0;
    // Scores sent by a test go nowhere unless the test names a server.
    SetScoreHost(("127.0.0.1:" + std::to_string(UnusedPort())).c_str());
    // Nothing from an earlier test may still be on its way in.
    std::string stale;
    while (g.URLReply(stale)) {
    }
}

void PersistTest::TearDown() {
    MyGame& g = ThisGame;
    g.CloseFile();
    FinishReplacements(10000);
    // Let a pending exchange land here, not in the next test.
    if (g.Online.NetWaiting) PumpUntilReplied();
    std::string stale;
    while (g.URLReply(stale)) {
    }
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

void PersistTest::FinishSave() {
    for (int n = 0; n < 10000 && ThisGame.Saving.SavePending != 0; n++) {
        ThisGame.SaveBit();
        if (ThisGame.Saving.SavePending == 1 || ThisGame.Saving.SavePending == 28) usleep(100);
    }
    FinishReplacements(10000);
}

void PersistTest::SaveAll() {
    ThisGame.Save();
    FinishSave();
}

bool PersistTest::PumpUntilReplied(int maxMs) {
    for (int waited = 0; waited < maxMs; waited += 5) {
        ThisGame.PumpOnline();
        if (ThisGame.Online.NetWaiting == 0) return true;
        usleep(5000);
    }
    return false;
}

void PersistTest::SetName(const std::string& name) {
    for (int i = 50; i <= 55; i++) ThisGame.Settings[i] = 0;
    for (int i = 0; i < 12 && i < int(name.size()); i++) {
        int code = name[i] == ' ' ? 0 : ThisGame.Int64(name[i]);
        ThisGame.Settings[Setting::OnlineName + i / 2] |= i % 2 == 0 ? code : code << 8;
    }
}

void PersistTest::SetUser(int u1, int u2, int u3) {
    int* s = ThisGame.Settings;
    s[24] = u1;
    s[25] = u2;
    s[26] = u3;
    s[27] = u1 % 37171 + u2 % 17021 + u3 % 53496;
}

std::vector<uint8_t> PersistTest::ReadBytes(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void PersistTest::WriteBytes(const std::string& name, const std::vector<uint8_t>& bytes) const {
    std::ofstream out(Path(name), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::vector<int32_t> PersistTest::ReadInts(const std::string& name) const {
    std::vector<uint8_t> b = ReadBytes(name);
    std::vector<int32_t> out(b.size() / 4);
    for (size_t i = 0; i < out.size(); i++)
        out[i] = int32_t(uint32_t(b[4 * i]) | uint32_t(b[4 * i + 1]) << 8 | uint32_t(b[4 * i + 2]) << 16 |
                         uint32_t(b[4 * i + 3]) << 24);
    return out;
}

void PersistTest::WriteInts(const std::string& name, const std::vector<int32_t>& ints) const {
    std::vector<uint8_t> b;
    for (int32_t v : ints)
        for (int k = 0; k < 4; k++) b.push_back(uint8_t(uint32_t(v) >> (8 * k)));
    WriteBytes(name, b);
}
