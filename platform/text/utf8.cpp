#include "platform/text/utf8.h"

int32_t NextCodePoint(std::string_view text, size_t& at) {
  const auto lead = static_cast<unsigned char>(text[at++]);
  if (lead < 0x80) return lead;
  int32_t length = 0;
  int32_t code = 0;
  int32_t least = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 1, code = lead & 0x1F, least = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 2, code = lead & 0x0F, least = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 3, code = lead & 0x07, least = 0x10000;
  } else {
    return -1;
  }
  size_t next = at;
  for (int32_t i = 0; i < length; ++i, ++next) {
    if (next >= text.size()) return -1;
    const auto byte = static_cast<unsigned char>(text[next]);
    if ((byte & 0xC0) != 0x80) return -1;
    code = (code << 6) | (byte & 0x3F);
  }
  if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return -1;
  at = next;
  return code;
}
