// Whether drawing an image can change any pixel of the screen, so passes over thousands of
// actors may leave out the calls that cannot: the picture stays the same.
#pragma once
#include <memory>

class TImage;

// True when `image`, drawn at (x, y) about its handle with the current rotation and scale,
// may reach the screen. False without a screen or image, where drawing does nothing anyway.
bool ImageMayShow(const std::shared_ptr<TImage>& image, float x, float y);
