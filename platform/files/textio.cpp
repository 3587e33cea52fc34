#include "platform/files/textio.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include "platform/files/whole_file.h"

std::string TStream::ReadLine() {
  std::string line;
  line.reserve(1024);  // grows by doubling, so a line of any length is read whole
  unsigned char byte = 0;
  while (Read(&byte, 1) == 1) {
    if (byte == 0 || byte == 10) break;
    if (byte == 13) continue;
    line.push_back(static_cast<char>(byte));
  }
  return line;
}

int32_t TStream::WriteLine(std::string_view text) {
  const auto length = static_cast<int32_t>(text.size());
  if (Write(text.data(), length) < length) return 0;
  static constexpr char kLineEnd[2] = {13, 10};
  return Write(kLineEnd, 2) == 2 ? 1 : 0;
}

TCStream::TCStream(FILE* handle, int32_t mode) : _cstream(handle), _mode(mode) {
  _pos = static_cast<int32_t>(std::ftell(handle));
  std::fseek(handle, 0, SEEK_END);
  _size = static_cast<int32_t>(std::ftell(handle));
  std::fseek(handle, _pos, SEEK_SET);
}

TCStream::~TCStream() { Close(); }

bool TCStream::Eof() { return _pos == _size; }

int32_t TCStream::Seek(int32_t pos) {
  if (_cstream == nullptr) return _pos;
  std::fseek(_cstream, pos, SEEK_SET);
  _pos = static_cast<int32_t>(std::ftell(_cstream));
  return _pos;
}

void TCStream::Flush() {
  if (_cstream != nullptr) std::fflush(_cstream);
}

void TCStream::Close() {
  if (_cstream == nullptr) return;
  std::fflush(_cstream);
  std::fclose(_cstream);
  _cstream = nullptr;
  _pos = 0;
  _size = 0;
}

int32_t TCStream::Read(void* buffer, int32_t count) {
  if (_cstream == nullptr || count <= 0) return 0;
  const auto n = static_cast<int32_t>(std::fread(buffer, 1, static_cast<size_t>(count), _cstream));
  _pos += n;
  return n;
}

int32_t TCStream::Write(const void* buffer, int32_t count) {
  if (_cstream == nullptr || count <= 0) return 0;
  const auto n = static_cast<int32_t>(std::fwrite(buffer, 1, static_cast<size_t>(count), _cstream));
  _pos += n;
  _size = std::max(_size, _pos);
  return n;
}

namespace {

std::string SlashedPath(std::string_view path) {
  std::string file(path);
  std::replace(file.begin(), file.end(), '\\', '/');
  return file;
}

int DigitValue(char c, int base) {
  int v = -1;
  if (c >= '0' && c <= '9') v = c - '0';
  else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
  return v < base ? v : -1;
}

}  // namespace

TStreamPtr OpenReadStream(std::string_view path, std::string* why) {
  std::string problem;
  // Positions and sizes are 32-bit: a larger file is none the game reads.
  const int fd = OpenFileToRead(SlashedPath(path), INT32_MAX, "a file the game reads", problem);
  FILE* handle = fd < 0 ? nullptr : fdopen(fd, "rb");
  if (handle == nullptr) {
    if (fd >= 0) {
      problem = std::strerror(errno);
      close(fd);
    }
    if (why != nullptr) *why = problem.empty() ? std::strerror(ENOENT) : problem;
    return nullptr;
  }
  return std::make_shared<TCStream>(handle, MODE_READ);
}

TStreamPtr OpenWriteStream(std::string_view path) {
  FILE* handle = std::fopen(SlashedPath(path).c_str(), "wb");
  if (handle == nullptr) return nullptr;
  return std::make_shared<TCStream>(handle, MODE_WRITE);
}

void CloseStream(const TStreamPtr& stream) {
  if (stream) stream->Close();
}

std::string ReadLine(const TStreamPtr& stream) { return stream ? stream->ReadLine() : std::string(); }

int32_t WriteLine(const TStreamPtr& stream, std::string_view text) {
  return stream ? stream->WriteLine(text) : 0;
}

int32_t TextToInt(std::string_view text) {
  size_t i = 0;
  auto is_space = [](char c) { return c == 32 || (c >= 9 && c <= 13); };
  while (i < text.size() && is_space(text[i])) ++i;
  if (i == text.size()) return 0;
  const bool negative = text[i] == '-';
  if (text[i] == '+' || text[i] == '-') {
    if (++i == text.size()) return 0;
  }
  int base = 10;
  if (text[i] == '%') {
    base = 2;
    ++i;
  } else if (text[i] == '$') {
    base = 16;
    ++i;
  }
  uint32_t value = 0;  // unsigned, so the accumulation wraps modulo 2^32 without overflow
  for (; i < text.size(); ++i) {
    const int digit = DigitValue(text[i], base);
    if (digit < 0) break;
    value = value * static_cast<uint32_t>(base) + static_cast<uint32_t>(digit);
  }
  return static_cast<int32_t>(negative ? 0u - value : value);
}

std::string IntToText(int32_t value) { return std::to_string(value); }
