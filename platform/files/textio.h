// Line-oriented file access and the text conversions the game's settings and layer files use.
// Text is a byte string: each byte is one character (Latin-1), as the files store it.
#pragma once
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

class TStream {
 public:
  virtual ~TStream() = default;
  virtual bool Eof() = 0;
  virtual int32_t Pos() = 0;
  virtual int32_t Size() = 0;
  virtual int32_t Seek(int32_t pos) = 0;
  virtual void Flush() = 0;
  virtual void Close() = 0;
  // Both return the number of bytes actually transferred.
  virtual int32_t Read(void* buffer, int32_t count) = 0;
  virtual int32_t Write(const void* buffer, int32_t count) = 0;

  // Reads up to LF or NUL (not included); CR is dropped wherever it stands. Empty at the end.
  std::string ReadLine();
  // Writes the text and CR LF; 1 when all of it was written, else 0.
  int32_t WriteLine(std::string_view text);
};

enum : int32_t { MODE_READ = 1, MODE_WRITE = 2 };

class TCStream : public TStream {
 public:
  TCStream(FILE* handle, int32_t mode);
  ~TCStream() override;

  bool Eof() override;
  int32_t Pos() override { return _pos; }
  int32_t Size() override { return _size; }
  int32_t Seek(int32_t pos) override;
  void Flush() override;
  void Close() override;
  int32_t Read(void* buffer, int32_t count) override;
  int32_t Write(const void* buffer, int32_t count) override;

  int32_t Mode() const { return _mode; }

 private:
  int32_t _pos = 0;
  int32_t _size = 0;
  FILE* _cstream = nullptr;
  int32_t _mode = 0;
};

using TStreamPtr = std::shared_ptr<TStream>;

// Null when the file cannot be opened. Backslashes in the path count as slashes. A file is
// read only when it is a regular file (see platform/files/whole_file.h): anything else,
// a FIFO or a device among them, is refused at once, with `why` saying so.
TStreamPtr OpenReadStream(std::string_view path, std::string* why = nullptr);
TStreamPtr OpenWriteStream(std::string_view path);
void CloseStream(const TStreamPtr& stream);

// A null stream (a file that failed to open) reads as empty and ignores writes.
std::string ReadLine(const TStreamPtr& stream);
int32_t WriteLine(const TStreamPtr& stream, std::string_view text);

int32_t TextToInt(std::string_view text);
std::string IntToText(int32_t value);
