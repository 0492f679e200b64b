#include "Synth.h"

#include <algorithm>
#include <cmath>
#include <deque>

namespace snd {

double midiToHz(double midi) { return 440.0 * std::pow(2.0, (midi - 69.0) / 12.0); }
double dbToGain(double db) { return std::pow(10.0, db / 20.0); }
double gainToDb(double gain) { return 20.0 * std::log10(std::max(gain, 1e-12)); }

uint32_t Rng::nextU32() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
}

float Rng::uniform() { return float(nextU32() >> 8) / float(1 << 23) - 1.f; }

float Rng::range(float lo, float hi) { return lo + (hi - lo) * (uniform() * 0.5f + 0.5f); }

double Adsr::at(double t, double hold) const {
    if (t < 0) return 0;
    auto held = [this](double u) {
        if (u < attack) return attack > 0 ? u / attack : 1.0;
        if (decay <= 0) return sustain;
        return sustain + (1.0 - sustain) * std::exp(-3.0 * (u - attack) / decay);
    };
    if (t < hold) return held(t);
    if (release <= 0) return 0;
    double x = (t - hold) / release;
    if (x >= 1) return 0;
    // Exponential fall bent so it lands exactly on zero: no click at the end.
    const double e = std::exp(-4.0);
    return held(hold) * (std::exp(-4.0 * x) - e) / (1.0 - e);
}

namespace {

double polyBlep(double t, double dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

// Equal-power pan: -1 left, 0 centre, +1 right.
void panGains(float pan, float& left, float& right) {
    double a = (std::clamp(pan, -1.f, 1.f) + 1.0) * kPi / 4.0;
    left = float(std::cos(a));
    right = float(std::sin(a));
}

size_t framesFor(double seconds) { return size_t(std::ceil(std::max(seconds, 0.0) * kRate)); }

}  // namespace

Osc::Osc(Wave wave, double pulseWidth, double phase) : wave_(wave), width_(pulseWidth), phase_(phase) {}

float Osc::next(double hz, Rng& rng) {
    double dt = std::min(hz / kRate, 0.5);
    double p = phase_;
    double v = 0;
    switch (wave_) {
        case Wave::Sine: v = std::sin(2 * kPi * p); break;
        case Wave::Triangle: v = 4.0 * std::fabs(p - 0.5) - 1.0; break;
        case Wave::Saw: v = 2.0 * p - 1.0 - polyBlep(p, dt); break;
        case Wave::Square:
        case Wave::Pulse: {
            double w = wave_ == Wave::Square ? 0.5 : width_;
            v = (p < w ? 1.0 : -1.0) + polyBlep(p, dt) - polyBlep(std::fmod(p + 1.0 - w, 1.0), dt);
            v -= 2.0 * w - 1.0;  // a narrow pulse is mostly low: take out its offset
            break;
        }
        case Wave::Noise: v = held_; break;
    }
    phase_ += dt;
    if (phase_ >= 1.0) {
        phase_ -= 1.0;
        if (wave_ == Wave::Noise) held_ = rng.uniform();
    }
    return float(v);
}

void Svf::set(double cutoffHz, double q) {
    cutoffHz = std::clamp(cutoffHz, 10.0, kRate * 0.45);
    g_ = std::tan(kPi * cutoffHz / kRate);
    k_ = 1.0 / std::max(q, 0.05);
    a1_ = 1.0 / (1.0 + g_ * (g_ + k_));
    a2_ = g_ * a1_;
    a3_ = g_ * a2_;
}

void Svf::process(float x) {
    double v3 = x - ic2_;
    double v1 = a1_ * ic1_ + a2_ * v3;
    double v2 = ic2_ + a2_ * ic1_ + a3_ * v3;
    ic1_ = 2 * v1 - ic1_;
    ic2_ = 2 * v2 - ic2_;
    low_ = float(v2);
    band_ = float(v1);
    high_ = float(x - k_ * v1 - v2);
}

void Stereo::clear() {
    std::fill(l.begin(), l.end(), 0.f);
    std::fill(r.begin(), r.end(), 0.f);
}

void Stereo::mixFrom(const Stereo& src, float gain) {
    for (size_t i = 0; i < size() && i < src.size(); ++i) {
        l[i] += src.l[i] * gain;
        r[i] += src.r[i] * gain;
    }
}

float Stereo::peak() const {
    float p = 0;
    for (size_t i = 0; i < size(); ++i) p = std::max({p, std::fabs(l[i]), std::fabs(r[i])});
    return p;
}

double Stereo::rms() const {
    double sum = 0;
    for (size_t i = 0; i < size(); ++i) sum += double(l[i]) * l[i] + double(r[i]) * r[i];
    return size() ? std::sqrt(sum / (2.0 * size())) : 0.0;
}

void Stereo::scale(float gain) {
    for (size_t i = 0; i < size(); ++i) {
        l[i] *= gain;
        r[i] *= gain;
    }
}

void renderNote(Stereo& out, size_t start, double hold, double midi, float velocity, float pan,
                const Patch& p, Rng& rng) {
    const int voices = std::max(p.unison, 1);
    const size_t frames = framesFor(p.amp.length(hold));
    const bool fm = p.fmRatio > 0;

    std::vector<Osc> oscs;
    std::vector<double> detune(voices), carrier(voices), modulator(voices);
    std::vector<float> gl(voices), gr(voices);
    for (int v = 0; v < voices; ++v) {
        double spread = voices > 1 ? double(v) / (voices - 1) * 2.0 - 1.0 : 0.0;
        detune[v] = std::pow(2.0, spread * p.detuneCents / 1200.0);
        // Unison copies start at scattered phases so they never sum into one spike.
        double phase = voices > 1 ? (rng.uniform() * 0.5 + 0.5) : 0.0;
        oscs.emplace_back(p.wave, p.pulseWidth, phase);
        carrier[v] = 0;
        modulator[v] = 0;
        panGains(float(std::clamp(pan + spread * p.width, -1.0, 1.0)), gl[v], gr[v]);
    }
    const float norm = 1.0f / std::sqrt(float(voices));
    Osc sub(Wave::Sine);
    Svf fl, fr;
    float subL, subR;
    panGains(pan, subL, subR);

    const bool bends = p.glide != 0 || p.vibratoDepth > 0 || p.pitchDrop != 0;
    double hz = midiToHz(midi);
    for (size_t i = 0; i < frames; ++i) {
        double t = double(i) / kRate;
        if (bends && i % 4 == 0) {  // pitch moves slowly: a control rate of 11 kHz is plenty
            double semis = midi + p.glide * std::exp(-t / std::max(p.glideTime, 1e-4));
            if (p.vibratoDepth > 0) {
                double fade = std::clamp((t - p.vibratoDelay) / 0.25, 0.0, 1.0);
                semis += p.vibratoDepth * fade * std::sin(2 * kPi * p.vibratoRate * t);
            }
            if (p.pitchDrop != 0) semis -= p.pitchDrop * t / std::max(hold, 1e-3);
            hz = midiToHz(semis);
        }

        float left = 0, right = 0;
        for (int v = 0; v < voices; ++v) {
            float s;
            if (fm) {
                double index = p.fmIndexEnd + (p.fmIndex - p.fmIndexEnd) * std::exp(-t / p.fmDecay);
                s = float(std::sin(2 * kPi * carrier[v] + index * std::sin(2 * kPi * modulator[v])));
                carrier[v] = std::fmod(carrier[v] + hz * detune[v] / kRate, 1.0);
                modulator[v] = std::fmod(modulator[v] + hz * detune[v] * p.fmRatio / kRate, 1.0);
            } else {
                s = oscs[v].next(hz * detune[v], rng);
            }
            left += s * gl[v] * norm;
            right += s * gr[v] * norm;
        }
        if (p.subLevel > 0) {
            float s = sub.next(hz * 0.5, rng) * float(p.subLevel);
            left += s * subL;
            right += s * subR;
        }
        if (p.noiseLevel > 0) {
            float s = rng.uniform() * float(p.noiseLevel);
            left += s * subL;
            right += s * subR;
        }
        if (p.filter) {
            if (i % 16 == 0) {
                double cut = p.cutoff * (0.55 + 0.45 * velocity);
                cut *= std::pow(2.0, p.envOctaves * p.filterEnv.at(t, hold));
                if (p.keyTrack > 0) cut *= std::pow(hz / 261.63, p.keyTrack);
                fl.set(cut, p.q);
                fr.set(cut, p.q);
            }
            fl.process(left);
            fr.process(right);
            left = fl.low();
            right = fr.low();
        }
        float a = float(p.amp.at(t, hold) * velocity * p.gain);
        out.add(start + i, left * a, right * a);
    }
}

namespace {

// White noise; the chip kit holds each value for a few samples like a sound chip.
struct NoiseSource {
    Rng& rng;
    int holdFor;
    int count = 0;
    float value = 0;
    float next() {
        if (count-- <= 0) {
            value = rng.uniform();
            count = holdFor - 1;
        }
        return value;
    }
};

void writePanned(Stereo& out, size_t at, float s, float pan) {
    float l, r;
    panGains(pan, l, r);
    out.add(at, s * l, s * r);
}

}  // namespace

void kick(Stereo& out, size_t start, float vel, float pan, const DrumKit& kit, Rng& rng) {
    const size_t frames = framesFor(kit.kickDecay * 1.2);
    double phase = 0;
    Svf clickFilter;
    clickFilter.set(3000, 0.7);
    for (size_t i = 0; i < frames; ++i) {
        double t = double(i) / kRate;
        double hz = kit.kickLow + (kit.kickHigh - kit.kickLow) * std::exp(-t / 0.035);
        phase += hz / kRate;
        double body = kit.chiptune ? (4.0 * std::fabs(std::fmod(phase, 1.0) - 0.5) - 1.0)
                                   : std::sin(2 * kPi * phase);
        double env = std::exp(-3.5 * t / kit.kickDecay) * std::min(1.0, t / 0.001);
        double fade = std::min(1.0, (double(frames) - i) / 200.0);
        clickFilter.process(rng.uniform());
        double click = clickFilter.low() * kit.kickClick * std::exp(-t / 0.003);
        double s = std::tanh(1.4 * (body * env + click)) / std::tanh(1.4);
        writePanned(out, start + i, float(s * vel * fade), pan);
    }
}

void snare(Stereo& out, size_t start, float vel, float pan, const DrumKit& kit, Rng& rng) {
    const size_t frames = framesFor(kit.snareDecay * 1.3);
    NoiseSource noise{rng, kit.chiptune ? 6 : 1};
    Svf hp;
    hp.set(kit.chiptune ? 600 : 1200, 0.6);
    double p1 = 0, p2 = 0;
    for (size_t i = 0; i < frames; ++i) {
        double t = double(i) / kRate;
        double drop = 1.0 + 0.4 * std::exp(-t / 0.01);
        p1 += kit.snareTone * drop / kRate;
        p2 += kit.snareTone * 1.62 * drop / kRate;
        double tone = (std::sin(2 * kPi * p1) + 0.5 * std::sin(2 * kPi * p2)) * std::exp(-t / 0.045);
        hp.process(noise.next());
        double rattle = hp.high() * kit.snareNoise * std::exp(-3.5 * t / kit.snareDecay);
        double env = std::min(1.0, t / 0.0008) * std::min(1.0, (double(frames) - i) / 200.0);
        writePanned(out, start + i, float((0.6 * tone + rattle) * env * vel), pan);
    }
}

void clap(Stereo& out, size_t start, float vel, float pan, Rng& rng) {
    const size_t frames = framesFor(0.35);
    Svf bp;
    bp.set(1150, 1.4);
    for (size_t i = 0; i < frames; ++i) {
        double t = double(i) / kRate;
        double env = 0;
        for (int b = 0; b < 3; ++b) {
            double tb = t - b * 0.011;
            if (tb >= 0) env = std::max(env, std::exp(-tb / 0.005));
        }
        if (t > 0.03) env = std::max(env, 0.7 * std::exp(-(t - 0.03) / 0.09));
        env *= std::min(1.0, (double(frames) - i) / 200.0);
        bp.process(rng.uniform());
        writePanned(out, start + i, float(bp.band() * 2.2 * env * vel), pan);
    }
}

void hat(Stereo& out, size_t start, float vel, float pan, double decay, const DrumKit& kit, Rng& rng) {
    const size_t frames = framesFor(decay * 1.3);
    static const double metal[6] = {205.3, 304.4, 369.6, 522.7, 540.0, 800.0};
    double phases[6] = {0, 0.1, 0.2, 0.3, 0.4, 0.5};
    NoiseSource noise{rng, kit.chiptune ? 2 : 1};
    Svf hp1, hp2;
    hp1.set(kit.hatCutoff, 0.7);
    hp2.set(kit.hatCutoff, 0.7);
    for (size_t i = 0; i < frames; ++i) {
        double t = double(i) / kRate;
        double m = 0;
        for (int k = 0; k < 6; ++k) {
            phases[k] = std::fmod(phases[k] + metal[k] * 2.0 / kRate, 1.0);
            m += phases[k] < 0.5 ? 1.0 : -1.0;
        }
        double src = noise.next() * 0.8 + m / 6.0 * 0.5;
        hp1.process(float(src));
        hp2.process(hp1.high());
        double env = std::exp(-3.5 * t / decay) * std::min(1.0, t / 0.0005) *
                     std::min(1.0, (double(frames) - i) / 100.0);
        writePanned(out, start + i, float(hp2.high() * env * vel), pan);
    }
}

void shaker(Stereo& out, size_t start, float vel, float pan, Rng& rng) {
    const size_t frames = framesFor(0.09);
    Svf bp;
    bp.set(6500, 1.0);
    for (size_t i = 0; i < frames; ++i) {
        double t = double(i) / kRate;
        double env = std::min(1.0, t / 0.012) * std::exp(-std::max(0.0, t - 0.012) / 0.022);
        env *= std::min(1.0, (double(frames) - i) / 100.0);
        bp.process(rng.uniform());
        writePanned(out, start + i, float(bp.band() * 1.5 * env * vel), pan);
    }
}

void tom(Stereo& out, size_t start, float vel, float pan, double hz, Rng& rng) {
    const size_t frames = framesFor(0.5);
    double phase = 0;
    Svf lp;
    lp.set(900, 0.7);
    for (size_t i = 0; i < frames; ++i) {
        double t = double(i) / kRate;
        phase += hz * (1.0 + 0.5 * std::exp(-t / 0.05)) / kRate;
        lp.process(rng.uniform());
        double s = std::sin(2 * kPi * phase) * std::exp(-t / 0.14) + lp.low() * 0.3 * std::exp(-t / 0.02);
        double env = std::min(1.0, t / 0.001) * std::min(1.0, (double(frames) - i) / 200.0);
        writePanned(out, start + i, float(s * env * vel), pan);
    }
}

void rim(Stereo& out, size_t start, float vel, float pan, Rng& rng) {
    const size_t frames = framesFor(0.06);
    Svf bp;
    bp.set(1800, 4.0);
    double p = 0;
    for (size_t i = 0; i < frames; ++i) {
        double t = double(i) / kRate;
        p += 520.0 / kRate;
        bp.process(rng.uniform() * float(std::exp(-t / 0.002)) * 4.f);
        double s = bp.band() + 0.5 * std::sin(2 * kPi * p) * std::exp(-t / 0.012);
        double env = std::min(1.0, t / 0.0003) * std::min(1.0, (double(frames) - i) / 100.0);
        writePanned(out, start + i, float(s * env * vel), pan);
    }
}

void pingPongDelayLoop(const Stereo& in, Stereo& out, size_t delayFrames, float feedback, double toneHz) {
    const size_t n = in.size();
    std::vector<float> lineL(delayFrames, 0.f), lineR(delayFrames, 0.f);
    const float a = float(1.0 - std::exp(-2 * kPi * toneHz / kRate));
    float lpL = 0, lpR = 0;
    size_t pos = 0;
    for (size_t lap = 0; lap < 2; ++lap) {
        for (size_t i = 0; i < n; ++i) {
            float yl = lineL[pos], yr = lineR[pos];
            lpL += a * (yl - lpL);
            lpR += a * (yr - lpR);
            // The echo starts on the left and bounces between the sides.
            lineL[pos] = (in.l[i] + in.r[i]) * 0.5f + feedback * lpR;
            lineR[pos] = feedback * lpL;
            if (++pos == delayFrames) pos = 0;
            if (lap == 1) {
                out.l[i] += yl;
                out.r[i] += yr;
            }
        }
    }
}

namespace {

struct Comb {
    std::vector<float> buf;
    size_t pos = 0;
    float store = 0;
    float process(float x, float feedback, float damp) {
        float y = buf[pos];
        store = y * (1 - damp) + store * damp;
        buf[pos] = x + store * feedback;
        if (++pos == buf.size()) pos = 0;
        return y;
    }
};

struct Allpass {
    std::vector<float> buf;
    size_t pos = 0;
    float process(float x) {
        float b = buf[pos];
        buf[pos] = x + b * 0.5f;
        if (++pos == buf.size()) pos = 0;
        return b - x;
    }
};

}  // namespace

void reverbLoop(const Stereo& in, Stereo& out, double roomSize, double damping, double width) {
    // Schroeder-Moorer network with the classic comb and all-pass lengths.
    static const size_t combLen[8] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
    static const size_t apLen[4] = {556, 441, 341, 225};
    const size_t spread = 23;
    Comb combs[2][8];
    Allpass aps[2][4];
    for (int c = 0; c < 2; ++c) {
        for (int k = 0; k < 8; ++k) combs[c][k].buf.assign(combLen[k] + c * spread, 0.f);
        for (int k = 0; k < 4; ++k) aps[c][k].buf.assign(apLen[k] + c * spread, 0.f);
    }
    const float feedback = float(roomSize * 0.28 + 0.7);
    const float damp = float(damping * 0.4);
    const float wet1 = float(3.0 * (width / 2 + 0.5)), wet2 = float(3.0 * ((1 - width) / 2));
    const size_t n = in.size();
    for (size_t lap = 0; lap < 2; ++lap) {
        for (size_t i = 0; i < n; ++i) {
            float x = (in.l[i] + in.r[i]) * 0.015f;
            float o[2] = {0, 0};
            for (int c = 0; c < 2; ++c) {
                for (auto& comb : combs[c]) o[c] += comb.process(x, feedback, damp);
                for (auto& ap : aps[c]) o[c] = ap.process(o[c]);
            }
            if (lap == 1) {
                out.l[i] += o[0] * wet1 + o[1] * wet2;
                out.r[i] += o[1] * wet1 + o[0] * wet2;
            }
        }
    }
}

void dcBlockLoop(Stereo& buf) {
    const size_t n = buf.size();
    float xl = 0, xr = 0, yl = 0, yr = 0;
    std::vector<float> ol(n), orr(n);
    for (size_t lap = 0; lap < 2; ++lap) {
        for (size_t i = 0; i < n; ++i) {
            yl = buf.l[i] - xl + 0.9995f * yl;
            yr = buf.r[i] - xr + 0.9995f * yr;
            xl = buf.l[i];
            xr = buf.r[i];
            ol[i] = yl;
            orr[i] = yr;
        }
    }
    buf.l.swap(ol);
    buf.r.swap(orr);
}

void limitLoop(Stereo& buf, float ceiling, double releaseSec) {
    const size_t n = buf.size();
    if (n == 0) return;
    const size_t look = 96;  // about 2 ms: the gain is already down when a peak arrives
    std::vector<float> want(n);
    for (size_t i = 0; i < n; ++i) {
        float p = std::max(std::fabs(buf.l[i]), std::fabs(buf.r[i]));
        want[i] = p > ceiling ? ceiling / p : 1.f;
    }
    // Minimum of `want` over the next `look` samples (wrapping), with a monotonic queue.
    std::vector<float> ahead(n);
    std::deque<size_t> q;
    for (size_t j = 0; j < n + look; ++j) {
        float v = want[j % n];
        while (!q.empty() && want[q.back() % n] >= v) q.pop_back();
        q.push_back(j);
        if (j >= look) {
            size_t i = j - look;
            while (q.front() < i) q.pop_front();
            ahead[i] = want[q.front() % n];
        }
    }
    // Averaging the look-ahead minimum over the previous `look` samples turns each
    // step into a ramp that still stays at or below what every sample needs.
    std::vector<float> ramp(n);
    double sum = 0;
    for (size_t k = 0; k < look; ++k) sum += ahead[(n - look + k) % n];
    for (size_t i = 0; i < n; ++i) {
        sum += ahead[i];
        sum -= ahead[(i + n - look) % n];
        ramp[i] = float(sum / look);
    }
    const float rel = float(1.0 - std::exp(-1.0 / (releaseSec * kRate)));
    float g = 1.f;
    for (size_t lap = 0; lap < 2; ++lap) {
        for (size_t i = 0; i < n; ++i) {
            g = std::min(ramp[i], g + (1.f - g) * rel);
            if (lap == 1) {
                buf.l[i] *= g;
                buf.r[i] *= g;
            }
        }
    }
}

}  // namespace snd
