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
WEAK void ClearImageTable() {}
