// Every built-in layout against the rules the level builder and the renderer
// rely on: the wall letters are drawn as stored, the hero-start and
// power-item searches only end if the layout leaves them room, and a layout
// with unreachable floor would hand out pellets nobody can eat.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "rules/LevelData.h"

namespace {

constexpr int W = 25, H = 15;

// One layout with wrap-around access.
class Layout {
public:
    explicit Layout(const char* text) : cells_(text ? text : "") {}

    const std::string& Text() const { return cells_; }
    // A short string reads as walls past its end, so the other checks still report.
    char At(int x, int y) const
    {
        const size_t i = size_t(Wrap(y, H) * W + Wrap(x, W));
        return i < cells_.size() ? cells_[i] : '\0';
    }
    bool Floor(int x, int y) const { return At(x, y) == 'Q'; }

    int FloorCount() const
    {
        int n = 0;
        for (int y = 0; y < H; y++)
            for (int x = 0; x < W; x++) n += Floor(x, y);
        return n;
    }

    // Rows the builder can start the hero on: it tries x = 12 + Rand(-2, 2),
    // y = Rand(1, 13) until it hits floor.
    std::vector<int> StartRows() const
    {
        std::vector<int> rows;
        for (int y = 1; y <= 13; y++)
            for (int x = 10; x <= 14; x++)
                if (Floor(x, y)) {
                    rows.push_back(y);
                    break;
                }
        return rows;
    }

private:
    static int Wrap(int v, int size) { return (v % size + size) % size; }
    std::string cells_;
};

// The wall pieces: which neighbours each letter says are walls.
struct Piece {
    char letter;
    bool above, right, below, left;
};
const Piece Pieces[16] = {
    {'A', false, true, true, true},   {'B', true, false, true, true},
    {'C', true, true, false, true},   {'D', true, true, true, false},
    {'E', false, false, true, true},  {'F', true, false, false, true},
    {'G', true, true, false, false},  {'H', false, true, true, false},
    {'I', false, true, false, true},  {'J', true, false, true, false},
    {'K', false, false, false, true}, {'L', true, false, false, false},
    {'M', false, true, false, false}, {'N', false, false, true, false},
    {'O', false, false, false, false}, {'P', true, true, true, true},
};

class LevelLayoutTest : public ::testing::TestWithParam<int> {
protected:
    LevelLayoutTest() : layout_(LevDat(GetParam())) {}
    int Number() const { return GetParam(); }
    Layout layout_;
};

TEST_P(LevelLayoutTest, Is375LettersFromAToQ)
{
    const std::string& text = layout_.Text();
    ASSERT_EQ(text.size(), 375u);
    for (size_t i = 0; i < text.size(); i++)
        ASSERT_TRUE(text[i] >= 'A' && text[i] <= 'Q')
            << "cell (" << i % W << ", " << i / W << ") is '" << text[i] << "'";
}

TEST_P(LevelLayoutTest, WallLettersMatchTheirWrappedNeighbours)
{
    ASSERT_EQ(layout_.Text().size(), 375u);
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++) {
            if (layout_.Floor(x, y)) continue;
            const bool above = !layout_.Floor(x, y - 1), right = !layout_.Floor(x + 1, y);
            const bool below = !layout_.Floor(x, y + 1), left = !layout_.Floor(x - 1, y);
            char expected = '?';
            for (const Piece& p : Pieces)
                if (p.above == above && p.right == right && p.below == below && p.left == left)
                    expected = p.letter;
            EXPECT_EQ(layout_.At(x, y), expected) << "wall at (" << x << ", " << y << ")";
        }
}

TEST_P(LevelLayoutTest, HoldsBetween170And184FloorCells)
{
    const int floor = layout_.FloorCount();
    EXPECT_GE(floor, 170);
    EXPECT_LE(floor, 184);
}

TEST_P(LevelLayoutTest, TunnelsOnlyInTheFirstEleven)
{
    int tunnels = 0;
    for (int y = 0; y < H; y++) tunnels += layout_.Floor(0, y) && layout_.Floor(W - 1, y);
    for (int x = 0; x < W; x++) tunnels += layout_.Floor(x, 0) && layout_.Floor(x, H - 1);
    if (Number() <= 11) {
        EXPECT_GE(tunnels, 1);
        EXPECT_LE(tunnels, 2);
    } else {
        EXPECT_EQ(tunnels, 0);
    }
}

// Every row of the start band offers floor, so the start row is truly random.
TEST_P(LevelLayoutTest, EveryStartRowHasFloorInColumns10To14)
{
    for (int y = 1; y <= 13; y++) {
        bool open = false;
        for (int x = 10; x <= 14; x++) open = open || layout_.Floor(x, y);
        EXPECT_TRUE(open) << "row " << y;
    }
}

// Power items go on pellet cells in columns 1-23, rows 1-13, three or more
// rows from the hero; two must fit whichever start row was drawn.
TEST_P(LevelLayoutTest, LeavesRoomForTwoPowerItemsFromAnyStart)
{
    const std::vector<int> rows = layout_.StartRows();
    ASSERT_FALSE(rows.empty());
    for (int start : rows) {
        int room = 0;
        for (int y = 1; y <= 13; y++)
            for (int x = 1; x <= 23; x++) room += std::abs(y - start) >= 3 && layout_.Floor(x, y);
        EXPECT_GE(room, 2) << "hero on row " << start;
    }
}

TEST_P(LevelLayoutTest, AllFloorIsReachableFromTheStartBand)
{
    const std::vector<int> rows = layout_.StartRows();
    ASSERT_FALSE(rows.empty());
    int sx = 10;
    while (!layout_.Floor(sx, rows[0])) sx++;

    bool seen[H][W] = {};
    std::vector<std::pair<int, int>> todo{{sx, rows[0]}};
    seen[rows[0]][sx] = true;
    while (!todo.empty()) {
        const auto [x, y] = todo.back();
        todo.pop_back();
        const int next[4][2] = {{x, y - 1}, {x + 1, y}, {x, y + 1}, {x - 1, y}};
        for (const auto& n : next) {
            const int nx = (n[0] + W) % W, ny = (n[1] + H) % H;
            if (layout_.Floor(nx, ny) && !seen[ny][nx]) {
                seen[ny][nx] = true;
                todo.push_back({nx, ny});
            }
        }
    }
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++)
            EXPECT_FALSE(layout_.Floor(x, y) && !seen[y][x]) << "floor at (" << x << ", " << y << ") is cut off";
}

INSTANTIATE_TEST_SUITE_P(AllLayouts, LevelLayoutTest, ::testing::Range(1, 14),
                         [](const ::testing::TestParamInfo<int>& p) {
                             return "Layout" + std::to_string(p.param);
                         });

// The builder asks for layout 0 whenever its index comes out at 0 mod 13.
TEST(LevelLayoutSelection, AnyOtherNumberSelectsTheThirteenth)
{
    const std::string thirteenth = LevDat(13);
    for (int n : {0, -1, 14, 1000})
        EXPECT_EQ(LevDat(n), thirteenth) << "LevDat(" << n << ")";
}

TEST(LevelLayoutSelection, TheThirteenLayoutsAreDistinct)
{
    for (int a = 1; a <= 13; a++)
        for (int b = a + 1; b <= 13; b++)
            EXPECT_STRNE(LevDat(a), LevDat(b)) << "layouts " << a << " and " << b;
}

}  // namespace
