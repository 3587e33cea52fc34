// Images loaded from PNG files, drawn through the current graphics driver.
#pragma once
#include <cstdint>
#include <memory>
#include <string_view>

class TImage;

// Null when the file is missing or cannot be decoded. Flags -1 means the defaults (3).
std::shared_ptr<TImage> LoadImageFile(std::string_view path, int32_t flags);
void SetAutoMidHandle(int32_t on);
