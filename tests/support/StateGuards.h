// Save-and-restore guards for the shared ThisGame/ASys state, so that tests
// and benchmarks leave it as they found it (the list of everything put back
// before each test is in SharedState.h); the canvas and input set-ups they
// start from; input set straight into the platform tables.
#pragma once

#include <cstddef>
#include <cstring>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "CoreGlobals.h"
#include "Random.h"
#include "shell/MyGame.h"
#include "sys/ImageTable.h"
#include "sys/ZARNSys.h"

// Remembers the values of the variables (and whole arrays) it is given and
// writes them back on Restore() or when it goes, the first kept last, so a
// variable kept twice gets its oldest value back.
class StateGuard {
public:
    StateGuard() = default;
    template <class... T>
    explicit StateGuard(T&... vars) {
        Keep(vars...);
    }
    StateGuard(const StateGuard&) = delete;
    StateGuard& operator=(const StateGuard&) = delete;
    ~StateGuard() { Restore(); }

    template <class... T>
    void Keep(T&... vars) {
        (kept_.push_back(std::make_unique<Kept<T>>(vars)), ...);
    }
    // For state behind setters: undo runs when the kept values are put back.
    void OnRestore(std::function<void()> undo) { kept_.push_back(std::make_unique<Undo>(std::move(undo))); }
    // Writes the kept values back and goes on keeping them.
    void PutBack() {
        for (auto it = kept_.rbegin(); it != kept_.rend(); ++it) (*it)->Restore();
    }
    void Restore() {
        PutBack();
        kept_.clear();
    }

private:
    template <class T>
    static void Assign(T& to, const T& from) {
        to = from;
    }
    template <class T, std::size_t N>
    static void Assign(T (&to)[N], const T (&from)[N]) {
        for (std::size_t i = 0; i < N; ++i) Assign(to[i], from[i]);
    }

    struct Entry {
        virtual ~Entry() = default;
        virtual void Restore() = 0;
    };
    template <class T>
    struct Kept : Entry {
        explicit Kept(T& v) : var(v) { Assign(copy, v); }
        void Restore() override { Assign(var, copy); }
        T& var;
        T copy;
    };
    struct Undo : Entry {
        explicit Undo(std::function<void()> f) : undo(std::move(f)) {}
        void Restore() override { undo(); }
        std::function<void()> undo;
    };
    std::vector<std::unique_ptr<Entry>> kept_;
};

// Draw state, canvas mapping and the recording list's fill level.
class DrawStateGuard : public StateGuard {
public:
    DrawStateGuard()
        : StateGuard(ASys.DrawSet, ASys.DrawTo, ASys.CurBlend, ASys.FontImage, Canvas.rw2, Canvas.rh2, Canvas.ViewScale,
                     ASys.ImageZoom, ASys.TargetScale, ThisGame.ShowStats) {}
};

// One image slot's pixels and table entries; the renderer is told the
// pixels changed when they are put back.
class SlotGuard {
public:
    explicit SlotGuard(int slot)
        : slot_(slot),
          kept_(Image[slot], ImageBlur[slot], ASys.iFrames[slot], iFramesW[slot], iFramesWz[slot], iSize[slot],
                ASys.iSizeScaled[slot], ASys.iFramesSquare[slot]) {}
    ~SlotGuard() {
        kept_.Restore();
        TouchImage(slot_);
    }

private:
    int slot_;
    StateGuard kept_;
};

// Record i of the recording list.
inline const double* RecordAt(int i) { return ASys.Draw + i * DrawCmdSize; }

// The 800-unit canvas basis at size 1, centred on (halfW, halfH) pixels.
inline void CanvasBasis(int halfW, int halfH) {
    Canvas.rw2 = halfW;
    Canvas.rh2 = halfH;
    ASys.TargetScale = 800;
    Canvas.ViewScale = 2.0f / 800.0f;
    ASys.ImageZoom = 1;
}

// A neutral canvas: the basis with a fresh draw state and an empty list.
inline void NeutralCanvas(int halfW = 0, int halfH = 0) {
    CanvasBasis(halfW, halfH);
    ThisGame.ResetDraw();
    ASys.DrawTo = 0;
    ASys.CurBlend = 1;
}

// An 800 x 600 screen: the basis centred on (400, 300) and the game's
// screen size to match.
inline void Screen800x600() {
    CanvasBasis(400, 300);
    ThisGame.ScreenW = 800;
    ThisGame.ScreenH = 600;
}

// Drawing records only for loaded slots: the front end's icons, options
// icons, backdrops, logos and the font count as loaded.
inline void FrontEndArtLoaded() {
    for (int slot : {50, 52, 53, 54, 56, 57, 60, ASys.FontImage}) ASys.iFrames[slot] = 1;
    ASys.iFramesSquare[50] = 64;
    ASys.iFramesSquare[52] = 32;
}

// Nothing held: no virtual keys, fixed buttons, pointers or key locks.
inline void NoInputHeld() {
    std::memset(ASys.Keyv, 0, sizeof ASys.Keyv);
    std::memset(ASys.Button, 0, sizeof ASys.Button);
    std::memset(ASys.Touch, 0, sizeof ASys.Touch);
    std::memset(ThisGame.KeyLock, 0, sizeof ThisGame.KeyLock);
    std::memset(ThisGame.TouchLock, 0, sizeof ThisGame.TouchLock);
    ThisGame.PointerDown = 0;
}

// Input as the poll would leave it, for fixtures of screens that are called
// once per simulated update.
struct TableInput {
    static void Hold(int vkey, float value = 1.0f) { ASys.Keyv[0][vkey] = value; }
    static void Release(int vkey) { ASys.Keyv[0][vkey] = 0; }
    // The mouse (pointer 0) at a canvas position, pressed or not. The frame
    // update keeps PointerDown in step with it; so does this.
    static void Pointer(float x, float y, bool down) {
        ASys.Touch[0].X = x;
        ASys.Touch[0].Y = y;
        ASys.Touch[0].Down = down ? 1.0f : 0.0f;
        ThisGame.PointerDown = down ? 1 : 0;
    }
    static void PointerUp() { Pointer(ASys.Touch[0].X, ASys.Touch[0].Y, false); }
    static void ReleaseAll() {
        std::memset(ASys.Keyv, 0, sizeof ASys.Keyv);
        std::memset(ASys.Button, 0, sizeof ASys.Button);
        PointerUp();
    }
};
