// What the game's screens show, told apart in screenshots of its window at the
// size of the shipped config.txt.
#pragma once
#include <string>

#include "game_run.h"

constexpr int kW = 1024;
constexpr int kH = 768;

bool HaveDisplay();
// The heads-up display's bars have the colour (v, 255 - v, 128), both parts
// truncated.
bool IsHudColour(const TRgb& c);
// Play: the hit point bar and the first weapon's bar at the top left.
bool ShowsHud(const TPixmap& shot);
// The first weapon's bar is shorter than full: a round is spent.
bool SpentARound(const TPixmap& shot);
// The score screen: white text right of and below the centre, and no display.
bool ShowsScore(const TPixmap& shot);
// Paused: "Pause" centred over the last frame of play.
bool ShowsPause(const TPixmap& shot);
// White text in the top right corner, where notices go (the sound keys' "Ton aus", ...).
bool ShowsNotice(const TPixmap& shot);
bool ShowsScoreAndNotice(const TPixmap& shot);
// Nothing but the score: the left half of the score screen is black.
bool LeftHalfIsBlack(const TPixmap& shot);
// Screenshots of the window, saved as build/screenshots/<name>, until one shows
// what `seen` looks for; null when the program ends or a minute passes first.
TPixmapPtr WaitFor(TGameProcess& game, const std::string& window, const std::string& name,
                   bool (*seen)(const TPixmap&));
// Escape ends play, the score screen shows (saved as shotName), Enter ends the
// program with 0.
void EndTheGame(TGameProcess& game, const std::string& window, const std::string& shotName);
