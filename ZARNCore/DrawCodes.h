// The numbers of drawing: the slots of the draw state (ASys.DrawSet), the
// kinds of recorded command, the fields of one record and the blend modes.
// The values are fixed: recorded lists, the replay and the game all count on
// them, so a name may change but never its number.
#pragma once

// Slots of the draw state, 50 floats. Slots not named here are never written
// and read 0.
namespace DrawSlot {
enum : int {
    BottomA = 0,  // bottom colour: alpha 0-255, then red, green, blue 0-255
    BottomR = 1,
    BottomG = 2,
    BottomB = 3,
    TopA = 4,  // top colour, as the bottom one; equal to it unless a gradient is set
    TopR = 5,
    TopG = 6,
    TopB = 7,
    Rotation = 8,   // degrees
    HalfThick = 9,  // half the line thickness, canvas units
    Spare10 = 10,   // never written; copied into every record
    SizeX = 11,     // size factor x, kept as size / Canvas.ViewScale
    SizeY = 12,     // size factor y, kept as -size / Canvas.ViewScale (canvas y grows down)
    Spare13 = 13,   // never written; copied into every record
    Spare14 = 14,
    Spare15 = 15,
    ClearR = 21,    // clear colour now shown: red, green, blue
    ClearG = 22,
    ClearB = 23,
    ClearToR = 24,  // clear colour being faded to
    ClearToG = 25,
    ClearToB = 26,
    ClearFade = 27, // divisor of the clear colour's fade, at least 1
    DepthA = 31,    // depth pair: recorded, never used by the replay
    DepthB = 32,
    Smoothing = 49, // 1 selects linear texture filtering for the whole replay
    Count = 50
};
}

// What one record draws (field Kind).
namespace DrawKind {
enum : int {
    Rect = 1,       // centred box
    Quad = 2,       // four corners; lines are recorded as quads
    Oval = 3,       // centred ellipse
    Line = 4,       // reserved: nothing records it
    Fan = 5,        // ellipse of 36 wedges in alternating colours
    Tri = 6,        // three corners
    Image = 11,     // centred frame of an image slot
    QuadImage = 12, // frame of an image slot on four corners
    ImageBlur = 13, // centred frame of a slot's blur copy
    Blend = 50      // blend mode change; carries no draw state
};
}

// Fields of one record of DrawCmdSize doubles. Positions are canvas units
// from the canvas centre.
namespace DrawField {
enum : int {
    Kind = 0,
    // Geometry of centred kinds (Rect, Oval, Fan, Image, ImageBlur): the
    // centre, then the full width and height (height negative).
    X = 1,
    Y = 2,
    W = 3,
    H = 4,
    // Geometry of cornered kinds (Quad, Tri, QuadImage): the corners in order.
    X1 = 1,
    Y1 = 2,
    X2 = 3,
    Y2 = 4,
    X3 = 5,
    Y3 = 6,
    X4 = 7,
    Y4 = 8,
    Mode = 1,  // of a Blend record: the new blend mode
    // A copy of the draw state, in every record but Blend.
    BottomA = 10,  // bottom colour: alpha, red, green, blue (DrawSlot::BottomA..BottomB)
    BottomR = 11,
    BottomG = 12,
    BottomB = 13,
    TopA = 14,  // top colour (DrawSlot::TopA..TopB)
    TopR = 15,
    TopG = 16,
    TopB = 17,
    Rotation = 18,   // degrees
    HalfThick = 19,
    Spare10 = 20,    // DrawSlot::Spare10
    DepthA = 21,     // the depth pair
    DepthB = 22,
    Spare13 = 23,    // DrawSlot::Spare13..Spare15
    Spare14 = 24,
    Spare15 = 25,
    DrawnFrame = 27, // frame asked of DrawImg; the replay reads Frame
    Slot = 28,       // image slot of Image, QuadImage and ImageBlur
    Frame = 29       // frame within that slot
};
}

// Blend modes of SetBlend, how a drawn colour meets the picture under it.
namespace Blend {
enum : int {
    Alpha = 1,   // mixed by alpha: the default at the start of every frame
    Add = 2,     // colour times alpha added
    SoftAdd = 3  // colour times (1 - colour) added; alpha ignored
};
}
