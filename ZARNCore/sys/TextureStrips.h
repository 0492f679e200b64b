// A newly loaded picture reaches its texture a strip of rows at a time,
// after the frames that come before its first draw, instead of in one
// upload inside the frame that first draws it: on a software rasteriser a
// 1024 x 1024 upload alone costs a few milliseconds. The texture ends up
// holding exactly the pixels a whole upload would give it.
#pragma once

// Rows uploaded ahead per render, at most (about a millisecond's worth).
constexpr long StripBytesPerRender = 1536 * 1024;

// Queues a slot whose pixels were just loaded (slots 0-99). A slot whose
// pixels change again before its strips are done starts over or, if it is
// drawn first, is uploaded whole as before.
void UploadInStrips(int slot);

// One render's share of the queued strips, oldest slot first; after the
// render has presented its frame. Needs the window's context current.
void UploadStripsAhead();

// For the renderer, about to upload a slot's current pixels whole: the
// name of a texture of the current context that holds them (the rows not
// yet sent are sent now), which the caller then owns; 0 if there is none.
unsigned TakeStripTexture(int slot);

// The window and its context are about to go: their texture names die
// with them. Queued slots start their strips again in the next context.
void ForgetStripTextures();
