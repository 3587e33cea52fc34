// The report of a game's state when play ends, written by the game (--report) and by the
// simulator in the same format, so that a real game and a simulated one compare byte for byte.
#pragma once
#include <cstdint>
#include <string>
#include <unordered_map>

class Tfigur;

// A figure's id is its creation index: the enemies 0..3000, then the player.
using FigureIds = std::unordered_map<const Tfigur*, int32_t>;

// Numbers every figure of figureList in list order; call once all figures are made.
FigureIds NumberFigures();

// frames, gameState, rng, camera, player, then figures, items, shots and decals in list
// order. 32-bit floats as %.9g of their value, LF line ends.
std::string StateReport(int32_t framesRun, const FigureIds& ids);
