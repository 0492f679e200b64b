// PNG loading and sprite-sheet packing (GetPNG) with a frame size taken from
// the input, then tiling frames of the packed sheet into a pixel buffer.
//
// Input: 2 bytes frame-size code, 1 byte buffer-size code, 1 byte tile count,
// then the PNG file itself.
#include <cstdio>

#include "FuzzSupport.h"
#include "sys/ImageTable.h"
#include "sys/ZARNSys.h"

namespace {

constexpr int Slot = 12;
constexpr int BufferSlot = 90;

bool IsPowerOfTwo(int v) { return v > 0 && (v & (v - 1)) == 0; }

bool OpaqueKeyColour(const unsigned char* p) {
    bool magenta = p[0] > 250 && p[1] < 5 && p[2] > 250;
    bool cyan = p[0] < 5 && p[1] > 250 && p[2] > 250;
    return p[3] != 0 && (magenta || cyan);
}

void CheckSlot(unsigned F) {
    int frames = ASys.iFrames[Slot];
    FUZZ_CHECK(frames >= -1);  // a sheet shorter than one frame has none
    if (frames < 0) return;
    FUZZ_CHECK(SlotHasPixels(Slot));
    FUZZ_CHECK(ImageBlur[Slot].empty());  // made only when first drawn
    FUZZ_CHECK(ASys.iFramesSquare[Slot] == int(F));
    const int S = iSize[Slot];
    if (iFramesW[Slot] == S) {
        FUZZ_CHECK(S == int(F) && frames == 1);
    } else {
        const int cell = int(F) + 8;
        FUZZ_CHECK(IsPowerOfTwo(S) && S >= 64 && S <= MaxSheetSide);
        FUZZ_CHECK(iFramesW[Slot] == S / cell && iFramesW[Slot] >= 1);
        FUZZ_CHECK(frames <= iFramesW[Slot] * iFramesW[Slot]);
    }
    const std::vector<unsigned char>& px = Image[Slot];
    for (size_t i = 0; i < px.size(); i += 4) FUZZ_CHECK(!OpaqueKeyColour(&px[i]));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ByteReader in(data, size);
    unsigned F = 1 + in.U16() % 520;
    int bufferSide = 1 + in.U8() * 2;
    int tiles = in.U8() % 8;
    std::string path = WriteScratch("sheet.png", in.Here(), in.Left());

    ASys.GetPNG(Slot, path.c_str(), F);
    CheckSlot(F);

    ASys.Buffer_Create(BufferSlot, bufferSide);
    for (int t = 0; t < tiles; t++) {
        int frame = int(data[(t * 7) % size]) - 8;
        float x = float(int(data[(t * 13 + 1) % size]) - 128);
        float y = float(int(data[(t * 5 + 2) % size]) - 128);
        ASys.Buffer_Tile(BufferSlot, Slot, x, y, frame);
    }
    // A failed reload leaves the slot empty.
    ASys.GetPNG(Slot, (path + ".missing").c_str(), F);
    FUZZ_CHECK(ASys.iFrames[Slot] == -1);
    return 0;
}
