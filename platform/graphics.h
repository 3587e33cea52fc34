// The module-level drawing operations the game draws with. They act on the current
// graphics object (TVex2DGraphics) and pass the state on to its driver.
#pragma once
#include <cstdint>
#include <memory>
#include <string_view>

class TImage;

// Opens the screen and makes it current; false when it could not be opened.
bool OpenScreen(int32_t width, int32_t height, int32_t depth, int32_t hertz, int32_t flags);
void CloseScreen();
void Flip(int32_t sync);
void Cls();
void SetColor(int32_t r, int32_t g, int32_t b);
void SetAlpha(float alpha);
void SetBlend(int32_t mode);
void SetDrawRotation(float degrees);
void SetDrawScale(float sx, float sy);
void DrawRect(float x, float y, float w, float h);
void DrawLine(float x1, float y1, float x2, float y2, int32_t lastPixel);
// A null image draws nothing.
void DrawImageFrame(const std::shared_ptr<TImage>& image, float x, float y, int32_t frame);
void DrawString(std::string_view text, float x, float y);
