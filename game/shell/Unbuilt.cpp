// Temporary weak fallbacks so the tree links while areas are being built.
// Every real definition elsewhere replaces these; this file is removed once
// all areas are in.
#include <string>
#include <cstdio>
#include "ZARNCore.h"
#include "sys/ZARNSys.h"
#include "shell/MyGame.h"
#define WEAK __attribute__((weak))
#pragma GCC diagnostic ignored "-Wunused-parameter"
WEAK void ZARNCore::ResetDraw() {}
WEAK void ZARNCore::SetSize(float s) {}
WEAK void ZARNCore::SetSize(float sx, float sy) {}
WEAK void ZARNCore::SetRot(float deg) {}
WEAK void ZARNCore::SetLineThickness(float t) {}
WEAK void ZARNCore::Width(float t) {}
WEAK void ZARNCore::Thick(float t) {}
WEAK void ZARNCore::SetLineWidth(float t) {}
WEAK void ZARNCore::SetLineThick(float t) {}
WEAK void ZARNCore::SetCol(float r, float g, float b) {}
WEAK void ZARNCore::SetCol(float r, float g, float b, float a) {}
WEAK void ZARNCore::SetGradient(float r1, float g1, float b1, float a1, float r2, float g2, float b2, float a2) {}
WEAK void ZARNCore::SetAlpha(float a) {}
WEAK void ZARNCore::Alpha(float a) {}
WEAK float ZARNCore::GetCol(int i) { return 0; }
WEAK void ZARNCore::SetDepth(float d) {}
WEAK void ZARNCore::Depth(float d) {}
WEAK void ZARNCore::SetDepth(float a, float b) {}
WEAK void ZARNCore::Smooth(int n) {}
WEAK void ZARNCore::SetSmooth(int n) {}
WEAK void ZARNCore::SetFont(int n) {}
WEAK void ZARNCore::Ink(int n) {}
WEAK void ZARNCore::HSV2RGB(double h, double s, double v) {}
WEAK void ZARNCore::InkRot(double h) {}
WEAK void ZARNCore::InkRot(double h, double s) {}
WEAK void ZARNCore::InkRot(double h, double s, double v) {}
WEAK void ZARNCore::CLS(float r, float g, float b) {}
WEAK void ZARNCore::SetCLS(float r, float g, float b) {}
WEAK void ZARNCore::FadeCLS(float r, float g, float b, float d) {}
WEAK void ZARNCore::SetCLSRot(float a, float lo, float hi) {}
WEAK void ZARNCore::SetBlend(int m) {}
WEAK void ZARNCore::Rect(float x, float y, float w, float h) {}
WEAK void ZARNCore::Rect(float x, float y, float s) {}
WEAK void ZARNCore::Plot(float x, float y) {}
WEAK void ZARNCore::Rect_UL(float x, float y, float s) {}
WEAK void ZARNCore::Rect_UL(float x, float y, float w, float h) {}
WEAK void ZARNCore::Quad(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4) {}
WEAK void ZARNCore::Oval(float x, float y, float w, float h) {}
WEAK void ZARNCore::Oval(float x, float y, float r) {}
WEAK void ZARNCore::Circle(float x, float y, float r) {}
WEAK void ZARNCore::Circle(float x, float y, float w, float h) {}
WEAK void ZARNCore::Oval_UL(float x, float y, float w, float h) {}
WEAK void ZARNCore::Oval_UL(float x, float y, float r) {}
WEAK void ZARNCore::Circle_UL(float x, float y, float r) {}
WEAK void ZARNCore::FullTri(float x1, float y1, float x2, float y2, float x3, float y3) {}
WEAK void ZARNCore::Tri(float x, float y, float w, float h) {}
WEAK void ZARNCore::Tri_Fix(float x, float y, float w, float h, float k) {}
WEAK void ZARNCore::Fan(float x, float y, float r) {}
WEAK void ZARNCore::Line(float x1, float y1, float x2, float y2) {}
WEAK void ZARNCore::DrawImg(int slot, float x, float y) {}
WEAK void ZARNCore::DrawImg(int slot, float x, float y, int frame) {}
WEAK void ZARNCore::DrawImg(int slot, float x, float y, int frame, float f) {}
WEAK void ZARNCore::DrawBlur(int slot, float x, float y) {}
WEAK void ZARNCore::DrawBlur(int slot, float x, float y, int frame) {}
WEAK void ZARNCore::QuadImg(int slot, float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4, int frame) {}
WEAK void ZARNCore::DrawBuffer() {}
WEAK void ZARNCore::CLSGradient(float r1, float g1, float b1, float a1, float r2, float g2, float b2, float a2) {}
WEAK void ZARNCore::LoadFont(int slot, const char* name) {}
WEAK void ZARNCore::Text(float x, float y, const char* text, float a, float f) {}
WEAK void ZARNCore::Text(float x, float y, const std::string& text, float a, float f) {}
WEAK void ZARNCore::Text(float x, float y, int n, float a, float f) {}
WEAK void ZARNCore::Text(float x, float y, float v, float a, float f) {}
WEAK void ZARNCore::Text(float x, float y, double v, float a, float f) {}
WEAK int ZARNCore::Text(float x, float y, char c, float a, float f) { return 0; }
WEAK float ZARNCore::StringWidth(const char* text) { return 0; }
WEAK float ZARNCore::StringWidth(const std::string& text) { return 0; }
WEAK float ZARNCore::StringWidth(char ch) { return 0; }
WEAK float ZARNCore::CharWidth(char ch) { return 0; }
WEAK float ZARNCore::Sin(float a) { return 0; }
WEAK float ZARNCore::Cos(float a) { return 0; }
WEAK float ZARNCore::Atan2(float y, float x) { return 0; }
WEAK float ZARNCore::aTan2(float y, float x) { return 0; }
WEAK float ZARNCore::Atan2(float x1, float y1, float x2, float y2) { return 0; }
WEAK float ZARNCore::aTan2(float x1, float y1, float x2, float y2) { return 0; }
WEAK float ZARNCore::Mod(float a, float b) { return 0; }
WEAK float ZARNCore::Abs(float f) { return 0; }
WEAK int ZARNCore::Abs(int i) { return 0; }
WEAK float ZARNCore::Dist(float x1, float y1, float x2, float y2) { return 0; }
WEAK float ZARNCore::Pyth(float a, float b) { return 0; }
WEAK float ZARNCore::WhichWayDoIGo(float from, float to) { return 0; }
WEAK float ZARNCore::WhichWayDoIGo(float from, float to, float lo, float hi) { return 0; }
WEAK int ZARNCore::SpiralAt(int x, int y, int w, int h) { return 0; }
WEAK int ZARNCore::Collide_Point_Circle(float px, float py, float cx, float cy, float r) { return 0; }
WEAK int ZARNCore::Collide_Circle_Circle(float x1, float y1, float r1, float x2, float y2, float r2) { return 0; }
WEAK int ZARNCore::Collide_Line_Line(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4) { return 0; }
WEAK int ZARNCore::Collide_Rect_Rect(float x1, float y1, float w1, float h1, float x2, float y2, float w2, float h2) { return 0; }
WEAK int ZARNCore::Collide_Rect_Rect_Complex(float x1, float y1, float w1, float h1, float x2, float y2, float w2, float h2) { return 0; }
WEAK void ZARNCore::SeedRnd(int s) {}
WEAK void ZARNCore::SeedRnd() {}
WEAK float ZARNCore::Rnd(float lo, float hi) { return 0; }
WEAK float ZARNCore::Rnd(float n) { return 0; }
WEAK int ZARNCore::Rand(int lo, int hi) { return 0; }
WEAK int ZARNCore::Rand(int n) { return 0; }
WEAK float ZARNCore::tRnd(float lo, float hi) { return 0; }
WEAK float ZARNCore::tRnd(float n) { return 0; }
WEAK int ZARNCore::tRand(int lo, int hi) { return 0; }
WEAK int ZARNCore::tRand(int n) { return 0; }
WEAK char* ZARNCore::fstr(const char* format, ...) { static char e[1] = {0}; return e; }
WEAK void ZARNCore::tstr(const char* format, ...) {}
WEAK std::string ZARNCore::Left(const std::string& s, int n) { return {}; }
WEAK std::string ZARNCore::Right(const std::string& s, int n) { return {}; }
WEAK std::string ZARNCore::Mid(const std::string& s, int start, int n) { return {}; }
WEAK std::string ZARNCore::Trim(const std::string& s) { return {}; }
WEAK std::string ZARNCore::Strip(const std::string& s) { return {}; }
WEAK std::string ZARNCore::LeftPad(const std::string& s, int n, char ch) { return {}; }
WEAK std::string ZARNCore::RightPad(const std::string& s, int n, char ch) { return {}; }
WEAK std::string ZARNCore::Split(const std::string& s, char sep, int k) { return {}; }
WEAK int ZARNCore::SplitCount(const std::string& s, char sep) { return 0; }
WEAK std::string ZARNCore::iniLeft(const std::string& s) { return {}; }
WEAK std::string ZARNCore::iniRight(const std::string& s) { return {}; }
WEAK std::string ZARNCore::Hex(int n) { return {}; }
WEAK std::string ZARNCore::Bin(int n) { return {}; }
WEAK int ZARNCore::HexToInt(const std::string& s) { return 0; }
WEAK int ZARNCore::BinToInt(const std::string& s) { return 0; }
WEAK int ZARNCore::StrToInt(const std::string& s) { return 0; }
WEAK int ZARNCore::ToInt(const std::string& s) { return 0; }
WEAK std::string ZARNCore::nth(int n) { return {}; }
WEAK int ZARNCore::SixDigitString(const char* s) { return 0; }
WEAK std::string ZARNCore::SixDigitString(int a) { return {}; }
WEAK std::string ZARNCore::SixDigitString(int a, int b) { return {}; }
WEAK std::string ZARNCore::SixDigitString(int a, int b, int c) { return {}; }
WEAK int ZARNCore::Date_Day() { return 0; }
WEAK int ZARNCore::Date_Month() { return 0; }
WEAK int ZARNCore::Date_Year() { return 0; }
WEAK int ZARNCore::Time_Hour() { return 0; }
WEAK int ZARNCore::Time_Minute() { return 0; }
WEAK int ZARNCore::Time_Second() { return 0; }
WEAK std::string ZARNCore::Date_str() { return {}; }
WEAK std::string ZARNCore::Time_str() { return {}; }
WEAK std::string ZARNCore::DateTime_str() { return {}; }
WEAK std::string ZARNCore::DateTime_file() { return {}; }
WEAK std::string ZARNCore::DateTime_fileb() { return {}; }
WEAK int ZARNCore::Print(const std::string& s) { return 0; }
WEAK int ZARNCore::Debuglog(const std::string& s) { return 0; }
WEAK int ZARNCore::DebugLog(const std::string& s) { return 0; }
WEAK int ZARNCore::Debug(const std::string& s) { return 0; }
WEAK int ZARNCore::WriteFile(const char* name) { return 0; }
WEAK int ZARNCore::ReadFile(const char* name) { return 0; }
WEAK void ZARNCore::CloseFile() {}
WEAK void ZARNCore::WriteInt(int value) {}
WEAK void ZARNCore::WriteByte(unsigned char value) {}
WEAK void ZARNCore::WriteBytes(const unsigned char* bytes, int count) {}
WEAK void ZARNCore::WriteString(const std::string& text) {}
WEAK void ZARNCore::WriteLine(const std::string& text) {}
WEAK void ZARNCore::BulkClear() {}
WEAK void ZARNCore::BulkInt(int value) {}
WEAK void ZARNCore::BulkWrite() {}
WEAK int ZARNCore::ReadInt() { return 0; }
WEAK int ZARNCore::ReadByte() { return 0; }
WEAK std::string ZARNCore::ReadLine() { return {}; }
WEAK int ZARNCore::ReadString() { return 0; }
WEAK int ZARNCore::FilePos() { return 0; }
WEAK void ZARNCore::FileSeek(int offset) {}
WEAK void ZARNCore::SetKeyword(const char* keyword) {}
WEAK void ZARNCore::Rescramble() {}
WEAK std::string ZARNCore::ScrambleTxt(const std::string& text) { return {}; }
WEAK std::string ZARNCore::UnscrambleTxt(const std::string& text) { return {}; }
WEAK int ZARNCore::Checksum(const std::string& text, int key) { return 0; }
WEAK int ZARNCore::Checksum(const std::string& text) { return 0; }
WEAK std::string ZARNCore::JNKrunch(const std::string& text) { return {}; }
WEAK std::string ZARNCore::JuNKrunch(const std::string& packed) { return {}; }
WEAK char ZARNCore::Char64(int value) { return 0; }
WEAK char ZARNCore::Char64b(int value) { return 0; }
WEAK int ZARNCore::Int64(char c) { return 0; }
WEAK std::string ZARNCore::Char64x4(int value) { return {}; }
WEAK int ZARNCore::Int64x4(const std::string& chars) { return 0; }
WEAK void ZARNCore::LoadImg(int slot, const char* name, int frameSize) {}
WEAK void ZARNCore::LoadImgFull(int slot, const char* name, int frameSize) {}
WEAK void ZARNCore::TakeScreenshot() {}
WEAK void ZARNCore::CopyBuffer() {}
WEAK void ZARNCore::CreateBuffer(int slot, int size) {}
WEAK void ZARNCore::BufferCLS(int slot) {}
WEAK void ZARNCore::BufferFill(int slot, int r, int g, int b, int a) {}
WEAK void ZARNCore::BufferLine(int slot, float x1, float y1, float x2, float y2) {}
WEAK void ZARNCore::BufferPlot(int slot, float x, float y) {}
WEAK void ZARNCore::BufferTile(int dst, int src, float x, float y, int frame) {}
WEAK void ZARNCore::SetWindow(int w, int h) {}
WEAK std::string ZARNCore::GetURL(const char* host, const char* path, const char* data) { return {}; }
WEAK int ZARNCore::OpenBrowser(const char* url) { return 0; }
WEAK std::string ZARNCore::MyName() { return {}; }
WEAK void ZARNSys::RenderBuffer() {}
WEAK void ZARNSys::RenderSys(float overscan) {}
WEAK void ZARNSys::RenderRect(int i) {}
WEAK void ZARNSys::RenderQuad(int i) {}
WEAK void ZARNSys::RenderOval(int i) {}
WEAK void ZARNSys::RenderFan(int i) {}
WEAK void ZARNSys::RenderTri(int i) {}
WEAK void ZARNSys::RenderImage(int i) {}
WEAK void ZARNSys::RenderQuadImage(int i) {}
WEAK void ZARNSys::RenderImageBlur(int i) {}
WEAK void ZARNSys::GetPNG(int slot, const char* path, unsigned frameSize) {}
WEAK void ZARNSys::SavePNG(const char* path, int slot, int w, int h) {}
WEAK void ZARNSys::Screenshot() {}
WEAK void ZARNSys::GrabBuffer() {}
WEAK void ZARNSys::ScreenToBuffer() {}
WEAK void ZARNSys::Buffer_Create(int slot, int size) {}
WEAK void ZARNSys::Buffer_Fill(int slot, int r, int g, int b, int a) {}
WEAK void ZARNSys::Buffer_Line(int slot, float x1, float y1, float x2, float y2, float r, float g, float b, float a) {}
WEAK void ZARNSys::Buffer_Plot(int slot, float x, float y, float r, float g, float b, float a) {}
WEAK void ZARNSys::Buffer_Tile(int dst, int src, float x, float y, int frame) {}
WEAK int ZARNSys::WriteFile_Sys(const char* path) { return 0; }
WEAK int ZARNSys::ReadFile_Sys(const char* path) { return 0; }
WEAK void ZARNSys::CloseFile_Sys() {}
WEAK void ZARNSys::WriteInt_Sys(int value) {}
WEAK void ZARNSys::WriteByte_Sys(unsigned char value) {}
WEAK void ZARNSys::WriteBytes_Sys(const unsigned char* bytes, int count) {}
WEAK void ZARNSys::WriteString_Sys(const char* text) {}
WEAK void ZARNSys::BulkClear_Sys() {}
WEAK void ZARNSys::BulkInt_Sys(int value) {}
WEAK void ZARNSys::BulkWrite_Sys() {}
WEAK int ZARNSys::ReadInt_Sys() { return 0; }
WEAK int ZARNSys::ReadIntb_Sys() { return 0; }
WEAK int ZARNSys::ReadByte_Sys() { return 0; }
WEAK std::string ZARNSys::ReadString_Sys() { return {}; }
WEAK int ZARNSys::FilePos_Sys() { return 0; }
WEAK void ZARNSys::FileSeek_Sys(int offset) {}
WEAK void ZARNSys::URLData(const char* host, const char* path) {}
WEAK void ZARNSys::URLDataOld(const char* host, const char* path) {}
WEAK void MyGame::GetLev(int advance) {}
WEAK void MyGame::DoGame() {}
WEAK void MyGame::LoadGame() {}
WEAK void MyGame::Ingame() {}
WEAK void MyGame::DoMenu() {}
WEAK void MyGame::LoadMenu() {}
WEAK void MyGame::PauseMenu() {}
WEAK void MyGame::LoadingScreen() {}
WEAK void MyGame::MakePlatBG() {}
WEAK void MyGame::Options() {}
WEAK void MyGame::Credits() {}
WEAK void MyGame::RedefineKeys() {}
WEAK void MyGame::EnterYourName() {}
WEAK void MyGame::KeyDefaults() {}
WEAK void MyGame::AddDefaultCredits() {}
WEAK void MyGame::SaveBit() {}
WEAK void MyGame::Load() {}
WEAK void MyGame::SendScores(int board) {}
WEAK const char* readTag(FILE*) { return ""; }
WEAK int readInt(FILE*) { return -37171; }
WEAK int readShort(FILE*) { return -37171; }
WEAK void skipBytes(int, FILE*) {}
WEAK void ClearImageTable() {}
