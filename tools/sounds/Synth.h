// Small synthesiser toolkit used to make every sound effect and song:
// oscillators, envelopes, filters, note voices, drums and a few buffer tools.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace snd {

constexpr double kPi = 3.14159265358979323846;
constexpr int kRate = 44100;

double midiToHz(double midi);
double dbToGain(double db);
double gainToDb(double gain);

// xorshift32: fixed seeds keep every build's output byte-identical.
class Rng {
public:
    explicit Rng(uint32_t seed) : state_(seed ? seed : 0x9E3779B9u) {}
    uint32_t nextU32();
    float uniform();                  // -1 .. 1
    float range(float lo, float hi);  // lo .. hi
private:
    uint32_t state_;
};

// Linear attack, exponential-ish decay to the sustain level, release after the hold.
struct Adsr {
    double attack = 0.005;
    double decay = 0.1;
    double sustain = 1.0;
    double release = 0.05;
    double at(double t, double hold) const;
    double length(double hold) const { return hold + release; }
};

inline Adsr envelope(double attack, double decay, double sustain, double release) {
    Adsr e;
    e.attack = attack;
    e.decay = decay;
    e.sustain = sustain;
    e.release = release;
    return e;
}

enum class Wave { Sine, Triangle, Saw, Square, Pulse, Noise };

// Phase-accumulating oscillator; saw and pulse edges are smoothed with polyBLEP
// so the high notes do not alias into audible whistles.
class Osc {
public:
    explicit Osc(Wave wave, double pulseWidth = 0.5, double phase = 0.0);
    float next(double hz, Rng& rng);
private:
    Wave wave_;
    double width_;
    double phase_;
    float held_ = 0.f;   // sample-and-hold value for the noise wave
};

// Trapezoidal state-variable filter (stable under fast cutoff sweeps).
class Svf {
public:
    void set(double cutoffHz, double q);
    void process(float x);
    float low() const { return low_; }
    float band() const { return band_; }
    float high() const { return high_; }
private:
    double g_ = 0, k_ = 1, a1_ = 0, a2_ = 0, a3_ = 0;
    double ic1_ = 0, ic2_ = 0;
    float low_ = 0, band_ = 0, high_ = 0;
};

// Two-channel float buffer. Renderers write into it modulo its length, so a note
// that rings past the end of a song wraps around onto its start: that is what
// makes the songs loop without a seam.
struct Stereo {
    std::vector<float> l, r;
    explicit Stereo(size_t frames = 0) : l(frames, 0.f), r(frames, 0.f) {}
    size_t size() const { return l.size(); }
    void add(size_t i, float left, float right) {
        i %= l.size();
        l[i] += left;
        r[i] += right;
    }
    void clear();
    void mixFrom(const Stereo& src, float gain);
    float peak() const;
    double rms() const;
    void scale(float gain);
};

// One melodic voice: subtractive (oscillators through a filter) or two-operator FM.
struct Patch {
    Wave wave = Wave::Saw;
    double pulseWidth = 0.5;
    int unison = 1;              // detuned copies spread across the stereo field
    double detuneCents = 0;
    double width = 0;            // stereo spread of the unison copies, 0..1
    double subLevel = 0;         // sine one octave down
    double noiseLevel = 0;
    double fmRatio = 0;          // > 0 turns the voice into a sine carrier with a sine modulator
    double fmIndex = 0;
    double fmIndexEnd = 0;       // the index decays from fmIndex toward this
    double fmDecay = 0.3;        // seconds
    Adsr amp;
    bool filter = false;
    double cutoff = 2000;        // Hz at velocity 1
    double q = 0.7;
    double envOctaves = 0;       // filter envelope depth
    double keyTrack = 0;         // 1: cutoff follows the note pitch
    Adsr filterEnv;
    double vibratoDepth = 0;     // semitones
    double vibratoRate = 5.5;
    double vibratoDelay = 0.2;
    double glide = 0;            // start this many semitones off and slide in
    double glideTime = 0.03;
    double pitchDrop = 0;        // semitones fallen over the note (for sighs and chirps)
    double gain = 1;
};

// Renders one note starting at `start` (in frames) held for `hold` seconds.
void renderNote(Stereo& out, size_t start, double hold, double midi, float velocity,
                float pan, const Patch& patch, Rng& rng);

// Drum voices, all written at `start` with the given velocity and pan.
struct DrumKit {
    double kickHigh = 150, kickLow = 48, kickDecay = 0.35, kickClick = 0.3;
    double snareTone = 190, snareDecay = 0.16, snareNoise = 0.8;
    double hatCutoff = 7500;
    bool chiptune = false;       // coarse, sample-and-hold noise like an old sound chip
};
void kick(Stereo& out, size_t start, float vel, float pan, const DrumKit& kit, Rng& rng);
void snare(Stereo& out, size_t start, float vel, float pan, const DrumKit& kit, Rng& rng);
void clap(Stereo& out, size_t start, float vel, float pan, Rng& rng);
void hat(Stereo& out, size_t start, float vel, float pan, double decay, const DrumKit& kit, Rng& rng);
void shaker(Stereo& out, size_t start, float vel, float pan, Rng& rng);
void tom(Stereo& out, size_t start, float vel, float pan, double hz, Rng& rng);
void rim(Stereo& out, size_t start, float vel, float pan, Rng& rng);

// Effects that treat the buffer as one period of an endless loop: they run two
// laps and keep the second, so their tails at the end carry over into the start.
void pingPongDelayLoop(const Stereo& in, Stereo& out, size_t delayFrames, float feedback,
                       double toneHz);
void reverbLoop(const Stereo& in, Stereo& out, double roomSize, double damping, double width);
void dcBlockLoop(Stereo& buf);
// Look-ahead peak limiter: no sample above `ceiling` afterwards.
void limitLoop(Stereo& buf, float ceiling, double releaseSec);

}  // namespace snd
