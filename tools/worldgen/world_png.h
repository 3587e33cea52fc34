// A picture of the generated world, one pixel per cell, x to the right and y downwards.
#pragma once
#include <string>

// Ocean blue, forest dark green, land as earth, grass or sand shaded darker where lower.
// False (with a message on stderr) when the file cannot be written.
bool WriteWorldPng(const std::string& path);
