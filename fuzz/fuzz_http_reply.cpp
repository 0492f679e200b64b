// The score server's reply as the game reads it: the HTTP client's block by
// block search for the data markers, then the field parsing that fills the
// online tables (PumpOnline, fed through the network worker).
//
// Input: 1 byte receive-block size code, then the raw reply bytes.
#include <cstring>
#include <string>
#include <thread>

#include "FuzzSupport.h"
#include "persist/OnlineScores.h"
#include "persist/SaveFormat.h"
#include "shell/MyGame.h"
#include "sys/HttpClient.h"
#include "sys/ZARNSys.h"

namespace {

constexpr int Boards = 3;

// The reply's fields must be what Split makes of the same text.
void CheckFields(const std::string& data) {
    std::vector<std::string> f = ReplyFields(data, 22 * Boards + 1);
    FUZZ_CHECK(!f.empty());
    for (size_t k = 1; k < f.size(); k++) FUZZ_CHECK(f[k] == ThisGame.Split(data, '{', int(k)));
    if (f.size() <= 22 * Boards) FUZZ_CHECK(ThisGame.Split(data, '{', int(f.size())) == MissingField);
}

// Hands the data to PumpOnline the way a finished exchange does: an
// exchange that sends nothing leaves WebData as it was, and that is the
// reply the game then reads.
void Pump(const std::string& data) {
    ASys.WebData = data;
    ThisGame.RequestURL("", "", "");
    ThisGame.Online.NetWaiting = 1;
    for (long spins = 0; ThisGame.Online.NetWaiting; spins++) {
        FUZZ_CHECK(spins < 100000000);
        ThisGame.PumpOnline();
        std::this_thread::yield();
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    ThisGame.BoardCount = Boards;
    // Scores are only sent, and replies only read, while the player has an
    // online name.
    for (int cell = 0; cell < 4; cell++) SetNameCell(ThisGame.Settings, cell, ThisGame.Int64("FUZZ"[cell]));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ByteReader in(data, size);
    int code = in.U8();
    size_t block = code == 0 ? 10000 : size_t(code);
    std::string reply = in.Rest();

    ReplyFilter filter;
    for (size_t at = 0; at < reply.size(); at += block)
        filter.Block(reply.data() + at, std::min(block, reply.size() - at));
    const std::string& got = filter.Data();
    FUZZ_CHECK(got.size() <= reply.size());
    for (char c : got) {
        unsigned char u = static_cast<unsigned char>(c);
        FUZZ_CHECK(u == 10 || u == 13 || (u >= 32 && u < 128));
    }
    CheckFields(got);

    std::memset(ThisGame.NetNames, 0x5a, sizeof ThisGame.NetNames);
    ThisGame.Online.NetValid = 0;
    Pump(got);
    bool marked = false;
    if (got.size() > 10) {
        std::vector<std::string> f = ReplyFields(got, 22 * Boards + 1);
        for (int b = 0; b < Boards; b++) marked = marked || (22u * b + 1 < f.size() && f[22 * b + 1] == "OnlineScores");
    }
    FUZZ_CHECK(ThisGame.Online.NetValid == (marked ? 1 : 0));
    for (int b = 1; b <= Boards; b++) {
        for (int r = 0; r < 5; r++) {
            const char* name = ThisGame.NetNames[20 * b + r];
            if (name[0] == 0x5a && name[15] == 0x5a) continue;  // board left as it was
            for (int i = 12; i < 16; i++) FUZZ_CHECK(name[i] == 0);
        }
    }
    return 0;
}
