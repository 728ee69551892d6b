// A text file read in large chunks, plain or gzip-compressed (zlib tells
// which from the first bytes), without its byte-order mark, and UTF-16 or
// UTF-32 text (known by that mark) turned into UTF-8: the readers above it
// see UTF-8 bytes and pay for no conversion per character.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TextFile {
  public:
    TextFile() = default;
    ~TextFile();
    TextFile(const TextFile&) = delete;
    TextFile& operator=(const TextFile&) = delete;

    // False with error naming the file when it is no regular file this
    // process can read.
    bool Open(const std::string& path, std::string& error);
    bool IsOpen() const { return gz != nullptr; }

    // The bytes not yet consumed, at least one unless the text has ended or
    // reading failed. Valid until the next call of any other operation.
    std::string_view Peek();
    void Consume(size_t count) { next += count; }
    bool AtEnd() { return Peek().empty(); }
    // The next line without its end (LF, CRLF or a lone CR); false at the end.
    bool ReadLine(std::string& line);
    // Why the text ended early (damaged or cut-short compressed data, a read
    // error), or empty.
    const std::string& Problem() const { return problem; }
    // Reads again from the first byte.
    void Rewind();

    // How far reading has come through the file as it lies on disk, and its size.
    uint64_t Position() const;
    uint64_t Size() const { return size; }

  private:
    enum class Encoding { Utf8, Utf16Le, Utf16Be, Utf32Le, Utf32Be };

    struct gzFile_s* gz = nullptr;
    std::string path;
    uint64_t size = 0;
    Encoding encoding = Encoding::Utf8;
    bool started = false;
    std::vector<char> raw;  // as read from the file
    size_t rawUsed = 0;     // bytes kept at raw's front for the next read
    std::string decoded;    // UTF-8 of UTF-16 or UTF-32 text
    std::string_view window;
    size_t next = 0;  // in window
    std::string problem;

    size_t ReadRaw(size_t offset);
    bool Fill();
    size_t StartText(size_t count);
    size_t Decode(size_t start, size_t count);
};

// Whether text is valid UTF-8.
bool IsUtf8(std::string_view text);
// The UTF-8 of text read as Latin-1, the fallback for bytes that are no UTF-8.
std::string Latin1ToUtf8(std::string_view text);
