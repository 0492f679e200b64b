#include "sys/PipelineWarmUp.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "sys/RendererGlobals.h"
#include "sys/SysGlobals.h"
#include "sys/ZARNSys.h"

namespace {

// A small opaque white square at the canvas centre (kind 1, a rectangle).
DrawCmd Square() {
    DrawCmd c;
    std::memset(&c, 0, sizeof c);
    c.d[0] = 1;
    c.d[3] = 4;
    c.d[4] = -4;
    for (int k = 10; k < 18; ++k) c.d[k] = 255;
    return c;
}

DrawCmd Blend(int mode) {
    DrawCmd c;
    std::memset(&c, 0, sizeof c);
    c.d[0] = 50;
    c.d[1] = mode;
    return c;
}

}  // namespace

void WarmUpPipeline() {
    if (!window) return;
    ZARNSys& sys = ASys;
    const std::vector<DrawCmd> list(DrawR, DrawR + DrawToRT);
    float set[sizeof sys.DrawSet / sizeof sys.DrawSet[0]];
    std::memcpy(set, sys.DrawSet, sizeof set);
    const int frameW = sys.FrameW, frameH = sys.FrameH, polys = sys.PolyCount, objects = sys.ObjCount;
    const float ratio = sys.Ratio, scaleX = OverscanScaleX, scaleY = OverscanScaleY;

    // Blend mode 1 is where every replay starts; 2 and 3 follow, then 1 again.
    const DrawCmd warm[] = {Square(), Blend(2), Square(), Blend(3), Square(), Blend(1), Square()};
    DrawToRT = int(sizeof warm / sizeof warm[0]);
    std::memcpy(DrawR, warm, sizeof warm);
    for (int smooth = 0; smooth <= 1; ++smooth) {
        sys.DrawSet[49] = float(smooth);
        ReplayFrame(0);
    }
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glFinish();

    std::copy(list.begin(), list.end(), DrawR);
    DrawToRT = int(list.size());
    std::memcpy(sys.DrawSet, set, sizeof set);
    sys.FrameW = frameW;
    sys.FrameH = frameH;
    sys.Ratio = ratio;
    sys.PolyCount = polys;
    sys.ObjCount = objects;
    OverscanScaleX = scaleX;
    OverscanScaleY = scaleY;
}
