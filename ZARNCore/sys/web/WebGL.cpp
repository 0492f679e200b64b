// The calls of the renderer that the browser's emulation of legacy OpenGL
// lacks, or makes slow.
#include <GL/gl.h>
#include <emscripten.h>

extern "C" {

// Only the float forms exist; a GL implementation keeps positions as floats
// anyway.
void glVertex2d(GLdouble x, GLdouble y) { glVertex2f(GLfloat(x), GLfloat(y)); }

// WebGL 1 has one colour buffer, which glReadPixels reads; the emulation's
// own glReadBuffer throws and would stop the page's loop for good.
void glReadBuffer(GLenum) {}

// WebGL's isTexture waits for the GPU to catch up (in Chromium a round trip
// to its GPU process): asked once a render by the texture cache, it took
// most of every frame. A page has one WebGL context for its canvas, even
// across a new window, so a name is a texture exactly while the browser
// library's table of names holds it.
GLboolean glIsTexture(GLuint texture) { return GLboolean(EM_ASM_INT({ return GL.textures[$0] ? 1 : 0; }, texture)); }
}
