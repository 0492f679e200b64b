// The local score boards, the score exchange with the server and the score
// panel of the difficulty menu.
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

#include "persist/OnlineScores.h"
#include "persist/SaveFormat.h"
#include "shell/MyGame.h"

#ifndef GOBBIT_SCORE_HOST
#define GOBBIT_SCORE_HOST "localhost"
#endif

const char* const NamePlaceholder = "Enter Your Name";

namespace {

std::string& HostSetting() {
    static std::string host = GOBBIT_SCORE_HOST;
    return host;
}

constexpr int BoardInts = 20;
constexpr int BoardFields = 22;   // reply fields per board
constexpr int NameChars = 12;
// Boards whose entries fit the tables (20 ints from 20 * board).
constexpr int MaxBoards = 22000 / BoardInts - 2;

int ClampBoards(int n) { return n < 0 ? 0 : (n > MaxBoards ? MaxBoards : n); }

// The integer part of a score, held within the int range.
int WholeScore(float s) {
    if (!(s > -2147483520.0f)) return s > 0 ? INT_MAX : INT_MIN;  // NaN lands here as INT_MIN
    if (s >= 2147483520.0f) return INT_MAX;
    return int(s);
}

}  // namespace

const char* ScoreHost() { return HostSetting().c_str(); }
void SetScoreHost(const char* host) { HostSetting() = host ? host : ""; }

std::vector<std::string> ReplyFields(const std::string& data, std::size_t maxFields) {
    std::vector<std::string> fields(1);
    if (data.empty()) return fields;
    std::size_t start = 0;
    for (std::size_t i = 0; i + 1 < data.size(); i++) {
        if (data[i] != '{') continue;
        fields.push_back(data.substr(start, i - start));
        start = i + 1;
        if (fields.size() > maxFields) return fields;
    }
    fields.push_back(data.substr(start));
    return fields;
}

int ScoreValue(const std::string& field) {
    std::size_t i = 0;
    while (i < field.size() && (field[i] == ' ' || field[i] == '\t' || field[i] == '\r' || field[i] == '\n')) i++;
    bool negative = false;
    if (i < field.size() && (field[i] == '+' || field[i] == '-')) negative = field[i++] == '-';
    long long v = 0;
    for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; i++) {
        v = v * 10 + (field[i] - '0');
        if (v > 1LL + INT_MAX) v = 1LL + INT_MAX;
    }
    if (negative) v = -v;
    if (v > INT_MAX) v = INT_MAX;
    if (v < INT_MIN) v = INT_MIN;
    return int(v);
}

std::string ScoreMessageText(const std::string& user, const std::string& name, int gameNum, int version, int board,
                             const int* scores, int boards) {
    std::string message = user + "{" + name + "{";
    char field[64];
    std::snprintf(field, sizeof field, "%04d{%04d{%04d{", gameNum, version, board);
    message += field;
    for (int b = 1; b <= boards; b++) {
        int best = scores[BoardInts * b];
        int latest = scores[BoardInts * b + 5];
        if (latest == 0 && best > 0) latest = 1;
        std::snprintf(field, sizeof field, "%d{%d{", best, latest);
        message += field;
    }
    return message + "ZARN{";
}

std::string MyGame::ShowName() {
    std::string name;
    bool any = false;
    for (int i = 0; i < NameCells; i++) {
        int code = NameCell(Settings, i);
        any = any || code != 0;
        name += Char64b(code);
    }
    return any ? name : NamePlaceholder;
}

void MyGame::HandleDefaultScoreboards() {
    int b = Settings[Setting::LastDifficulty];
    if (b < 1 || b > ClampBoards(BoardCount)) return;
    int* board = Scores + BoardInts * b;
    int whole = WholeScore(Play.Score);
    bool newBest = false;
    for (int k = 0; k < 5; k++) {
        if (float(board[k]) < Play.Score) {
            for (int r = 4; r > k; r--) board[r] = board[r - 1];
            board[k] = whole;
            newBest = k == 0;
            break;
        }
    }
    KeepJournals(b, newBest);
    if (newBest) SendScores(0);
    for (int r = 9; r > 5; r--) board[r] = board[r - 1];
    board[5] = whole;
}

void MyGame::SendScores(int board) {
    Online.NetValid = 0;
    std::string name = ShowName();
    if (name == NamePlaceholder) return;

    std::string user;
    for (char c : SixDigitString(Settings[Setting::UserIdDate], Settings[Setting::UserIdTime],
                                 Settings[Setting::UserIdRandom]))
        if (c != ' ') user += c;
    std::string message = ScoreMessageText(user, name, GameNum, GameVersion, board, Scores, ClampBoards(BoardCount));
    std::string scrambled = ScrambleTxt(message);
    Debuglog("Sending Highscores");

    // The journals of bests not yet verified go first, so the reply to the
    // message already ranks them.
    SendUnsentJournals(user, name);
    char path[64];
    std::snprintf(path, sizeof path, "Scores.php?Game=%04d&Score=", GameNum);
    // The exchange runs on the network worker; PumpOnline reads the reply.
    RequestURL(ScoreHost(), path, scrambled.c_str());
    Online.NetWaiting = 1;
}

void MyGame::PumpOnline() {
    int board = 0, status = 0;
    std::string sent;
    while (UploadReply(board, status, sent)) JournalAnswered(board, status, sent);
    std::string reply;
    while (URLReply(reply)) {
        // The name was cleared while the reply was on its way: the player
        // no longer takes part online, so the online page stays away.
        if (reply.size() <= 10 || ShowName() == NamePlaceholder) continue;
        int boards = ClampBoards(BoardCount);
        std::vector<std::string> f = ReplyFields(reply, std::size_t(BoardFields) * boards + 1);
        auto at = [&f](std::size_t k) -> const std::string& {
            static const std::string missing = MissingField;
            return k < f.size() ? f[k] : missing;
        };
        for (int b = 0; b < boards; b++) {
            std::size_t base = std::size_t(BoardFields) * b;
            if (at(base + 1) != "OnlineScores") continue;
            Online.NetValid = 1;
            for (int r = 0; r < 5; r++) {
                int entry = BoardInts * (b + 1) + r;
                std::memset(NetNames[entry], 0, sizeof NetNames[entry]);
                const std::string& n = at(base + 4 * r + 3);
                std::memcpy(NetNames[entry], n.data(), n.size() < NameChars ? n.size() : NameChars);
                NetScores[entry] = ScoreValue(at(base + 4 * r + 4));
            }
        }
    }
    if (Online.NetWaiting) Online.NetWaiting = URLPending();
}

void MyGame::DisplayScoreboard() {
    Screen.ScoreTimer += 1;
    if (Screen.ScoreTimer < 0 || Screen.ScoreTimer > 300) {
        Screen.ScoreTimer = 0;
        Screen.ScorePage += 1;
    }
    if (Screen.ScoreTimer < 30) Screen.ScoreSlide -= 16;
    if (Screen.ScoreTimer > 270) Screen.ScoreSlide += 16;
    if (Screen.ScoreSlide < -180) Screen.ScoreSlide = -180;
    if (Screen.ScoreSlide > 64) Screen.ScoreSlide = 64;

    float px = float(Screen.ScoreSlide) + ScreenW + 90 - 8;
    if (Settings[Setting::ReduceMotion] == 1) px = ScreenW + 90 - 8 - 180;
    float cy = ScreenH / 2;

    ResetDraw();
    SetCol(0, 0, 0, 0.5f);
    Rect(px, cy, 180, 360);

    if (Screen.ScorePage > 2) Screen.ScorePage = 0;
    if (Screen.ScorePage == 2 && Online.NetValid == 0) Screen.ScorePage = 0;

    int b = Settings[Setting::LastDifficulty];
    if (b >= 1 && b <= MaxBoards) {
        const int* board = Scores + BoardInts * b;
        SetCol(255, 255, 255, 1);
        SetSize(1);
        static const char* const Headings[3] = {"Top 5", "Last 5", "Top Online"};
        Text(px, cy - 170, Headings[Screen.ScorePage], 1);
        float wx = 4 * Sin(Mills() * 0.25f), wy = -3 * Cos(Mills() * 0.4f);
        char score[32];
        for (int r = 0; r < 5; r++) {
            float y = cy - 139.5f + 67 * r;
            float dx = 0, dy = 0;
            int value;
            if (Screen.ScorePage == 0) {
                value = board[r];
                if (value == board[5] && value > 0) dx = wx, dy = wy;
            } else if (Screen.ScorePage == 1) {
                value = board[5 + r];
            } else {
                int entry = BoardInts * b + r;
                value = NetScores[entry];
                if (value == board[0] && NetScores[BoardInts * b] > 0) dx = wx, dy = wy;
                SetSize(0.75f);
                char name[NameChars + 1] = {};
                std::memcpy(name, NetNames[entry], NameChars);
                Text(px - 90 + 8 + dx, y + dy, name, 0);
            }
            std::snprintf(score, sizeof score, "%08d", value);
            Text(px + 90 + dx, y + 30 + dy, score, 2);
        }
    }
    ResetDraw();

    // A tap or the skip button moves on: the panel slides out and the next
    // page follows. Held, it counts once.
    if (KeyLock[Lock::ScorePage] == 0 && (PointerDown > 0 || Joy(Pad::Button4) > 0.5f)) {
        KeyLock[Lock::ScorePage] = 1;
        Screen.ScoreTimer = 270;
    }
    if (Joy(Pad::Button4) < 0.3f && PointerDown == 0) KeyLock[Lock::ScorePage] = 0;
}
