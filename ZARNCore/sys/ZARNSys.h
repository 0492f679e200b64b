// ZARNSys: the platform layer under ZARNCore. It owns the window, the
// renderer, the image and sound tables, the input devices, the open file and
// the HTTP exchange. This header stays free of GLFW, GL and AL types so that
// the framework and the game never see them.
#pragma once

#include <cstdio>
#include <string>

#include "Buttons.h"
#include "DrawCodes.h"

constexpr int ImageSlots = 105;
constexpr int SoundSlots = 105;
constexpr int DrawCmdSize = 30;             // doubles in one recorded command
constexpr int DrawListDoubles = 500000;     // recording list
constexpr int DrawListRecords = DrawListDoubles / DrawCmdSize;  // 16,666
constexpr int ReplayRecords = 50000;        // replay copy

class ZARNSys {
public:
    ZARNSys();

    // ---- Window and display ----
    float TargetScale = 800;
    float ImageZoom = 1;
    float Ratio = 1;
    int FrameW = 0, FrameH = 0;
    float offx = 0, offy = 0;

    void SysInit(const char* title);
    void SetScreen(int w, int h);
    void FlipFull();
    void HiResRender();
    void Force1920();  // does nothing; kept as a name of the platform's interface
    void Close();
    // Sleeps ms between passes of the loop; a browser page, whose passes
    // the browser schedules, returns at once.
    void RestSys(int ms);
    // True once a window exists; the launch refuses to loop without one.
    bool HasWindow();
    int Debuglog(const char* text);

    // ---- Draw state, recording list and replay ----
    float DrawSet[DrawSlot::Count] = {};
    double Draw[DrawListDoubles] = {};
    int DrawTo = 0;
    int CurBlend = 1;
    int FontImage = 0;
    int PolyCount = 0, ObjCount = 0;

    void RenderBuffer();
    void RenderSys(float overscan);
    void RenderRect(int i);
    void RenderQuad(int i);
    void RenderOval(int i);
    void RenderFan(int i);
    void RenderTri(int i);
    void RenderImage(int i);
    void RenderQuadImage(int i);
    void RenderImageBlur(int i);

    // ---- Images, screenshots and pixel buffers ----
    int iFrames[ImageSlots] = {};
    float iSizeScaled[ImageSlots] = {};
    int iFramesSquare[ImageSlots] = {};
    // Room for the longest home folder and "/Screenshot_<game>_<date>.png";
    // empty when the name would not fit (no screenshot is then taken).
    char ScreenshotName[4098 + 64] = {};

    void GetPNG(int slot, const char* path, unsigned frameSize);
    void SavePNG(const char* path, int slot, int w, int h);
    void Screenshot();
    void GrabBuffer();
    void ScreenToBuffer();
    void Buffer_Create(int slot, int size);
    void Buffer_Fill(int slot, int r, int g, int b, int a);
    void Buffer_Line(int slot, float x1, float y1, float x2, float y2, float r, float g, float b, float a);
    void Buffer_Plot(int slot, float x, float y, float r, float g, float b, float a);
    void Buffer_Tile(int dst, int src, float x, float y, int frame);

    // ---- Input devices and key definitions ----
    int Button[128] = {};
    PointerRecord Touch[10] = {};
    ControllerRecord Joy[4] = {};
    int redef[64][16] = {};
    float Keyv[8][16] = {};

    // One poll: the devices read in turn, with the window changes their
    // keys ask for (sys/DevicePoll.cpp).
    void PollInputB(int invertY);
    void ReadPointer();
    // True on the first poll with the full-screen key down.
    bool ReadFixedKeys();
    void ReadFocus();
    // True, with the size, on the first poll of a developer window-size key.
    bool ReadWindowSizeKeys(int& w, int& h);
    void ReadControllers(int invertY);
    void ReadController(int j, int invertY);
    void FlushKeys();
    int IsBut(int entry);
    float vKey(int key);
    float vKey(int key, int row);
    void ClearKeys();
    void DefineKey(int key, int code);
    void LockAll();
    int AnyKey();
    void PollRedef();
    std::string ButtonName(int code);
    void BumpCursorSys();

    // ---- Sound effects ----
    void GetWAV(int slot, const char* path);
    void PlayWAV(int slot, float pitch, float volume, float pan, int loop);

    // ---- Music streaming ----
    int MusicPlaying = 0;
    int MusicLoop = 0;
    int MusicBufferTo = 0;
    float MusicSet[10] = {};
    float MusicVolB = 0;

    void PlayMusic_Ogg_Sys(const char* path, int loop);
    void PlayMusic_Wav_Sys(const char* path, int loop);
    void BufferMusic_Ogg_Sys();
    void BufferMusic_Wav_Sys();
    void HandleMusicSys();
    void StopMusicSys();

    // ---- File layer ----
    int WriteFile_Sys(const char* path);
    int ReadFile_Sys(const char* path);
    // 1 when the file (if any) is closed whole; 0, with the failure logged,
    // when a file being written lost any of its bytes.
    int CloseFile_Sys();
    void WriteInt_Sys(int value);
    void WriteByte_Sys(unsigned char value);
    void WriteBytes_Sys(const unsigned char* bytes, int count);
    void WriteString_Sys(const char* text);
    void BulkClear_Sys();
    void BulkInt_Sys(int value);
    void BulkWrite_Sys();
    int ReadInt_Sys();
    int ReadIntb_Sys();
    int ReadByte_Sys();
    std::string ReadString_Sys();
    int FilePos_Sys();
    void FileSeek_Sys(int offset);

    // ---- HTTP exchange ----
    std::string WebData;
    void URLData(const char* host, const char* path);
    // URLData with a plain blocking connect; nothing calls it, kept as a name
    // of the platform's interface.
    void URLDataOld(const char* host, const char* path);
    // The same exchange on the network worker thread (see sys/HttpClient.h).
    void URLDataAsync(const char* host, const char* path);
    // 1 when a worker exchange has finished and been applied to WebData.
    int URLDataDone();
    // 1 while a worker exchange runs, waits, or has a reply not yet collected.
    int URLDataBusy();
    // A POST of body to host, on the same worker, sent ahead of the next
    // exchange; an upload of the same tag still waiting is replaced. A
    // browser build routes it through the page's fetch instead.
    void URLUploadAsync(const char* host, const char* path, const std::string& body, int tag);
    // 1 when an upload has finished since the last call: its tag, the
    // server's status (0 when no reply came) and the body that was sent.
    int URLUploadDone(int& tag, int& status, std::string& body);
};

extern ZARNSys ASys;

// Log line counter shared by every writer of "% 8i> %s" lines.
extern int DebugMessages;

// Little-endian readers for chunked files (WAV) on a caller's stream.
const char* readTag(FILE* stream);
int readInt(FILE* stream);
int readShort(FILE* stream);
void skipBytes(int n, FILE* stream);
