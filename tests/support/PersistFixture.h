// A fixture for the settings, score and online tests: a fresh home folder,
// the game's number, title, keyword and board count as launch sets them, the
// factory settings and key bindings (the shared state, the score host
// included, is put back after every test, see SharedState.h).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/StateGuards.h"

class PersistTest : public ::testing::Test {
public:
    void SetUp() override;
    void TearDown() override;

    // Runs SaveBit until the save is done (at most 100 steps).
    void FinishSave();
    // The whole save sequence from a fresh request.
    void SaveAll();
    // Applies finished exchanges until no reply is outstanding (bounded).
    bool PumpUntilReplied(int maxMs = 20000);
    // Sets the online name cells from text (64-character alphabet).
    void SetName(const std::string& name);
    // Gives the player a user ID with its check value.
    void SetUser(int u1, int u2, int u3);

    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    std::vector<uint8_t> ReadBytes(const std::string& name) const;
    void WriteBytes(const std::string& name, const std::vector<uint8_t>& bytes) const;
    std::vector<int32_t> ReadInts(const std::string& name) const;
    void WriteInts(const std::string& name, const std::vector<int32_t>& ints) const;

    std::string dir_;
    static constexpr const char* ScoreFile = "Save_564_Gobbit.sav";
    static constexpr const char* SettingsFile = "Settings.sav";
};
