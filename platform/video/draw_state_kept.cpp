#include "platform/video/draw_state_kept.h"

#include "platform/video/graphics.h"

TDrawStateKept::TDrawStateKept() {
  if (const TVex2DGraphics* g = CurrentGraphics()) {
    kept_ = true;
    red_ = g->color_red;
    green_ = g->color_green;
    blue_ = g->color_blue;
    alpha_ = g->color_alpha;
    blend_ = g->blend_mode;
    rotation_ = g->tform_rot;
    scaleX_ = g->tform_scale_x;
    scaleY_ = g->tform_scale_y;
  }
}

TDrawStateKept::~TDrawStateKept() {
  if (!kept_) return;
  SetColor(red_, green_, blue_);
  SetAlpha(alpha_);
  SetBlend(blend_);
  SetDrawRotation(rotation_);
  SetDrawScale(scaleX_, scaleY_);
}
