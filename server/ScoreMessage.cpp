#include "ScoreMessage.h"

#include <cstring>

#include "Scrambler.h"

namespace {

const char Prefix[] = "/Scores.php?Game=";
const char ScoreKey[] = "&Score=";

// The escape letters of the client, in the order A..U (N and O unused).
char Escaped(char code) {
    switch (code) {
    case 'A': return '&';
    case 'B': return '\\';
    case 'C': return '\'';
    case 'D': return '`';
    case 'E': return '"';
    case 'F': return '/';
    case 'G': return '>';
    case 'H': return '#';
    case 'I': return '^';
    case 'J': return '{';
    case 'K': return '}';
    case 'L': return '<';
    case 'M': return '|';
    case 'P': return '%';
    case 'Q': return '?';
    case 'R': return '+';
    case 'S': return '$';
    case 'T': return ',';
    case 'U': return ' ';
    default: return 0;
    }
}

bool AllDigits(const std::string& s, std::size_t minLen, std::size_t maxLen) {
    if (s.size() < minLen || s.size() > maxLen) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

std::vector<std::string> Fields(const std::string& text) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (;;) {
        std::size_t brace = text.find('{', start);
        if (brace == std::string::npos) {
            out.push_back(text.substr(start));
            return out;
        }
        out.push_back(text.substr(start, brace - start));
        start = brace + 1;
    }
}

bool NameChar(char c) {
    return c == ' ' || c == '-' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool Fail(std::string& reason, const char* why) {
    reason = why;
    return false;
}

}  // namespace

bool ValidUser(const std::string& user) {
    if (user.empty() || user.size() > 18) return false;
    for (char c : user)
        if (c < 'A' || c > 'Z') return false;
    return true;
}

bool ValidName(const std::string& name) {
    if (name.empty() || name.size() > 12) return false;
    bool visible = false;
    for (char c : name) {
        if (!NameChar(c)) return false;
        visible = visible || c != ' ';
    }
    return visible;
}

bool Unescape(const std::string& text, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < text.size(); i++) {
        char c = text[i];
        if (c == '*' && i + 4 < text.size() && text[i + 1] == '!' && text[i + 3] == '!' && text[i + 4] == '*') {
            char plain = Escaped(text[i + 2]);
            if (plain) {
                out += plain;
                i += 4;
                continue;
            }
        }
        // The scrambled text uses codes 32-123 only, and the client escapes
        // the ones a URL cannot carry.
        unsigned char u = static_cast<unsigned char>(c);
        if (u <= 32 || u > 123 || std::strchr("&\\'`\"/>#^{}<|%?+$,", c)) return false;
        out += c;
    }
    return true;
}

bool ParseScoreRequest(const std::string& target, ScoreMessage& out, std::string& reason) {
    const std::size_t prefixLen = sizeof Prefix - 1;
    if (target.compare(0, prefixLen, Prefix) != 0) return Fail(reason, "not a score request");
    std::size_t key = target.find(ScoreKey, prefixLen);
    if (key == std::string::npos) return Fail(reason, "no score");
    std::string game = target.substr(prefixLen, key - prefixLen);
    if (!AllDigits(game, 4, 4) || std::stoi(game) != ServerGameNumber) return Fail(reason, "wrong game");

    std::string scrambled;
    if (!Unescape(target.substr(key + sizeof ScoreKey - 1), scrambled)) return Fail(reason, "bad escapes");
    char table[ScrambleTableSize] = {};
    DeriveScrambleTable(ServerKeyword, ServerGameNumber, table);
    std::string text = UnscrambleWithTable(scrambled, table);

    // user{name{game{version{board{best{latest{ per board ZARN{
    std::vector<std::string> f = Fields(text);
    const std::size_t expected = 5 + 2 * ServerBoards + 2;
    if (f.size() != expected || !f.back().empty() || f[expected - 2] != "ZARN")
        return Fail(reason, "wrong field count");

    const std::string& user = f[0];
    if (!ValidUser(user)) return Fail(reason, "bad user ID");

    const std::string& name = f[1];
    if (name.size() != 12 || !ValidName(name)) return Fail(reason, "bad name");

    if (!AllDigits(f[2], 4, 4) || std::stoi(f[2]) != ServerGameNumber) return Fail(reason, "wrong game");
    if (!AllDigits(f[3], 4, 4) || !AllDigits(f[4], 4, 4)) return Fail(reason, "bad version");

    out.User = user;
    out.Name = name.substr(0, name.find_last_not_of(' ') + 1);
    out.Boards.clear();
    for (int b = 0; b < ServerBoards; b++) {
        const std::string& best = f[5 + 2 * b];
        const std::string& latest = f[6 + 2 * b];
        // Nine digits at most: no score the game can reach, and no overflow.
        if (!AllDigits(best, 1, 9) || !AllDigits(latest, 1, 9)) return Fail(reason, "bad score");
        out.Boards.push_back({std::stoi(best), std::stoi(latest)});
    }
    return true;
}
