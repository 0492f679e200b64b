// The text codecs: the keyed scrambler and its inverse, the checksum, the
// run-length packer and unpacker, Split and SplitCount, the 64-character
// alphabet and the six-letter packing of the user ID.
//
// Input: 4 bytes number, 1 byte separator, 2 bytes keyword length, the
// keyword, then the text (the rest).
#include <cstring>
#include <string>

#include "FuzzSupport.h"
#include "Scrambler.h"
#include "shell/MyGame.h"

namespace {

MyGame& G = ThisGame;

// What the scrambler reads: characters outside codes 32-123 as spaces.
std::string InAlphabet(const std::string& s) {
    std::string out = s;
    for (char& c : out) {
        int v = static_cast<signed char>(c);
        if (v < 32 || v > 123) c = ' ';
    }
    return out;
}

void CheckScrambler(const std::string& keyword, int gameNum, const std::string& text) {
    char table[ScrambleTableSize] = {};
    DeriveScrambleTable(keyword.c_str(), gameNum, table);
    std::string scrambled = ScrambleWithTable(text, table);
    FUZZ_CHECK(scrambled.size() == text.size());
    FUZZ_CHECK(UnscrambleWithTable(scrambled, table) == InAlphabet(text));
    bool inRange = true;
    for (char t : table) inRange = inRange && t >= 0 && t < ScrambleAlphabet;
    if (inRange)
        for (char c : scrambled) FUZZ_CHECK(c >= 32 && c <= 123);

    // The game's own path: keyword and number set on the game object.
    std::snprintf(G.GameKey, sizeof G.GameKey, "%s", "");
    std::memset(G.GameScramble, 0, sizeof G.GameScramble);
    G.GameNum = gameNum;
    G.SetKeyword(keyword.c_str());
    FUZZ_CHECK(G.ScrambleTxt(text) == scrambled);
}

void CheckChecksum(const std::string& text, int key) {
    int sum = G.Checksum(text, key);
    FUZZ_CHECK(sum >= 0 && sum < 3717);
    if (text.empty()) FUZZ_CHECK(sum == 0);
}

void CheckRunLength(const std::string& text) {
    if (!text.empty()) {
        std::string packed = G.JNKrunch(text);
        FUZZ_CHECK(packed.size() <= 3 * text.size());
        FUZZ_CHECK(G.JuNKrunch(packed) == text);
    }
    std::string unpacked = G.JuNKrunch(text);
    FUZZ_CHECK(unpacked.size() <= 26 * text.size());
}

void CheckSplit(const std::string& s, char sep) {
    int count = G.SplitCount(s, sep);
    FUZZ_CHECK(count >= 1 && size_t(count) <= s.size() + 1);
    if (s.empty()) {
        FUZZ_CHECK(G.Split(s, sep, 1) == MissingField);
        return;
    }
    // A separator at the very end stays in the last field.
    int fields = s.back() == sep ? count - 1 : count;
    if (fields > 200) fields = 200;  // enough to show the walk, without O(n^2) on long texts
    std::string joined;
    for (int k = 1; k <= fields; k++) {
        if (k > 1) joined += sep;
        joined += G.Split(s, sep, k);
    }
    FUZZ_CHECK(s.compare(0, joined.size(), joined) == 0);
    if (fields == (s.back() == sep ? count - 1 : count)) {
        FUZZ_CHECK(joined == s);
        FUZZ_CHECK(G.Split(s, sep, fields + 1) == MissingField);
    }
    FUZZ_CHECK(G.Split(s, sep, 0) == MissingField);
}

void CheckAlphabet(int value, const std::string& text) {
    std::string four = G.Char64x4(value);
    FUZZ_CHECK(four.size() == 4);
    FUZZ_CHECK(G.Int64x4(four) == (value & 0xFFFFFF));
    int back = G.Int64x4(text.substr(0, 4));
    FUZZ_CHECK(back >= 0 && back <= 0xFFFFFF);
    for (char c : text.substr(0, 16)) {
        int v = G.Int64(c);
        FUZZ_CHECK(v >= 0 && v < 64);
        int wrapped = ((int(static_cast<signed char>(c)) % 64) + 64) % 64;
        FUZZ_CHECK(G.Int64(G.Char64(c)) == wrapped);
        char shown = G.Char64b(c);
        FUZZ_CHECK(shown == (wrapped == 0 ? ' ' : G.Char64(c)));
    }
}

void CheckSixLetters(int value, const std::string& text) {
    std::string letters = G.SixDigitString(value);
    FUZZ_CHECK(letters.size() == 6);
    int expected = 0;
    for (int k = 0; k < 6; k++) {
        int field = (value >> (25 - 5 * k)) & 31;
        FUZZ_CHECK(letters[size_t(k)] == (field >= 1 && field <= 26 ? char('@' + field) : ' '));
        if (field >= 1 && field <= 26) expected |= field << (25 - 5 * k);
    }
    FUZZ_CHECK(G.SixDigitString(letters.c_str()) == expected);
    std::string six = G.SixDigitString(G.SixDigitString(text.c_str()));
    for (size_t k = 0; k < 6; k++) {
        char c = k < std::strlen(text.c_str()) ? text[k] : 0;
        char up = (c >= 'a' && c <= 'z') ? char(c - 32) : c;
        FUZZ_CHECK(six[k] == ((up >= 'A' && up <= 'Z') ? up : ' '));
    }
    FUZZ_CHECK(G.SixDigitString(value, value, value).size() == 18);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ByteReader in(data, size);
    int number = int(in.U32());
    char sep = char(in.U8());
    size_t keyLength = in.U16() % 1024;
    std::string keyword = in.Bytes(keyLength);
    keyword = keyword.substr(0, std::strlen(keyword.c_str()));  // a C text ends at its first zero
    std::string text = in.Rest();

    CheckScrambler(keyword, number, text);
    CheckChecksum(text, number);
    CheckRunLength(text);
    CheckSplit(text, sep);
    CheckAlphabet(number, text);
    CheckSixLetters(number, text);
    return 0;
}
