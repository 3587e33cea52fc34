// The application: settings and screen, the loading sequence, the game loop and its HUD.
// A class of functions only; the state it works on is global (app/globals.h).
#pragma once
#include <cstdint>
#include <string>

class Tapp {
 public:
  static int32_t init();
  static int32_t laden();
  static int32_t ladeb(int32_t percent, const std::string& text);
  static int32_t run();
  static int32_t drawhub();
  // The pieces of run: the player's placement and starting values, one frame of the game
  // loop, and the score screen shown until Enter or Space.
  static int32_t start();
  static int32_t frame();
  static int32_t endscreen();

  // Reads the four screen settings from the open config.txt stream.
  static void readSettings();
  // Opens the screen config.txt describes, or stops with a message naming the values.
  static void openScreen();
};

// The program's entry: runs once, however often it is called.
int32_t RunEntry();
