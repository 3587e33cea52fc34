// Whether a drawing can change any pixel of the screen, so passes over thousands of actors
// may leave out the calls that cannot: the picture stays the same.
#pragma once
#include <memory>

class TImage;

// True when something drawn within `radius` screen pixels of the point (x, y) may reach the
// screen. False without a screen, where drawing does nothing anyway.
bool CircleMayShow(float x, float y, double radius);
// The larger of the current scale factors, by size.
double CurrentScale();
// True when `image`, drawn at (x, y) about its handle with the current rotation and scale,
// may reach the screen. False for a null image, which draws nothing.
bool ImageMayShow(const std::shared_ptr<TImage>& image, float x, float y);
// Radius around its handle that an image covers in any rotation, at scale 1.
double ImageReach(const TImage& image);
// Sets the rotation unless it is already the current one; the state ends up the same.
void SetRotationTo(float degrees);
