// The scrambler keyed by the game, the text checksum, the run-length packer
// and the 64-character alphabet for small numbers.
#include <cstdio>

#include "Scrambler.h"
#include "ZARNCore.h"

namespace {
const char Alphabet64[] = "_-0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

constexpr unsigned ChecksumModulus = 3717;
constexpr int RunMax = 52;          // "z"
constexpr int PairsPerGroup = 10;   // a space after every tenth pair

char RunLetter(int run) { return run <= 26 ? char('A' + run - 1) : char('a' + run - 27); }
}  // namespace

void ZARNCore::SetKeyword(const char* keyword) {
    std::snprintf(GameKey, sizeof GameKey, "%s", keyword ? keyword : "");
    Rescramble();
}

void ZARNCore::Rescramble() { DeriveScrambleTable(GameKey, GameNum, GameScramble); }

std::string ZARNCore::ScrambleTxt(const std::string& text) { return ScrambleWithTable(text, GameScramble); }

// Only the score server reads scrambled text back.
std::string ZARNCore::UnscrambleTxt(const std::string&) { return "I haven't coded this bit yet!"; }

int ZARNCore::Checksum(const std::string& text, int key) {
    unsigned sum = 0;
    const unsigned k = unsigned(key);
    for (unsigned i = 0; i < unsigned(text.size()); i++) {
        // High bytes count as negative, wrapped into 32 bits.
        unsigned ch = unsigned(int(static_cast<signed char>(text[i])));
        unsigned term = (k * (i + 1) + (i + 73) / 7 + i + 1) * ch;
        sum = (sum + term) % ChecksumModulus;
    }
    return int(sum);
}

int ZARNCore::Checksum(const std::string& text) { return Checksum(text, GameNum); }

std::string ZARNCore::JNKrunch(const std::string& text) {
    std::string out;
    if (text.empty()) return out;
    int pairs = 0;
    auto emit = [&](int run, char c, bool last) {
        out += RunLetter(run);
        out += c;
        pairs += 1;
        if (!last && pairs % PairsPerGroup == 0) out += ' ';
    };
    char cur = text[0];
    int run = 1;
    for (size_t i = 1; i < text.size(); i++) {
        if (text[i] == cur) {
            if (run + 1 > RunMax) {
                emit(run, cur, false);
                run = 1;
            } else {
                run += 1;
            }
        } else {
            emit(run, cur, false);
            cur = text[i];
            run = 1;
        }
    }
    emit(run, cur, true);
    return out;
}

std::string ZARNCore::JuNKrunch(const std::string& packed) {
    std::string out;
    size_t i = 0;
    while (i < packed.size()) {
        int code = static_cast<unsigned char>(packed[i]);
        if (code >= 65 && code <= 122 && i + 1 < packed.size()) {
            int count = code <= 90 ? code - 64 : code - 70;
            out.append(size_t(count), packed[i + 1]);
            i += 2;
        } else {
            i += 1;  // group spaces and anything else that is not a count
        }
    }
    return out;
}

char ZARNCore::Char64(int value) {
    value %= 64;
    if (value < 0) value += 64;
    return Alphabet64[value];
}

char ZARNCore::Char64b(int value) {
    char c = Char64(value);
    return c == '_' ? ' ' : c;
}

// Characters outside the alphabet fall through the digit rule and wrap, so a
// space reads as 50.
int ZARNCore::Int64(char c) {
    int v;
    if (c == '_')
        v = 0;
    else if (c == '-')
        v = 1;
    else if (c >= 'a')
        v = c - 'a' + 38;
    else if (c >= 'A')
        v = c - 'A' + 12;
    else
        v = c - '0' + 2;
    v %= 64;
    if (v < 0) v += 64;
    return v;
}

std::string ZARNCore::Char64x4(int value) {
    std::string out(4, '_');
    for (int k = 0; k < 4; k++) {
        out[size_t(k)] = Char64(value & 63);
        value >>= 6;
    }
    return out;
}

// Missing characters count as 0.
int ZARNCore::Int64x4(const std::string& chars) {
    int value = 0;
    for (int k = 3; k >= 0; k--) {
        int digit = size_t(k) < chars.size() ? Int64(chars[size_t(k)]) : 0;
        value = value * 64 + digit;
    }
    return value;
}
