// What the player sees and hears of the rules' events: sounds, the level's
// tune, the score pop-ups, the log line of each level and the end banner.
#pragma once

#include "rules/Match.h"

class PlayFeedback : public MatchEvents {
public:
    void MusicStart() override;
    void MusicStop() override;
    void Landing(float pitch) override;
    void PelletsLeft(int left) override;
    void PowerItem() override;
    void Chomp(int which, float pitch) override;
    void PopUp(int points, float x, float y) override;
    void LevelDecided(bool won) override;
    void TargetSet() override;
    void Ended(int reason) override;
};
