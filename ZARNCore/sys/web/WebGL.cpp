// The calls of the renderer that the browser's emulation of legacy OpenGL
// lacks.
#include <GL/gl.h>

extern "C" {

// Only the float forms exist; a GL implementation keeps positions as floats
// anyway.
void glVertex2d(GLdouble x, GLdouble y) { glVertex2f(GLfloat(x), GLfloat(y)); }

// WebGL 1 has one colour buffer, which glReadPixels reads; the emulation's
// own glReadBuffer throws and would stop the page's loop for good.
void glReadBuffer(GLenum) {}
}
