// What the play step reads of the player's input in one update, after the
// bindings: four directions and the fast button. A direction is compared
// with two thresholds (a fresh press needs it above 0.5, the move repeat is
// cleared only below 0.4), so three levels tell everything play can see of
// an analogue stick; storing those levels rather than the raw values loses
// nothing a game's outcome depends on.
#pragma once

#include <cstdint>

// Directions, in the order every table by direction uses; None is no
// direction at all (a walker standing still).
namespace Dir {
enum : int { None = -1, Up, Right, Down, Left };
}

struct Controls {
    enum Level : std::uint8_t { AtRest, Between, Held };
    std::uint8_t Way[4] = {AtRest, AtRest, AtRest, AtRest};  // by Dir
    bool Fast = false;

    static Controls FromStick(float up, float right, float down, float left, float fast) {
        Controls c;
        const float v[4] = {up, right, down, left};
        for (int d = 0; d < 4; ++d) c.Way[d] = v[d] > 0.5f ? Held : v[d] < 0.4f ? AtRest : Between;
        c.Fast = fast > 0.4f;
        return c;
    }
    bool IsHeld(int dir) const { return Way[dir] == Held; }
    bool IsAtRest(int dir) const { return Way[dir] == AtRest; }

    // One byte for the journal: 3^4 direction levels times the button, 0-161.
    static constexpr int Codes = 162;
    std::uint8_t Code() const {
        return std::uint8_t((((Way[0] * 3 + Way[1]) * 3 + Way[2]) * 3 + Way[3]) * 2 + (Fast ? 1 : 0));
    }
    static Controls FromCode(std::uint8_t code) {
        Controls c;
        c.Fast = code % 2;
        int rest = code / 2;
        for (int d = 3; d >= 0; --d) {
            c.Way[d] = std::uint8_t(rest % 3);
            rest /= 3;
        }
        return c;
    }
};
