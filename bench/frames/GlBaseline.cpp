// The floor under the game's memory figures: a bare GLFW program that opens
// an 800 x 600 window and draws one blended, textured quad for 200 frames,
// then prints its peak resident memory. Whatever this reaches belongs to the
// GL driver (with llvmpipe, mostly LLVM), not to the game.
#include <GLFW/glfw3.h>

#include <cstdio>
#include <vector>

#include "ProcStatus.h"

int main() {
    if (!glfwInit()) return 2;
    GLFWwindow* window = glfwCreateWindow(800, 600, "GL baseline", nullptr, nullptr);
    if (!window) {
        glfwTerminate();
        return 2;
    }
    glfwMakeContextCurrent(window);

    std::vector<unsigned char> pixels(256 * 256 * 4);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = (unsigned char)(i * 7);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 256, 256, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0);

    for (int frame = 0; frame < 200; ++frame) {
        glClear(GL_COLOR_BUFFER_BIT);
        glBegin(GL_TRIANGLES);
        glColor4ub(255, 255, 255, 80);
        const float corners[6][4] = {{0, 0, -1, -1}, {1, 0, 1, -1}, {1, 1, 1, 1},
                                     {0, 0, -1, -1}, {1, 1, 1, 1},  {0, 1, -1, 1}};
        for (const auto& c : corners) {
            glTexCoord2f(c[0], c[1]);
            glVertex2f(c[2], c[3]);
        }
        glEnd();
        glfwSwapBuffers(window);
        glfwPollEvents();
    }
    std::printf("A bare window drawing one textured quad (the GL driver's share): peak RSS (VmHWM) %.1f MB\n",
                StatusKb("self", "VmHWM:") / 1024.0);
    glfwDestroyWindow(window);
    glfwTerminate();
    return 0;
}
