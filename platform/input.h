// Polled keyboard and mouse state, built from the window's events. Key codes are the
// Windows virtual-key codes (letters and digits as upper-case ASCII, Enter 13, Escape 27,
// Space 32, arrows 37..40). Every query pumps the pending window events first.
#pragma once
#include <cstdint>

int32_t KeyPressed(int32_t key);
int32_t KeyIsDown(int32_t key);
int32_t ButtonIsDown(int32_t button);
int32_t PointerX();
int32_t PointerY();
void MovePointer(int32_t x, int32_t y);
void HidePointer();
