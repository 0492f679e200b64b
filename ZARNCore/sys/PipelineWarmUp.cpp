#include "sys/PipelineWarmUp.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "sys/RendererGlobals.h"
#include "sys/SysGlobals.h"
#include "sys/ZARNSys.h"

namespace {

// A small opaque white square at the canvas centre.
DrawCmd Square() {
    DrawCmd c;
    std::memset(&c, 0, sizeof c);
    c.d[DrawField::Kind] = DrawKind::Rect;
    c.d[DrawField::W] = 4;
    c.d[DrawField::H] = -4;
    for (int k = DrawField::BottomA; k <= DrawField::TopB; ++k) c.d[k] = 255;
    return c;
}

DrawCmd BlendChange(int mode) {
    DrawCmd c;
    std::memset(&c, 0, sizeof c);
    c.d[DrawField::Kind] = DrawKind::Blend;
    c.d[DrawField::Mode] = mode;
    return c;
}

}  // namespace

void WarmUpPipeline() {
    if (!Win.window) return;
    ZARNSys& sys = ASys;
    const std::vector<DrawCmd> list(Replayer.DrawR, Replayer.DrawR + Replayer.DrawToRT);
    float set[DrawSlot::Count];
    std::memcpy(set, sys.DrawSet, sizeof set);
    const int frameW = sys.FrameW, frameH = sys.FrameH, polys = sys.PolyCount, objects = sys.ObjCount;
    const float ratio = sys.Ratio, scaleX = Input.OverscanScaleX, scaleY = Input.OverscanScaleY;

    // Blend mode Alpha is where every replay starts; Add and SoftAdd follow,
    // then Alpha again.
    const DrawCmd warm[] = {Square(), BlendChange(Blend::Add),   Square(), BlendChange(Blend::SoftAdd),
                            Square(), BlendChange(Blend::Alpha), Square()};
    Replayer.DrawToRT = int(sizeof warm / sizeof warm[0]);
    std::memcpy(Replayer.DrawR, warm, sizeof warm);
    for (int smooth = 0; smooth <= 1; ++smooth) {
        sys.DrawSet[DrawSlot::Smoothing] = float(smooth);
        ReplayFrame(0);
    }
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glFinish();

    std::copy(list.begin(), list.end(), Replayer.DrawR);
    Replayer.DrawToRT = int(list.size());
    std::memcpy(sys.DrawSet, set, sizeof set);
    sys.FrameW = frameW;
    sys.FrameH = frameH;
    sys.Ratio = ratio;
    sys.PolyCount = polys;
    sys.ObjCount = objects;
    Input.OverscanScaleX = scaleX;
    Input.OverscanScaleY = scaleY;
}
