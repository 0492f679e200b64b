// A small step sequencer: parts play note patterns written as text, bar by bar,
// into one loop of whole bars; the mixdown adds delay and reverb and masters it.
//
// Pattern text, one token per step, separated by spaces:
//   "C4", "F#3", "Bb2"   a note; "F3+A3+C4" a chord; a trailing "!" accents, "?" softens
//   "-"                  holds the previous note one more step
//   "."                  rest
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Synth.h"

namespace snd {

enum class Drum { Kick, Snare, Clap, HatClosed, HatOpen, Crash, Shaker, Rim, TomHigh, TomMid, TomLow };

class Song {
public:
    Song(double bpm, int bars, uint32_t seed);
    ~Song();

    size_t frames() const { return frames_; }
    double seconds() const { return double(frames_) / kRate; }

    // A melodic part and its place in the mix. `duck` lowers it under each kick.
    int part(const Patch& patch, float gain, float pan, float delaySend, float reverbSend,
             float duck = 0.f, double legato = 0.92);
    int drumPart(const DrumKit& kit, float gain, float delaySend, float reverbSend);

    // A line of tokens, each `stepsPer` sixteenths long, from the start of `bar` (0-based).
    void line(int part, int bar, const std::string& text, int stepsPer = 2, int transpose = 0,
              float velocity = 0.8f);
    // The same chord in a rhythm of sixteenths: x hit, X accent, o soft, - hold, . rest.
    void comp(int part, int bar, const std::string& chord, const std::string& rhythm,
              int fromStep = 0, float velocity = 0.75f);
    // Broken chord: each token is an index into the chord's notes, or "." for a rest.
    void arp(int part, int bar, const std::string& chord, const std::string& order,
             int stepsPer = 1, float velocity = 0.7f);
    // Drum hits, one character per sixteenth: x normal, X accent, o ghost, . rest.
    void beat(int part, int bar, Drum drum, const std::string& hits);

    // Mixes every part with a ping-pong delay of `delaySteps` sixteenths and a reverb,
    // then masters to the given RMS and peak (dBFS). Parts are released afterwards.
    Stereo mixdown(double delaySteps, float delayFeedback, double roomSize, double rmsDb, double peakDb);

private:
    struct Part;
    void play(int part, double step, double steps, const std::vector<double>& notes, float velocity);
    size_t frameAt(double step) const;

    double stepFrames_;
    size_t frames_;
    Rng rng_;
    std::vector<std::unique_ptr<Part>> parts_;
    std::vector<float> kickDip_;
};

}  // namespace snd
