// ZARNCore: the framework API the game derives from. It keeps its own state
// at the start of the one game object and forwards platform work to ASys.
#pragma once

#include <string>

#include "Buttons.h"

// Sentinels shared across the framework.
constexpr int NothingRead = -37171;   // a read found nothing
constexpr int NoCrossing = -3717;     // a line test found no crossing point
extern const char* const MissingField; // "-=+=-": a text field that is not there

// Index (0-29) of the text-ring buffer that fstr/tstr/ReadString used last.
extern int TempstrUse;

class ZARNCore {
public:
    // ---- Core object, start-up, timing and shutdown ----
    char GameTitle[1024] = {};
    int GameNum = 0;
    int GameVersion = 0;
    char GameKey[1024] = {};
    char GameScramble[64] = {};
    char Tempstr[30][16384] = {};

    int UpdateSec = 0, UpdateCount = 0;
    int RenderSec = 0, RenderCount = 0;
    int PolyCountR = 0;
    int Active = 0;
    int NextUpdate = 0, NextRender = 0;
    int GameBreak = 0, LoadTo = 0;
    int ShowStats = 0;
    int ScreenshotMode = 0;
    int MixJoy = 0;
    int RealW = 0, RealH = 0;
    int jscrWide = 0, jscrHigh = 0;
    char home[4098] = {};
    // The folder that holds Data/<game> when it is not the home directory
    // (an installed game); empty means the home directory.
    char datahome[4098] = {};
    const char* DataRoot() const { return datahome[0] ? datahome : home; }
    float OverscanFrac = 0;
    float ScreenW = 0, ScreenH = 0;
    // Master volumes 0..1, refreshed from the settings on every loop pass.
    float SfxLevel = 0, MusicLevel = 0;
    float LastColPointX = 0, LastColPointY = 0;

    void Begin(int number, const char* title);
    void Terminate();
    int Mills();
    int StartTick();
    void Rest(int ms);
    void SetTitle(const char* title);
    std::string GetTitle();
    void SetNum(int number);
    int GetNum();
    void BufferGame();
    void RenderGame(float& width, float& height);
    void FlipFullscreen();
    // Derives the canvas size for the next update from the framebuffer size
    // the last replay saw (the second half of RenderGame).
    void ApplyCanvas(float& width, float& height);

    // ---- Draw state and command recording ----
    void ResetDraw();
    void SetSize(float s);
    void SetSize(float sx, float sy);
    void SetRot(float deg);
    void SetLineThickness(float t);  // other names: see the end of the class
    void SetCol(float r, float g, float b);
    void SetCol(float r, float g, float b, float a);
    void SetGradient(float r1, float g1, float b1, float a1, float r2, float g2, float b2, float a2);
    void SetAlpha(float a);
    void Alpha(float a);
    float GetCol(int i);
    void SetDepth(float d);
    void Depth(float d);
    void SetDepth(float a, float b);
    void Smooth(int n);
    void SetSmooth(int n);
    void SetFont(int n);
    void Ink(int n);
    void HSV2RGB(double h, double s, double v);
    void InkRot(double h);
    void InkRot(double h, double s);
    void InkRot(double h, double s, double v);
    void CLS(float r, float g, float b);
    void SetCLS(float r, float g, float b);
    void FadeCLS(float r, float g, float b, float d);
    void SetCLSRot(float a, float lo, float hi);
    void SetBlend(int m);

    void Rect(float x, float y, float w, float h);
    void Rect(float x, float y, float s);
    void Plot(float x, float y);
    void Rect_UL(float x, float y, float s);
    void Rect_UL(float x, float y, float w, float h);
    void Quad(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4);
    void Oval(float x, float y, float w, float h);
    void Oval(float x, float y, float r);
    void Circle(float x, float y, float r);
    void Circle(float x, float y, float w, float h);
    void Oval_UL(float x, float y, float w, float h);
    void Oval_UL(float x, float y, float r);
    void Circle_UL(float x, float y, float r);
    void FullTri(float x1, float y1, float x2, float y2, float x3, float y3);
    void Tri(float x, float y, float w, float h);
    void Tri_Fix(float x, float y, float w, float h, float k);
    void Fan(float x, float y, float r);
    void Line(float x1, float y1, float x2, float y2);
    void DrawImg(int slot, float x, float y);
    void DrawImg(int slot, float x, float y, int frame);
    void DrawImg(int slot, float x, float y, int frame, float f);
    void DrawBlur(int slot, float x, float y);
    void DrawBlur(int slot, float x, float y, int frame);
    void QuadImg(int slot, float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4, int frame);
    void DrawBuffer();
    void CLSGradient(float r1, float g1, float b1, float a1, float r2, float g2, float b2, float a2);

    // ---- Fonts and text ----
    void LoadFont(int slot, const char* name);
    void Text(float x, float y, const char* text, float a = 0, float f = 1);
    void Text(float x, float y, const std::string& text, float a = 0, float f = 1);
    void Text(float x, float y, int n, float a = 0, float f = 1);
    void Text(float x, float y, float v, float a = 0, float f = 1);
    void Text(float x, float y, double v, float a = 0, float f = 1);
    int Text(float x, float y, char c, float a = 1, float f = 1);
    float StringWidth(const char* text);
    float StringWidth(const std::string& text);
    float StringWidth(char ch);
    float CharWidth(char ch);

    // ---- Maths, random numbers, strings and dates ----
    float Sin(float a);
    float Cos(float a);
    float Atan2(float y, float x);
    float aTan2(float y, float x);
    float Atan2(float x1, float y1, float x2, float y2);
    float aTan2(float x1, float y1, float x2, float y2);
    float Mod(float a, float b);
    float Abs(float f);
    int Abs(int i);
    float Dist(float x1, float y1, float x2, float y2);
    float Pyth(float a, float b);
    float WhichWayDoIGo(float from, float to);
    float WhichWayDoIGo(float from, float to, float lo, float hi);
    int SpiralAt(int x, int y, int w, int h);

    int Collide_Point_Circle(float px, float py, float cx, float cy, float r);
    int Collide_Circle_Circle(float x1, float y1, float r1, float x2, float y2, float r2);
    int Collide_Line_Line(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4);
    int Collide_Rect_Rect(float x1, float y1, float w1, float h1, float x2, float y2, float w2, float h2);
    int Collide_Rect_Rect_Complex(float x1, float y1, float w1, float h1, float x2, float y2, float w2, float h2);

    void SeedRnd(int s);
    void SeedRnd();
    float Rnd(float lo, float hi);
    float Rnd(float n);
    int Rand(int lo, int hi);
    int Rand(int n);
    float tRnd(float lo, float hi);
    float tRnd(float n);
    int tRand(int lo, int hi);
    int tRand(int n);

    char* fstr(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void tstr(const char* format, ...) __attribute__((format(printf, 2, 3)));
    std::string Left(const std::string& s, int n);
    std::string Right(const std::string& s, int n);
    std::string Mid(const std::string& s, int start, int n);
    std::string Trim(const std::string& s);
    std::string Strip(const std::string& s);
    std::string LeftPad(const std::string& s, int n, char ch);
    std::string RightPad(const std::string& s, int n, char ch);
    std::string Split(const std::string& s, char sep, int k);
    int SplitCount(const std::string& s, char sep);
    std::string iniLeft(const std::string& s);
    std::string iniRight(const std::string& s);
    std::string Hex(int n);
    std::string Bin(int n);
    int HexToInt(const std::string& s);
    int BinToInt(const std::string& s);
    int StrToInt(const std::string& s);
    int ToInt(const std::string& s);
    std::string nth(int n);
    int SixDigitString(const char* s);
    std::string SixDigitString(int a);
    std::string SixDigitString(int a, int b);
    std::string SixDigitString(int a, int b, int c);

    int Date_Day();
    int Date_Month();
    int Date_Year();
    int Time_Hour();
    int Time_Minute();
    int Time_Second();
    std::string Date_str();
    std::string Time_str();
    std::string DateTime_str();
    std::string DateTime_file();
    std::string DateTime_fileb();
    // Writes s to the log; returns 1. Other names: see the end of the class.
    int Debuglog(const std::string& s);

    // ---- File layer ----
    int WriteFile(const char* name);
    int ReadFile(const char* name);
    // 1 when everything written since WriteFile reached the file; 0 when
    // some of it did not (the file is then not to be trusted).
    int CloseFile();
    void WriteInt(int value);
    void WriteByte(unsigned char value);
    void WriteBytes(const unsigned char* bytes, int count);
    void WriteString(const std::string& text);
    void WriteLine(const std::string& text);
    void BulkClear();
    void BulkInt(int value);
    void BulkWrite();
    int ReadInt();
    int ReadByte();
    std::string ReadLine();
    int ReadString();
    int FilePos();
    void FileSeek(int offset);

    // ---- Text scrambling, checksums and number encodings ----
    void SetKeyword(const char* keyword);
    void Rescramble();
    std::string ScrambleTxt(const std::string& text);
    std::string UnscrambleTxt(const std::string& text);
    int Checksum(const std::string& text, int key);
    int Checksum(const std::string& text);
    std::string JNKrunch(const std::string& text);
    std::string JuNKrunch(const std::string& packed);
    char Char64(int value);
    char Char64b(int value);
    int Int64(char c);
    std::string Char64x4(int value);
    int Int64x4(const std::string& chars);

    // ---- Input ----
    void PollInput(int invertY);
    int PlayKey(int entry);
    int PlayKeyAll(int entry);
    float Joy(int key);
    void SetKey(int key, int code);
    int KeyValue(int key, int slot);
    void FlushKeys();
    std::string KeyName(int code);
    void LockForGet();
    int GetKey();
    float StickX();
    float StickY();
    int JoyDown(int button);
    int JoyDown(int button, int pad);
    float JoyAxis(int axis);
    float JoyAxis(int axis, int pad);
    float MouseX(int p = 0);
    float MouseY(int p = 0);
    int MouseDown(int p = 0);
    int MouseDown_Alt(int p = 0);
    int MouseHeld(int p = 0);
    float TouchX(int p = 0);
    float TouchY(int p = 0);
    int TouchDown(int p = 0);
    int TouchDown_Alt(int p = 0);
    int TouchHeld(int p = 0);
    int mdall();
    int MouseIn(float x, float y, float w, float h);
    int MouseIn_Centered(float cx, float cy, float w, float h);
    int MouseIn_Radius(float cx, float cy, float r);
    int Button(int image, float x, float y, int frame);
    void BumpCursor();

    // ---- Images, screenshots and pixel buffers ----
    void LoadImg(int slot, const char* name, int frameSize);
    void LoadImgFull(int slot, const char* name, int frameSize);
    // Reading and decoding ahead, on a worker, the file of a LoadImg or
    // LoadFont (frame size 32) or LoadSFX(n) that follows later in the same
    // order; the load itself then only puts it in place. StopDecodingAhead
    // drops what was not loaded and ends the worker.
    void DecodeImgAhead(const char* name, int frameSize);
    void DecodeSFXAhead(int n);
    void StopDecodingAhead();
    int DecodesQueued();  // files queued ahead and not yet loaded
    void TakeScreenshot();
    void CopyBuffer();
    void CreateBuffer(int slot, int size);
    void BufferCLS(int slot);
    void BufferFill(int slot, int r, int g, int b, int a);
    void BufferLine(int slot, float x1, float y1, float x2, float y2);
    void BufferPlot(int slot, float x, float y);
    void BufferTile(int dst, int src, float x, float y, int frame);
    void SetWindow(int w, int h);

    // ---- Sound effects and music ----
    void LoadSFX(int n);
    void LoadSFX(int n, const char* name);
    void PlaySFX(int n);
    void PlaySFX(int n, float pitch);
    void PlaySFX(int n, float pitch, float vol);
    void PlaySFX(int n, float pitch, float vol, float pan);
    void PlaySFX(int n, float pitch, float vol, float pan, int loop);
    void PlayMusic(const char* name);
    void PlayMusic(const char* name, int loop);
    void StopMusic();
    void MusicHandler();
    void MusicPitch(float p);
    void MusicVolume(float v);
    void MusicPan(float p);

    // ---- Online: HTTP request and helpers ----
    std::string GetURL(const char* host, const char* path, const char* data);
    // GetURL without waiting: the exchange runs on the network worker. At
    // most one runs at a time; a request made meanwhile waits for it, and
    // only the newest one waits.
    void RequestURL(const char* host, const char* path, const char* data);
    // 1 when a requested exchange has finished since the last call: WebData
    // then holds its data (or the previous data if nothing could be sent)
    // and is copied to reply. 0 otherwise.
    int URLReply(std::string& reply);
    // 1 while a requested exchange has not been collected by URLReply.
    int URLPending();
    // Sends bytes to host with a POST of path (a file of the game's, such as
    // a journal), on the network worker ahead of the next exchange. tag
    // names it in the answer; a waiting upload of the same tag is replaced.
    void UploadURL(const char* host, const char* path, const std::string& bytes, int tag);
    // 1 when an upload has finished since the last call: its tag, the
    // server's status code (0 when no reply came) and the bytes sent.
    int UploadReply(int& tag, int& status, std::string& bytes);
    int OpenBrowser(const char* url);
    std::string MyName();

    // ---- Other names ----
    // Other spellings of calls above, kept so that code written against any
    // of them still builds. Each does exactly what the call it names does;
    // new code calls that one. Build with ZARN_DISABLE_OTHER_NAMES to check
    // that nothing still needs them.
#ifndef ZARN_DISABLE_OTHER_NAMES
    // SetLineThickness:
    void Width(float t);
    void Thick(float t);
    void SetLineWidth(float t);
    void SetLineThick(float t);
    // Debuglog:
    int Print(const std::string& s);
    int DebugLog(const std::string& s);
    int Debug(const std::string& s);
#endif
};
