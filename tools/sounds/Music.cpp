// The four songs. Each is a whole number of bars whose last bar leads back into the
// first; notes and echoes that ring past the end are folded onto the start, so the
// game can loop a track by jumping back to its first sample.
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "Assets.h"
#include "Sequencer.h"
#include "Synth.h"
#include "Wav.h"

namespace snd {

namespace {

constexpr double kMusicRmsDb = -18.0;
constexpr double kMusicPeakDb = -6.5;  // the encoder adds about half a dB of overshoot

// A chord of the chart; a bar holds one, or two when it changes halfway.
struct Chord {
    Chord(std::string v, int r, std::string h = {}) : voicing(std::move(v)), root(r), high(std::move(h)) {}
    std::string voicing;  // notes for pads and comping
    int root;             // semitones from C for the bass
    std::string high;     // an open voicing an octave up, for arpeggios
};

// Plays `rhythm` (sixteenths) with the bar's chord; a split bar plays the first half twice.
void compBar(Song& s, int part, int bar, const std::vector<Chord>& chords, const std::string& rhythm,
             float vel) {
    if (chords.size() == 1) {
        s.comp(part, bar, chords[0].voicing, rhythm, 0, vel);
    } else {
        s.comp(part, bar, chords[0].voicing, rhythm.substr(0, 8), 0, vel);
        s.comp(part, bar, chords[1].voicing, rhythm.substr(0, 8), 8, vel);
    }
}

// Plays a bass template written on C, moved to the chord's root.
void bassBar(Song& s, int part, int bar, const std::vector<Chord>& chords, const std::string& templ,
             int stepsPer, float vel) {
    if (chords.size() == 1) {
        s.line(part, bar, templ, stepsPer, chords[0].root, vel);
        return;
    }
    // Split bar: the first half of the template on each chord.
    std::vector<std::string> toks;
    size_t from = 0;
    while (from < templ.size()) {
        size_t sp = templ.find(' ', from);
        if (sp == std::string::npos) sp = templ.size();
        if (sp > from) toks.push_back(templ.substr(from, sp - from));
        from = sp + 1;
    }
    std::string half, rests;
    for (size_t i = 0; i < toks.size() / 2; ++i) {
        half += toks[i] + " ";
        rests += ". ";
    }
    s.line(part, bar, half, stepsPer, chords[0].root, vel);
    s.line(part, bar, rests + half, stepsPer, chords[1].root, vel);
}

// ---------------------------------------------------------------------------
// 01: "Garden" - F major, 90 BPM, a relaxed electric-piano groove with a flute-like tune.
Stereo gardenSong() {
    Song s(90, 16, 0x01A);
    const Chord F{"F3+A3+C4+E4", 5}, Dm{"F3+A3+C4+D4", 2}, Bb{"F3+A3+Bb3+D4", -2},
        Csus{"F3+G3+Bb3+C4", 0}, C7{"E3+G3+Bb3+C4", 0}, Gm{"F3+G3+Bb3+D4", 7}, Am{"E3+G3+A3+C4", 9};
    const std::vector<std::vector<Chord>> chart = {
        {F}, {Dm}, {Bb}, {Csus, C7}, {F}, {Dm}, {Bb}, {C7},
        {Gm}, {Am}, {Bb}, {C7}, {Gm}, {Am}, {Bb}, {Csus, C7}};

    Patch ep;
    ep.fmRatio = 1;
    ep.fmIndex = 1.5;
    ep.fmIndexEnd = 0.25;
    ep.fmDecay = 0.35;
    ep.unison = 2;
    ep.detuneCents = 5;
    ep.width = 0.5;
    ep.amp = envelope(0.004, 2.2, 0.25, 0.25);
    const int keys = s.part(ep, 0.32f, 0.f, 0.08f, 0.25f);

    Patch bass;
    bass.wave = Wave::Triangle;
    bass.subLevel = 0.7;
    bass.filter = true;
    bass.cutoff = 700;
    bass.amp = envelope(0.006, 0.35, 0.7, 0.06);
    const int low = s.part(bass, 0.5f, 0.f, 0.f, 0.03f, 0.f, 0.85);

    Patch flute;
    flute.wave = Wave::Sine;
    flute.noiseLevel = 0.025;
    flute.filter = true;
    flute.cutoff = 3500;
    flute.vibratoDepth = 0.14;
    flute.vibratoRate = 5.0;
    flute.vibratoDelay = 0.25;
    flute.glide = -0.4;
    flute.glideTime = 0.03;
    flute.amp = envelope(0.035, 0.25, 0.8, 0.14);
    Patch fluteBody = flute;
    fluteBody.wave = Wave::Triangle;
    const int lead = s.part(flute, 0.53f, 0.1f, 0.22f, 0.3f);
    const int leadBody = s.part(fluteBody, 0.28f, 0.1f, 0.22f, 0.3f);

    Patch bell;
    bell.fmRatio = 4;
    bell.fmIndex = 1.2;
    bell.fmIndexEnd = 0.1;
    bell.fmDecay = 0.08;
    bell.amp = envelope(0.002, 0.8, 0.0, 0.3);
    const int bells = s.part(bell, 0.46f, -0.35f, 0.35f, 0.3f);

    Patch pad;
    pad.wave = Wave::Saw;
    pad.unison = 3;
    pad.detuneCents = 11;
    pad.width = 0.8;
    pad.filter = true;
    pad.cutoff = 800;
    pad.amp = envelope(0.5, 0.5, 0.85, 0.7);
    const int pads = s.part(pad, 0.10f, 0.f, 0.f, 0.35f, 0.f, 1.0);

    DrumKit kit;
    kit.kickHigh = 120;
    kit.kickLow = 50;
    kit.kickDecay = 0.3;
    kit.kickClick = 0.15;
    const int drums = s.drumPart(kit, 0.5f, 0.f, 0.12f);

    const std::string melody[16] = {
        "A4 - C5 - E5 - D5 C5", "D5 - - - A4 - C5 -", "D5 - F5 - A5 - G5 F5", "G5 - - - E5 - . C5",
        "A4 - C5 - E5 - D5 C5", "D5 - - - F5 - E5 D5", "C5 - D5 - F5 - D5 -", "E5 - - - - - . .",
        "Bb4 - D5 - F5 - - G5", "E5 - - - C5 - A4 -", "D5 - F5 - A5 - - F5", "G5 - - - E5 - Bb4 -",
        "D5 - - Bb4 - D5 F5 -", "E5 - - C5 - E5 G5 -", "F5 - - D5 - - C5 D5", "C5 - - - - - . ."};
    const std::string sparkle[8] = {"D6+F6", "E6+G6", "D6+F6+A6", "E6+G6+Bb6",
                                    "D6+F6", "C6+E6+G6", "D6+F6+A6", "C6+E6+G6"};

    for (int bar = 0; bar < 16; ++bar) {
        const auto& chord = chart[bar];
        compBar(s, keys, bar, chord, "x-----x---x-----", 0.7f);
        bassBar(s, low, bar, chord, "C2 - - . . . C2 - G2 - - . C3 - G2 -", 1, 0.8f);
        s.line(lead, bar, melody[bar], 2, 0, 0.75f);
        s.line(leadBody, bar, melody[bar], 2, 0, 0.75f);
        s.beat(drums, bar, Drum::Kick, "x.....x...x.....");
        s.beat(drums, bar, Drum::Rim, bar % 8 == 7 ? "....x.....o.x.oo" : "....x.......x...");
        s.beat(drums, bar, Drum::Shaker, "oxoxoxoxoxoxoxox");
        if (bar >= 8) {
            s.beat(drums, bar, Drum::HatClosed, "..o...o...o...o.");
            s.arp(bells, bar, sparkle[bar - 8], ". . . 0 . . 1 .", 2, 0.6f);
            compBar(s, pads, bar, chord, "x---------------", 0.6f);
        }
    }
    return s.mixdown(3, 0.35f, 0.75, kMusicRmsDb, kMusicPeakDb);
}

// ---------------------------------------------------------------------------
// 02: "Chase" - A minor, 126 BPM, four on the floor with pumping pads and a saw lead.
Stereo chaseSong() {
    Song s(126, 24, 0x02B);
    const Chord Am{"A3+C4+E4", 9, "A4+C5+E5+A5"}, F{"A3+C4+F4", 5, "A4+C5+F5+A5"},
        C{"G3+C4+E4", 0, "G4+C5+E5+G5"}, G{"G3+B3+D4", 7, "G4+B4+D5+G5"}, Dm{"A3+D4+F4", 2, "A4+D5+F5+A5"},
        E{"G#3+B3+E4", 4, "G#4+B4+E5+G#5"};
    const std::vector<Chord> verse = {Am, F, C, G, Am, F, C, G};
    const std::vector<Chord> bridge = {Dm, Am, F, G, Dm, Am, F, E};

    Patch bass;
    bass.wave = Wave::Saw;
    bass.subLevel = 0.8;
    bass.filter = true;
    bass.cutoff = 380;
    bass.q = 1.3;
    bass.envOctaves = 2.2;
    bass.filterEnv = envelope(0.002, 0.14, 0.0, 0.05);
    bass.amp = envelope(0.003, 0.2, 0.7, 0.04);
    const int low = s.part(bass, 0.5f, 0.f, 0.f, 0.f, 0.35f, 0.7);

    Patch pluck;
    pluck.wave = Wave::Saw;
    pluck.unison = 2;
    pluck.detuneCents = 6;
    pluck.width = 0.6;
    pluck.filter = true;
    pluck.cutoff = 900;
    pluck.q = 1.1;
    pluck.envOctaves = 2.5;
    pluck.filterEnv = envelope(0.001, 0.09, 0.0, 0.04);
    pluck.amp = envelope(0.002, 0.16, 0.0, 0.05);
    const int arp = s.part(pluck, 0.34f, -0.2f, 0.35f, 0.2f, 0.3f);

    Patch pad;
    pad.wave = Wave::Saw;
    pad.unison = 3;
    pad.detuneCents = 13;
    pad.width = 0.9;
    pad.filter = true;
    pad.cutoff = 1300;
    pad.amp = envelope(0.15, 0.5, 0.8, 0.35);
    const int pads = s.part(pad, 0.16f, 0.f, 0.f, 0.3f, 0.6f, 1.0);

    Patch lead;
    lead.wave = Wave::Saw;
    lead.unison = 3;
    lead.detuneCents = 12;
    lead.width = 0.5;
    lead.filter = true;
    lead.cutoff = 2600;
    lead.q = 0.9;
    lead.envOctaves = 0.8;
    lead.filterEnv = envelope(0.01, 0.25, 0.3, 0.1);
    lead.vibratoDepth = 0.1;
    lead.vibratoDelay = 0.3;
    lead.glide = -0.6;
    lead.glideTime = 0.02;
    lead.amp = envelope(0.008, 0.2, 0.75, 0.09);
    const int melody = s.part(lead, 0.46f, 0.05f, 0.25f, 0.25f);

    Patch bell;
    bell.fmRatio = 4;
    bell.fmIndex = 1.0;
    bell.fmIndexEnd = 0.1;
    bell.fmDecay = 0.06;
    bell.amp = envelope(0.002, 0.5, 0.0, 0.2);
    const int shine = s.part(bell, 0.38f, 0.25f, 0.3f, 0.2f);

    DrumKit kit;
    kit.kickHigh = 160;
    kit.kickLow = 47;
    kit.kickDecay = 0.32;
    const int drums = s.drumPart(kit, 0.55f, 0.f, 0.08f);

    const std::string tuneA[8] = {"A5 - - E5 - - C5 -", "D5 - C5 - A4 - C5 -", "E5 - - G5 - - E5 -",
                                  "D5 - - - B4 - D5 -", "A5 - - E5 - - C5 -", "F5 - E5 - C5 - A4 -",
                                  "G4 - - C5 - - E5 -", "D5 - - - - - . ."};
    const std::string tuneB[8] = {"F5 - - - A5 - F5 -", "E5 - - - C5 - A4 -", "C5 - - D5 - - F5 -",
                                  "D5 - - - B4 - G4 -", "A4 - D5 - F5 - A5 -", "G5 - E5 - C5 - E5 -",
                                  "F5 - - - E5 - D5 -", "E5 - - - G#5 - B5 -"};

    for (int bar = 0; bar < 24; ++bar) {
        const int section = bar / 8, inSection = bar % 8;
        const bool bridgePart = section == 1;
        const Chord& chord = bridgePart ? bridge[inSection] : verse[inSection];
        const std::string& tune = bridgePart ? tuneB[inSection] : tuneA[inSection];

        // Roots above G drop an octave so the bass stays between A1 and G2.
        s.line(low, bar, "C2 C2 C3 C2 C2 C2 C3 C2", 2, chord.root - (chord.root > 7 ? 12 : 0), 0.8f);
        s.arp(arp, bar, chord.high, "0 1 2 0 1 2 3 2 0 1 2 0 1 2 3 2", 1, 0.65f);
        s.comp(pads, bar, chord.voicing, "x-------x-------", 0, 0.6f);
        s.line(melody, bar, tune, 2, 0, 0.8f);
        if (section == 2) s.line(shine, bar, tune, 2, 12, 0.55f);

        s.beat(drums, bar, Drum::Kick, "x...x...x...x...");
        s.beat(drums, bar, Drum::Clap, inSection == 7 ? "....x.......x.xx" : "....x.......x...");
        s.beat(drums, bar, Drum::HatClosed, bridgePart ? "oox.oox.oox.oox." : "..x...x...x...x.");
        if (inSection == 7) s.beat(drums, bar, Drum::HatOpen, "..............x.");
        if (inSection == 0) s.beat(drums, bar, Drum::Crash, "x...............");
    }
    return s.mixdown(3, 0.3f, 0.6, kMusicRmsDb, kMusicPeakDb);
}

// ---------------------------------------------------------------------------
// 03: "Sprint" - D major, 140 BPM, an old sound-chip romp: pulse lead, triangle bass.
Stereo sprintSong() {
    Song s(140, 24, 0x03C);
    const Chord D{"D4+F#4+A4", 2}, Bm{"D4+F#4+B4", -1}, G{"D4+G4+B4", 7}, A{"C#4+E4+A4", 9},
        Fsm{"C#4+F#4+A4", 6};
    const std::vector<std::vector<Chord>> verse = {{D}, {Bm}, {G}, {A}, {D}, {Bm}, {G, A}, {D}};
    const std::vector<std::vector<Chord>> bridge = {{G}, {A}, {Fsm}, {Bm}, {G}, {A}, {Bm}, {A}};

    Patch pulse;
    pulse.wave = Wave::Pulse;
    pulse.pulseWidth = 0.25;
    pulse.vibratoDepth = 0.18;
    pulse.vibratoRate = 6.0;
    pulse.vibratoDelay = 0.15;
    pulse.amp = envelope(0.003, 0.12, 0.65, 0.05);
    const int lead = s.part(pulse, 0.38f, 0.f, 0.2f, 0.12f);

    Patch echo = pulse;
    echo.wave = Wave::Square;
    echo.vibratoDepth = 0;
    const int canon = s.part(echo, 0.14f, -0.4f, 0.1f, 0.1f);

    Patch tri;
    tri.wave = Wave::Triangle;
    tri.amp = envelope(0.002, 0.1, 0.9, 0.03);
    const int low = s.part(tri, 0.44f, 0.f, 0.f, 0.f, 0.f, 0.8);

    Patch chip;
    chip.wave = Wave::Pulse;
    chip.pulseWidth = 0.125;
    chip.amp = envelope(0.001, 0.06, 0.2, 0.02);
    const int arp = s.part(chip, 0.22f, 0.35f, 0.25f, 0.1f);

    DrumKit kit;
    kit.chiptune = true;
    kit.kickHigh = 200;
    kit.kickLow = 55;
    kit.kickDecay = 0.18;
    kit.kickClick = 0.1;
    kit.snareTone = 220;
    kit.snareDecay = 0.12;
    kit.snareNoise = 0.9;
    kit.hatCutoff = 6000;
    const int drums = s.drumPart(kit, 0.5f, 0.f, 0.05f);

    const std::string tuneA[8] = {"D5 - F#5 - A5 - F#5 A5", "B5 - - - A5 - F#5 -", "G5 - - F#5 G5 - B5 -",
                                  "A5 - - - E5 - C#5 -",     "D5 - F#5 - A5 - F#5 A5", "B5 - - - D6 - B5 -",
                                  "G5 - B5 - A5 - C#6 -",    "D6 - - - A5 - F#5 E5"};
    const std::string tuneB[8] = {"D5 - G5 - B5 - - A5", "E5 - - - C#5 - E5 -", "F#5 - - A5 - - C#6 -",
                                  "B5 - - - F#5 - D5 -", "G5 - - B5 - - D6 -", "C#6 - - A5 - - E5 -",
                                  "F#5 - - D5 - B4 D5 -", "E5 - - - - - C#5 -"};

    for (int bar = 0; bar < 24; ++bar) {
        const int section = bar / 8, inSection = bar % 8;
        const bool bridgePart = section == 1;
        const auto& chord = bridgePart ? bridge[inSection] : verse[inSection];
        const std::string& tune = bridgePart ? tuneB[inSection] : tuneA[inSection];

        s.line(lead, bar, tune, 2, 0, 0.8f);
        // The last verse gets a low echo of the tune an eighth behind.
        if (section == 2) s.line(canon, bar, ". " + tune, 2, -12, 0.7f);
        bassBar(s, low, bar, chord, "C2 C3 C2 C3 C2 C3 C2 C3", 2, 0.85f);
        const std::string order = "0 1 2 1 0 1 2 1";
        if (chord.size() == 1) {
            s.arp(arp, bar, chord[0].voicing, order + " " + order, 1, 0.6f);
        } else {
            s.arp(arp, bar, chord[0].voicing, order, 1, 0.6f);
            s.arp(arp, bar, chord[1].voicing, ". . . . . . . . " + order, 1, 0.6f);
        }
        s.beat(drums, bar, Drum::Kick, bridgePart ? "x.....x...x....." : "x.......x.x.....");
        s.beat(drums, bar, Drum::Snare, inSection == 7 ? "....x...x.x.xxxx" : "....x.......x...");
        s.beat(drums, bar, Drum::HatClosed, "x.x.x.x.x.x.x.xo");
        if (inSection == 0) s.beat(drums, bar, Drum::Crash, "x...............");
    }
    return s.mixdown(3, 0.25f, 0.4, kMusicRmsDb, kMusicPeakDb);
}

// ---------------------------------------------------------------------------
// 04: "Undertow" - C minor, 105 BPM, a pulsing ostinato under dark strings and a bell
// that ticks like a clock: the tense one.
Stereo undertowSong() {
    Song s(105, 16, 0x04D);
    const Chord Cm{"G3+C4+Eb4", 0}, Ab{"Ab3+C4+Eb4", -4}, Fm{"Ab3+C4+F4", 5}, G{"G3+B3+D4+F4", -5},
        Db{"Ab3+Db4+F4", 1};
    const Chord chart[16] = {Cm, Cm, Ab, Ab, Fm, Fm, G, G, Fm, G, Cm, Ab, Fm, Db, G, G};

    Patch bass;
    bass.wave = Wave::Saw;
    bass.subLevel = 0.6;
    bass.filter = true;
    bass.cutoff = 320;
    bass.q = 2.2;
    bass.envOctaves = 2.0;
    bass.filterEnv = envelope(0.002, 0.1, 0.0, 0.04);
    bass.amp = envelope(0.002, 0.12, 0.5, 0.04);
    const int ostinato = s.part(bass, 0.5f, 0.f, 0.f, 0.04f, 0.2f, 0.55);

    Patch strings;
    strings.wave = Wave::Saw;
    strings.unison = 4;
    strings.detuneCents = 10;
    strings.width = 0.85;
    strings.filter = true;
    strings.cutoff = 1000;
    strings.vibratoDepth = 0.06;
    strings.vibratoDelay = 0.4;
    strings.amp = envelope(0.6, 0.6, 0.9, 0.9);
    const int pads = s.part(strings, 0.2f, 0.f, 0.f, 0.4f, 0.f, 1.0);

    Patch lead;
    lead.fmRatio = 1;
    lead.fmIndex = 2.2;
    lead.fmIndexEnd = 1.1;
    lead.fmDecay = 0.4;
    lead.filter = true;
    lead.cutoff = 2400;
    lead.vibratoDepth = 0.16;
    lead.vibratoRate = 5.2;
    lead.vibratoDelay = 0.3;
    lead.glide = -0.5;
    lead.glideTime = 0.04;
    lead.amp = envelope(0.03, 0.3, 0.7, 0.2);
    const int melody = s.part(lead, 0.54f, -0.05f, 0.3f, 0.3f);

    Patch tick;
    tick.fmRatio = 3.5;
    tick.fmIndex = 1.5;
    tick.fmIndexEnd = 0.2;
    tick.fmDecay = 0.03;
    tick.amp = envelope(0.001, 0.25, 0.0, 0.1);
    const int clock = s.part(tick, 0.36f, 0.4f, 0.3f, 0.2f);

    DrumKit kit;
    kit.kickHigh = 110;
    kit.kickLow = 42;
    kit.kickDecay = 0.45;
    kit.kickClick = 0.1;
    kit.snareTone = 170;
    kit.snareDecay = 0.22;
    const int drums = s.drumPart(kit, 0.5f, 0.f, 0.15f);

    const std::string tune[16] = {
        "G4 - - - C5 - D5 -",  "Eb5 - - - D5 - C5 -", "Eb5 - - - C5 - Ab4 -", "G4 - - - - - Ab4 -",
        "F4 - Ab4 - C5 - - -", "Db5 - C5 - Ab4 - F4 -", "G4 - - - B4 - D5 -",   "F5 - - Eb5 D5 - B4 -",
        "C5 - - - F5 - Ab5 -", "G5 - - - F5 - D5 -",   "Eb5 - - - G5 - C6 -",  "C6 - - - Bb5 - Ab5 -",
        "Ab5 - - - G5 - F5 -", "F5 - - - Db5 - Ab4 -", "B4 - - - D5 - F5 -",   "Ab5 - - - G5 - - -"};

    for (int bar = 0; bar < 16; ++bar) {
        const Chord& chord = chart[bar];
        s.line(ostinato, bar, "C2! C2 C3 C2 G2 C2 C3 C2 C2! C2 C3 C2 G2 C2 C3 G2", 1, chord.root, 0.7f);
        if (bar == 0 || chart[bar - 1].voicing != chord.voicing) {
            const bool twoBars = bar + 1 < 16 && chart[bar + 1].voicing == chord.voicing;
            s.comp(pads, bar, chord.voicing, twoBars ? "x-------------------------------" : "x---------------",
                   0, 0.7f);
        }
        s.line(melody, bar, tune[bar], 2, 0, bar < 8 ? 0.65f : 0.8f);
        s.line(clock, bar, bar % 2 == 0 ? "G5 . . . G5? . . ." : "G5 . . . G5? . . Ab5?", 2, 0, 0.6f);

        s.beat(drums, bar, Drum::Kick, bar % 4 == 3 ? "x..x......x..x.x" : "x..x......x.....");
        if (bar >= 4) s.beat(drums, bar, Drum::Snare, "........x.......");
        s.beat(drums, bar, Drum::HatClosed, "oxoxoxoxoxoxoxox");
        if (bar % 8 == 7) {
            s.beat(drums, bar, Drum::TomHigh, "............x...");
            s.beat(drums, bar, Drum::TomMid, ".............x..");
            s.beat(drums, bar, Drum::TomLow, "..............xx");
        }
    }
    return s.mixdown(3, 0.35f, 0.8, kMusicRmsDb, kMusicPeakDb);
}

}  // namespace

bool makeMusic(const std::string& outdir) {
    struct Track {
        const char* file;
        const char* title;
        std::function<Stereo()> make;
    };
    const Track tracks[] = {{"01.ogg", "Garden", gardenSong},
                            {"02.ogg", "Chase", chaseSong},
                            {"03.ogg", "Sprint", sprintSong},
                            {"04.ogg", "Undertow", undertowSong}};
    bool ok = true;
    for (const Track& t : tracks) {
        Stereo audio = t.make();
        std::string path = outdir + "/" + t.file;
        if (!writeOgg(path, audio, kRate, 0.4f)) {
            std::fprintf(stderr, "make_sounds: cannot write %s\n", path.c_str());
            ok = false;
            continue;
        }
        std::printf("  %s  %-15s %5.2f s  peak %5.1f dBFS  rms %5.1f dBFS\n", t.file, t.title,
                    double(audio.size()) / kRate, gainToDb(audio.peak()), gainToDb(audio.rms()));
    }
    return ok;
}

}  // namespace snd
