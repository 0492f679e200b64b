#include "Wav.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace snd {

namespace {

void put16(std::vector<unsigned char>& out, uint16_t v) {
    out.push_back(v & 0xFF);
    out.push_back(v >> 8);
}

void put32(std::vector<unsigned char>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back((v >> (8 * i)) & 0xFF);
}

void putTag(std::vector<unsigned char>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

}  // namespace

bool writeWavMono(const std::string& path, const std::vector<float>& samples, int rate) {
    const uint16_t channels = 1, bits = 16;
    const uint32_t dataBytes = uint32_t(samples.size() * channels * bits / 8);
    std::vector<unsigned char> file;
    file.reserve(44 + dataBytes);
    putTag(file, "RIFF");
    put32(file, 36 + dataBytes);
    putTag(file, "WAVE");
    putTag(file, "fmt ");
    put32(file, 16);
    put16(file, 1);  // PCM
    put16(file, channels);
    put32(file, uint32_t(rate));
    put32(file, uint32_t(rate) * channels * bits / 8);
    put16(file, channels * bits / 8);
    put16(file, bits);
    putTag(file, "data");
    put32(file, dataBytes);
    for (float s : samples) {
        long v = std::lround(std::clamp(s, -1.f, 1.f) * 32767.f);
        put16(file, uint16_t(int16_t(v)));
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(file.data(), 1, file.size(), f) == file.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace snd
