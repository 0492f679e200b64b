#include "play/PlayFeedback.h"

#include "shell/MyGame.h"

namespace {

// Countdown voice for the pellets still needed, or 0 for none.
int CountdownSound(int left) {
    switch (left) {
    case 20: return Sfx::Left20;
    case 10: return Sfx::Left10;
    case 5: return Sfx::Left5;
    case 4: return Sfx::Left4;
    case 3: return Sfx::Left3;
    case 2: return Sfx::Left2;
    case 1: return Sfx::Left1;
    case 0: return Sfx::TargetReached;
    default: return 0;
    }
}

}  // namespace

void PlayFeedback::MusicStart() {
    MyGame& g = ThisGame;
    int tune = int(g.Difficulty + g.Play.Level) % Music::Tunes + 1;
    if (tune < 1) tune = 1;
    g.PlayMusic(g.fstr(Music::TuneFile, tune));
}

void PlayFeedback::MusicStop() { ThisGame.StopMusic(); }

void PlayFeedback::Landing(float pitch) { ThisGame.PlaySFX(Sfx::Landing, pitch); }

void PlayFeedback::PelletsLeft(int left) {
    if (int sound = CountdownSound(left)) ThisGame.PlaySFX(sound);
}

void PlayFeedback::PowerItem() { ThisGame.PlaySFX(Sfx::PowerItem); }

void PlayFeedback::Chomp(int which, float pitch) { ThisGame.PlaySFX(Sfx::Chomp + which, pitch); }

void PlayFeedback::PopUp(int points, float x, float y) { ThisGame.PopUp(points, x, y, 60); }

void PlayFeedback::LevelDecided(bool won) {
    ThisGame.PlaySFX(won ? Sfx::LevelComplete : Sfx::LevelFailed, 1.0f);
}

void PlayFeedback::TargetSet() { ThisGame.LogLevel(); }

void PlayFeedback::Ended(int reason) {
    MyGame& g = ThisGame;
    g.EndBanner = reason;
    g.Scene.EndTimer = 0.0f;
    // The score here is the one the tables will record.
    g.Debuglog(g.fstr("Game ended by %s with score %i", reason == EndBy::Quitting ? "quitting" : "losing the last life",
                      int(g.Play.Score)));
}
