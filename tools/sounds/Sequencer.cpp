#include "Sequencer.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace snd {

struct Song::Part {
    Patch patch;
    DrumKit kit;
    bool drums = false;
    float gain = 1, pan = 0, delaySend = 0, reverbSend = 0, duck = 0;
    double legato = 0.92;
    Stereo dry;
};

namespace {

std::vector<std::string> tokens(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> out;
    for (std::string t; in >> t;) out.push_back(t);
    return out;
}

[[noreturn]] void badPattern(const std::string& what) {
    std::fprintf(stderr, "make_sounds: bad pattern token '%s'\n", what.c_str());
    std::exit(1);
}

double noteNumber(const std::string& name) {
    static const int pitchClass[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    if (name.empty() || name[0] < 'A' || name[0] > 'G') badPattern(name);
    int pc = pitchClass[name[0] - 'A'];
    size_t i = 1;
    if (i < name.size() && (name[i] == '#' || name[i] == 'b')) {
        pc += name[i] == '#' ? 1 : -1;
        ++i;
    }
    if (i >= name.size() || !std::isdigit(static_cast<unsigned char>(name[i]))) badPattern(name);
    int octave = std::atoi(name.c_str() + i);
    return 12.0 * (octave + 1) + pc;
}

// "F3+A3+C4!" -> notes and a velocity factor.
std::vector<double> chordNotes(std::string token, float* accent = nullptr) {
    float factor = 1.f;
    if (!token.empty() && (token.back() == '!' || token.back() == '?')) {
        factor = token.back() == '!' ? 1.25f : 0.6f;
        token.pop_back();
    }
    if (accent) *accent = factor;
    std::vector<double> notes;
    size_t from = 0;
    while (from <= token.size()) {
        size_t plus = token.find('+', from);
        if (plus == std::string::npos) plus = token.size();
        notes.push_back(noteNumber(token.substr(from, plus - from)));
        from = plus + 1;
    }
    return notes;
}

}  // namespace

Song::Song(double bpm, int bars, uint32_t seed)
    : stepFrames_(kRate * 60.0 / (bpm * 4.0)),
      frames_(size_t(std::llround(bars * 16 * stepFrames_))),
      rng_(seed),
      kickDip_(frames_, 0.f) {}

Song::~Song() = default;

size_t Song::frameAt(double step) const { return size_t(std::llround(step * stepFrames_)) % frames_; }

int Song::part(const Patch& patch, float gain, float pan, float delaySend, float reverbSend, float duck,
               double legato) {
    auto p = std::make_unique<Part>();
    p->patch = patch;
    p->gain = gain;
    p->pan = pan;
    p->delaySend = delaySend;
    p->reverbSend = reverbSend;
    p->duck = duck;
    p->legato = legato;
    p->dry = Stereo(frames_);
    parts_.push_back(std::move(p));
    return int(parts_.size()) - 1;
}

int Song::drumPart(const DrumKit& kit, float gain, float delaySend, float reverbSend) {
    int id = part(Patch{}, gain, 0.f, delaySend, reverbSend);
    parts_[id]->kit = kit;
    parts_[id]->drums = true;
    return id;
}

void Song::play(int id, double step, double steps, const std::vector<double>& notes, float velocity) {
    Part& p = *parts_.at(id);
    const double hold = steps * stepFrames_ / kRate * p.legato;
    for (double n : notes) {
        // A slight, repeatable spread in velocity keeps repeated notes from sounding stamped.
        float v = std::clamp(velocity * (1.f + 0.05f * rng_.uniform()), 0.f, 1.f);
        renderNote(p.dry, frameAt(step), hold, n, v, p.pan, p.patch, rng_);
    }
}

void Song::line(int id, int bar, const std::string& text, int stepsPer, int transpose, float velocity) {
    std::vector<double> held;
    float heldVel = 0;
    double heldStart = 0, heldLen = 0;
    auto flush = [&] {
        if (!held.empty()) play(id, heldStart, heldLen, held, heldVel);
        held.clear();
    };
    double step = bar * 16.0;
    for (const std::string& t : tokens(text)) {
        if (t == "-") {
            heldLen += stepsPer;
        } else {
            flush();
            if (t != ".") {
                float accent;
                held = chordNotes(t, &accent);
                for (double& n : held) n += transpose;
                heldVel = std::min(1.f, velocity * accent);
                heldStart = step;
                heldLen = stepsPer;
            }
        }
        step += stepsPer;
    }
    flush();
}

void Song::comp(int id, int bar, const std::string& chord, const std::string& rhythm, int fromStep,
                float velocity) {
    const std::vector<double> notes = chordNotes(chord);
    double start = -1, len = 0;
    float vel = 0;
    double step = bar * 16.0 + fromStep;
    auto flush = [&] {
        if (start >= 0) play(id, start, len, notes, vel);
        start = -1;
    };
    for (char c : rhythm) {
        if (c == '-') {
            len += 1;
        } else {
            flush();
            if (c != '.') {
                start = step;
                len = 1;
                vel = velocity * (c == 'X' ? 1.25f : c == 'o' ? 0.6f : 1.f);
            }
        }
        step += 1;
    }
    flush();
}

void Song::arp(int id, int bar, const std::string& chord, const std::string& order, int stepsPer,
               float velocity) {
    const std::vector<double> notes = chordNotes(chord);
    double step = bar * 16.0;
    for (const std::string& t : tokens(order)) {
        if (t != ".") {
            size_t index = size_t(std::atoi(t.c_str()));
            if (index >= notes.size()) badPattern(t);
            play(id, step, stepsPer, {notes[index]}, velocity);
        }
        step += stepsPer;
    }
}

void Song::beat(int id, int bar, Drum drum, const std::string& hits) {
    Part& p = *parts_.at(id);
    double step = bar * 16.0;
    for (char c : hits) {
        if (c != '.') {
            float vel = (c == 'X' ? 1.0f : c == 'o' ? 0.45f : 0.8f) * (1.f + 0.04f * rng_.uniform());
            size_t at = frameAt(step);
            switch (drum) {
                case Drum::Kick: {
                    kick(p.dry, at, vel, 0.f, p.kit, rng_);
                    // Remember the kick so ducked parts can make room for it.
                    const size_t len = size_t(0.25 * kRate);
                    for (size_t i = 0; i < len; ++i) {
                        float d = float(std::min(1.0, i / (0.004 * kRate)) * std::exp(-double(i) / (0.09 * kRate)));
                        float& slot = kickDip_[(at + i) % frames_];
                        slot = std::max(slot, d * vel);
                    }
                    break;
                }
                case Drum::Snare: snare(p.dry, at, vel, -0.05f, p.kit, rng_); break;
                case Drum::Clap: clap(p.dry, at, vel, 0.05f, rng_); break;
                case Drum::HatClosed: hat(p.dry, at, vel * 0.5f, 0.3f, 0.045, p.kit, rng_); break;
                case Drum::HatOpen: hat(p.dry, at, vel * 0.45f, 0.3f, 0.28, p.kit, rng_); break;
                case Drum::Crash: hat(p.dry, at, vel * 0.4f, -0.25f, 1.4, p.kit, rng_); break;
                case Drum::Shaker: shaker(p.dry, at, vel * 0.5f, -0.35f, rng_); break;
                case Drum::Rim: rim(p.dry, at, vel * 0.6f, 0.2f, rng_); break;
                case Drum::TomHigh: tom(p.dry, at, vel, 0.3f, 196, rng_); break;
                case Drum::TomMid: tom(p.dry, at, vel, 0.0f, 147, rng_); break;
                case Drum::TomLow: tom(p.dry, at, vel, -0.3f, 110, rng_); break;
            }
        }
        step += 1;
    }
}

Stereo Song::mixdown(double delaySteps, float delayFeedback, double roomSize, double rmsDb, double peakDb) {
    Stereo master(frames_), delayIn(frames_), reverbIn(frames_);
    for (auto& p : parts_) {
        if (p->duck > 0) {
            for (size_t i = 0; i < frames_; ++i) {
                float g = 1.f - p->duck * kickDip_[i];
                p->dry.l[i] *= g;
                p->dry.r[i] *= g;
            }
        }
        master.mixFrom(p->dry, p->gain);
        delayIn.mixFrom(p->dry, p->gain * p->delaySend);
        reverbIn.mixFrom(p->dry, p->gain * p->reverbSend);
        p->dry = Stereo();
    }
    Stereo echoes(frames_);
    pingPongDelayLoop(delayIn, echoes, size_t(std::llround(delaySteps * stepFrames_)), delayFeedback, 3500);
    master.mixFrom(echoes, 0.6f);
    reverbIn.mixFrom(echoes, 0.3f);
    Stereo room(frames_);
    reverbLoop(reverbIn, room, roomSize, 0.45, 1.0);
    master.mixFrom(room, 0.4f);

    // Mastering: level to the target loudness, then catch the peaks; repeat a few
    // times because limiting lowers the loudness a little each time.
    dcBlockLoop(master);
    const float ceiling = float(dbToGain(peakDb));
    for (int pass = 0; pass < 4; ++pass) {
        master.scale(float(dbToGain(rmsDb) / master.rms()));
        limitLoop(master, ceiling, 0.06);
    }
    master.scale(ceiling / master.peak());
    return master;
}

}  // namespace snd
