#include "actors/onscreen.h"

#include <algorithm>
#include <cmath>

#include "platform/graphics.h"
#include "platform/image.h"

bool ImageMayShow(const std::shared_ptr<TImage>& image, float x, float y) {
  const TVex2DGraphics* g = CurrentGraphics();
  if (g == nullptr || !image) return false;
  // Turned about its handle the image stays within the circle through its farthest corner.
  const double rx = std::max(std::fabs(image->handle_x), std::fabs(image->width - image->handle_x));
  const double ry = std::max(std::fabs(image->handle_y), std::fabs(image->height - image->handle_y));
  const double scale = std::max(std::fabs(g->tform_scale_x), std::fabs(g->tform_scale_y));
  const double reach = std::hypot(rx, ry) * scale + 2.0;  // a margin for rasterisation
  const double cx = static_cast<double>(x) + g->origin_x;
  const double cy = static_cast<double>(y) + g->origin_y;
  return cx + reach >= 0.0 && cx - reach <= g->g_width && cy + reach >= 0.0 && cy - reach <= g->g_height;
}
