// The HUD's place on the screen, for what is drawn beside it (the replay viewer's time bar).
#pragma once

// The extended HUD's corner line (score, enemies left) starts this many pixels above the
// screen's bottom edge.
inline constexpr int kHudCornerRise = 24;
