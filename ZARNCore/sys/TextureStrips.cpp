#include "sys/TextureStrips.h"

#include <algorithm>
#include <deque>

#include "sys/ImageTable.h"
#include "sys/RendererGlobals.h"
#include "sys/SysGlobals.h"

namespace {

struct Pending {
    int Slot;
    unsigned Version;  // the slot's pixels these strips are of
    GLuint Name = 0;   // a texture of the current context; 0 until the first strip
    int Side = 0;
    int Rows = 0;      // rows sent so far, from the top
};

// Main thread only, like all GL work.
std::deque<Pending> Queue;

bool StillCurrent(const Pending& p) {
    return ImageVersion[p.Slot] == p.Version && SlotHasPixels(p.Slot) && (p.Name == 0 || iSize[p.Slot] == p.Side);
}

void Drop(Pending& p) {
    if (p.Name) glDeleteTextures(1, &p.Name);
    p.Name = 0;
}

// Sends up to `rows` more rows of the slot's pixels, making the texture
// first if need be; returns the bytes sent.
long SendRows(Pending& p, long rows) {
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    if (p.Name == 0) {
        p.Side = iSize[p.Slot];
        p.Rows = 0;
        glGenTextures(1, &p.Name);
        glBindTexture(GL_TEXTURE_2D, p.Name);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, p.Side, p.Side, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    } else {
        glBindTexture(GL_TEXTURE_2D, p.Name);
    }
    rows = std::min(rows, long(p.Side - p.Rows));
    const size_t rowBytes = size_t(p.Side) * 4;
    if (rows > 0) {
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, p.Rows, p.Side, int(rows), GL_RGBA, GL_UNSIGNED_BYTE,
                        Image[p.Slot].data() + rowBytes * size_t(p.Rows));
        p.Rows += int(rows);
    }
    glBindTexture(GL_TEXTURE_2D, GLuint(bound));
    return long(rowBytes) * std::max(rows, 0L);
}

}  // namespace

void UploadInStrips(int slot) {
    if (slot < 0 || slot > 99) return;
    for (auto it = Queue.begin(); it != Queue.end(); ++it) {
        if (it->Slot != slot) continue;
        Drop(*it);
        Queue.erase(it);
        break;
    }
    Queue.push_back(Pending{slot, ImageVersion[slot]});
}

void UploadStripsAhead() {
    if (!Win.window || Queue.empty()) return;
    for (auto it = Queue.begin(); it != Queue.end();) {
        if (StillCurrent(*it)) {
            ++it;
        } else {
            Drop(*it);
            it = Queue.erase(it);
        }
    }
    long budget = StripBytesPerRender;
    for (Pending& p : Queue) {
        if (budget <= 0) break;
        if (p.Name != 0 && p.Rows == p.Side) continue;
        const long rowBytes = long(iSize[p.Slot]) * 4;
        const long sent = SendRows(p, std::max(budget / rowBytes, 1L));
        budget -= sent;
        Replayer.TexUploadBytes += sent;
    }
}

unsigned TakeStripTexture(int slot) {
    for (auto it = Queue.begin(); it != Queue.end(); ++it) {
        if (it->Slot != slot) continue;
        Pending p = *it;
        Queue.erase(it);
        if (!StillCurrent(p) || p.Name == 0) {
            Drop(p);
            return 0;
        }
        if (p.Rows < p.Side) {
            Replayer.TexUploads += 1;
            Replayer.TexUploadBytes += SendRows(p, p.Side - p.Rows);
        }
        return p.Name;
    }
    return 0;
}

void ForgetStripTextures() {
    for (Pending& p : Queue) {
        p.Name = 0;
        p.Rows = 0;
    }
}
