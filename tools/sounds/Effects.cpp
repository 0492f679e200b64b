// The sound effects. The game plays most of them at a random pitch of +-20 %,
// so each is short and tonal, and built from whole intervals that survive a shift.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

#include "Assets.h"
#include "Synth.h"
#include "Wav.h"

namespace snd {

namespace {

// A mono effect under construction; rendered in stereo at the centre, then folded.
class Effect {
public:
    explicit Effect(uint32_t seed) : buf_(size_t(4.0 * kRate)), rng_(seed) {}

    void note(double at, double hold, double midi, float vel, const Patch& patch) {
        renderNote(buf_, frame(at), hold, midi, vel, 0.f, patch, rng_);
    }
    void thud(double at, float vel, const DrumKit& kit) { kick(buf_, frame(at), vel, 0.f, kit, rng_); }
    Rng& rng() { return rng_; }
    Stereo& buffer() { return buf_; }

    // A touch of room for the jingles; the buffer is long enough that the tail never wraps.
    void addRoom(float amount, double size) {
        Stereo wet(buf_.size());
        reverbLoop(buf_, wet, size, 0.5, 0.0);
        buf_.mixFrom(wet, amount);
    }

    // Folds to mono, trims the silent tail, fades the last few ms and sets the peak.
    std::vector<float> finish(double peakDb) const {
        std::vector<float> mono(buf_.size());
        for (size_t i = 0; i < mono.size(); ++i) mono[i] = buf_.l[i] + buf_.r[i];
        float peak = 0;
        for (float s : mono) peak = std::max(peak, std::fabs(s));
        size_t end = mono.size();
        while (end > 0 && std::fabs(mono[end - 1]) < peak * 0.001f) --end;
        mono.resize(end);
        const size_t fade = std::min<size_t>(end / 8, kRate / 25);
        for (size_t i = 0; i < fade; ++i) mono[end - 1 - i] *= float(i) / fade;
        const float gain = peak > 0 ? float(dbToGain(peakDb)) / peak : 0.f;
        for (float& s : mono) s *= gain;
        return mono;
    }

private:
    static size_t frame(double seconds) { return size_t(std::lround(seconds * kRate)); }
    Stereo buf_;
    Rng rng_;
};

// A clear glockenspiel-like chime: sine carrier, modulator two octaves up.
Patch chime(double brightness) {
    Patch p;
    p.fmRatio = 4.0;
    p.fmIndex = 0.6 + 1.6 * brightness;
    p.fmIndexEnd = 0.1;
    p.fmDecay = 0.06;
    p.amp = envelope(0.002, 0.45, 0.0, 0.12);
    return p;
}

// Warm electric-piano tone for the jingles.
Patch epiano() {
    Patch p;
    p.fmRatio = 1.0;
    p.fmIndex = 1.8;
    p.fmIndexEnd = 0.3;
    p.fmDecay = 0.25;
    p.amp = envelope(0.003, 1.2, 0.25, 0.3);
    return p;
}

// Soft square blip for the interface sounds.
Patch blip() {
    Patch p;
    p.wave = Wave::Square;
    p.filter = true;
    p.cutoff = 1800;
    p.q = 0.8;
    p.keyTrack = 0.6;
    p.envOctaves = 1.2;
    p.filterEnv = envelope(0.001, 0.06, 0.0, 0.02);
    p.amp = envelope(0.002, 0.08, 0.3, 0.04);
    return p;
}

// Round brass-like saw pair for the fanfares.
Patch brass() {
    Patch p;
    p.wave = Wave::Saw;
    p.unison = 2;
    p.detuneCents = 7;
    p.filter = true;
    p.cutoff = 900;
    p.q = 0.9;
    p.keyTrack = 0.5;
    p.envOctaves = 1.8;
    p.filterEnv = envelope(0.025, 0.25, 0.35, 0.15);
    p.amp = envelope(0.015, 0.2, 0.75, 0.12);
    return p;
}

// Mouth-like "nom": a rounded tone that falls into place, with a soft lip click.
std::vector<float> chomp(double midi, double glide, Wave wave, uint32_t seed) {
    Effect fx(seed);
    Patch p;
    p.wave = wave;
    p.subLevel = 0.25;
    p.glide = glide;
    p.glideTime = 0.012;
    p.pitchDrop = 4;
    p.filter = true;
    p.cutoff = 2400;
    p.q = 0.6;
    p.amp = envelope(0.003, 0.05, 0.25, 0.03);
    fx.note(0.0, 0.045, midi, 1.0f, p);
    Patch click;
    click.wave = Wave::Noise;
    click.filter = true;
    click.cutoff = 3000;
    click.amp = envelope(0.0005, 0.004, 0.0, 0.004);
    fx.note(0.0, 0.004, 100, 0.25f, click);  // the noise source ignores the pitch
    return fx.finish(-6.0);
}

std::vector<float> powerItem() {
    Effect fx(101);
    Patch arp = blip();
    arp.wave = Wave::Pulse;
    arp.pulseWidth = 0.25;
    const double rise[] = {60, 64, 67, 72, 76, 79, 84, 88};
    for (int i = 0; i < 8; ++i) fx.note(i * 0.04, 0.05, rise[i], 0.55f + 0.05f * i, arp);
    Patch sweep;
    sweep.wave = Wave::Saw;
    sweep.filter = true;
    sweep.cutoff = 300;
    sweep.q = 2.5;
    sweep.envOctaves = 3.5;
    sweep.filterEnv = envelope(0.3, 0.2, 0.0, 0.1);
    sweep.amp = envelope(0.05, 0.25, 0.4, 0.15);
    fx.note(0.0, 0.3, 48, 0.35f, sweep);
    for (double m : {84.0, 91.0, 96.0}) fx.note(0.33, 0.05, m, 0.5f, chime(0.7));
    fx.addRoom(0.15f, 0.4);
    return fx.finish(-3.0);
}

std::vector<float> levelComplete() {
    Effect fx(102);
    struct Step { double at, hold, midi; };
    const Step tune[] = {{0.00, 0.08, 67}, {0.10, 0.08, 72}, {0.20, 0.08, 76}, {0.30, 0.16, 79},
                         {0.50, 0.08, 76}, {0.60, 0.08, 79}, {0.72, 0.55, 84}};
    for (const Step& s : tune) {
        fx.note(s.at, s.hold, s.midi, 0.8f, brass());
        fx.note(s.at, s.hold, s.midi + 12, 0.25f, chime(0.3));
    }
    Patch chord = brass();
    chord.vibratoDepth = 0.12;
    chord.vibratoDelay = 0.15;
    for (double m : {60.0, 64.0, 67.0}) fx.note(0.72, 0.55, m, 0.5f, chord);
    fx.addRoom(0.2f, 0.5);
    return fx.finish(-3.0);
}

std::vector<float> levelFailed() {
    Effect fx(103);
    Patch wah = brass();
    wah.unison = 1;
    wah.cutoff = 500;
    wah.envOctaves = 2.2;
    wah.filterEnv = envelope(0.08, 0.2, 0.2, 0.1);
    wah.amp = envelope(0.02, 0.2, 0.8, 0.08);
    const double fall[] = {67, 66, 65};
    for (int i = 0; i < 3; ++i) fx.note(i * 0.27, 0.2, fall[i], 0.8f, wah);
    Patch last = wah;
    last.vibratoDepth = 0.35;
    last.vibratoRate = 6;
    last.vibratoDelay = 0.15;
    last.pitchDrop = 1.5;
    last.amp.release = 0.25;
    fx.note(0.81, 0.6, 64, 0.85f, last);
    fx.addRoom(0.12f, 0.4);
    return fx.finish(-5.5);  // held brass sounds louder than the chimes at the same peak
}

std::vector<float> landing() {
    Effect fx(106);
    DrumKit kit;
    kit.kickHigh = 260;
    kit.kickLow = 120;
    kit.kickDecay = 0.05;
    kit.kickClick = 0.15;
    fx.thud(0.0, 1.0f, kit);
    return fx.finish(-9.0);
}

// Countdown calls: a C major arpeggio that climbs with every call and gets brighter;
// from five left each call gets a grace note a fourth below, so it is heard as a step up.
std::vector<float> countdown(int step) {
    static const double target[] = {67, 72, 76, 79, 84, 88, 91};
    Effect fx(110 + uint32_t(step));
    const double brightness = step / 6.0;
    const double midi = target[step];
    double at = 0;
    if (step >= 2) {
        fx.note(0.0, 0.02, midi - 5, 0.55f, chime(brightness));
        at = 0.045;
    }
    fx.note(at, 0.06, midi, 1.0f, chime(brightness));
    Patch body = blip();
    body.wave = Wave::Triangle;
    fx.note(at, 0.05, midi - 12, 0.35f, body);
    return fx.finish(step < 2 ? -5.0 : -3.0);
}

std::vector<float> countdownDone() {
    Effect fx(118);
    const double run[] = {72, 76, 79, 84, 88};
    for (int i = 0; i < 5; ++i) fx.note(i * 0.05, 0.04, run[i], 0.7f, chime(0.8));
    for (double m : {84.0, 88.0, 91.0, 96.0}) fx.note(0.25, 0.3, m, 0.55f, chime(1.0));
    Patch pad = brass();
    pad.amp = envelope(0.01, 0.3, 0.5, 0.25);
    for (double m : {60.0, 67.0, 72.0}) fx.note(0.25, 0.3, m, 0.4f, pad);
    fx.addRoom(0.18f, 0.5);
    return fx.finish(-3.0);
}

std::vector<float> startJingle() {
    Effect fx(195);
    const double motif[] = {67, 72, 76, 79};
    for (int i = 0; i < 4; ++i) fx.note(i * 0.11, 0.1, motif[i], 0.75f, epiano());
    for (double m : {60.0, 64.0, 67.0, 71.0, 74.0}) fx.note(0.44, 0.5, m, 0.35f, epiano());
    fx.note(0.44, 0.5, 84, 0.45f, chime(0.4));
    fx.addRoom(0.25f, 0.6);
    return fx.finish(-3.0);
}

std::vector<float> confirm() {
    Effect fx(198);
    fx.note(0.0, 0.04, 76, 0.8f, blip());
    fx.note(0.06, 0.07, 83, 1.0f, blip());
    fx.note(0.06, 0.05, 95, 0.3f, chime(0.3));
    return fx.finish(-3.0);
}

std::vector<float> menuMove() {
    Effect fx(199);
    Patch p = blip();
    p.wave = Wave::Triangle;
    p.pitchDrop = 2;
    p.amp = envelope(0.002, 0.03, 0.0, 0.02);
    fx.note(0.0, 0.03, 81, 1.0f, p);
    return fx.finish(-4.0);
}

}  // namespace

bool makeEffects(const std::string& outdir) {
    struct Item {
        int slot;
        const char* what;
        std::function<std::vector<float>()> make;
    };
    std::vector<Item> items = {
        {1, "power item", powerItem},
        {2, "level complete", levelComplete},
        {3, "level failed", levelFailed},
        {4, "chomp", [] { return chomp(67, 7, Wave::Sine, 104); }},
        {5, "chomp", [] { return chomp(72, 5, Wave::Triangle, 105); }},
        {6, "cell landing", landing},
        {18, "countdown done", countdownDone},
        {95, "start jingle", startJingle},
        {98, "confirm", confirm},
        {99, "menu move", menuMove},
    };
    for (int step = 0; step < 7; ++step)
        items.push_back({11 + step, "countdown", [step] { return countdown(step); }});

    bool ok = true;
    for (const Item& item : items) {
        std::vector<float> samples = item.make();
        char name[32];
        std::snprintf(name, sizeof name, "%02d.wav", item.slot);
        std::string path = outdir + "/" + name;
        if (!writeWavMono(path, samples, kRate)) {
            std::fprintf(stderr, "make_sounds: cannot write %s\n", path.c_str());
            ok = false;
            continue;
        }
        std::printf("  %s  %-15s %5.2f s\n", name, item.what, double(samples.size()) / kRate);
    }
    return ok;
}

}  // namespace snd
