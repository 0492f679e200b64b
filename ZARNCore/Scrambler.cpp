#include "Scrambler.h"

#include <cstring>

void DeriveScrambleTable(const char* keyword, int gameNum, char table[ScrambleTableSize]) {
    int n = keyword ? int(std::strlen(keyword)) : 0;
    if (n == 0 || gameNum <= 0) return;
    for (int i = 0; i < ScrambleTableSize; i++) {
        int k = static_cast<signed char>(keyword[i % n]);
        // In 64 bits: a game number near the int limit must not overflow.
        table[i] = char((static_cast<long long>(k) + i + gameNum) % ScrambleAlphabet);
    }
}

// The shift runs on across the text, so a repeated table entry does not make
// the output repeat every 64 characters.
std::string ScrambleWithTable(const std::string& text, const char table[ScrambleTableSize]) {
    std::string out(text.size(), ' ');
    int shift = 0;
    for (size_t i = 0; i < text.size(); i++) {
        int v = static_cast<signed char>(text[i]) - 32;
        if (v < 0 || v >= ScrambleAlphabet) v = 0;
        shift = (shift + static_cast<signed char>(table[i % ScrambleTableSize])) % ScrambleAlphabet;
        out[i] = char((v + shift) % ScrambleAlphabet + 32);
    }
    return out;
}

std::string UnscrambleWithTable(const std::string& text, const char table[ScrambleTableSize]) {
    std::string out(text.size(), ' ');
    int shift = 0;
    for (size_t i = 0; i < text.size(); i++) {
        int v = static_cast<signed char>(text[i]) - 32;
        shift = (shift + static_cast<signed char>(table[i % ScrambleTableSize])) % ScrambleAlphabet;
        int plain = ((v - shift) % ScrambleAlphabet + ScrambleAlphabet) % ScrambleAlphabet;
        out[i] = char(plain + 32);
    }
    return out;
}
