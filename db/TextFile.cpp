#include "db/TextFile.h"

#include <sys/stat.h>
#include <zlib.h>

#include <cerrno>
#include <cstring>

#include "base/PendingFile.h"
#include "base/Text.h"

namespace {

// Few large reads: below about this size the calls, not the bytes, cost the time.
constexpr size_t kChunk = 256 * 1024;

void AppendUtf8(std::string& out, uint32_t code) {
    if (code < 0x80) {
        out += char(code);
    } else if (code < 0x800) {
        out += char(0xC0 | (code >> 6));
        out += char(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += char(0xE0 | (code >> 12));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    } else {
        out += char(0xF0 | (code >> 18));
        out += char(0x80 | ((code >> 12) & 0x3F));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    }
}

const uint32_t kReplacement = 0xFFFD;

bool IsSurrogate(uint32_t code) {
    return code >= 0xD800 && code <= 0xDFFF;
}

}  // namespace

TextFile::~TextFile() {
    if (gz) {
        gzclose(gz);
    }
}

bool TextFile::Open(const std::string& path, std::string& error) {
    if (!CheckReadableFile(path, error)) {
        return false;
    }
    struct stat info {};
    gz = stat(path.c_str(), &info) == 0 ? gzopen(path.c_str(), "rb") : nullptr;
    if (!gz) {
        error = "cannot read " + Quoted(path) + ": " + std::strerror(errno);
        return false;
    }
    gzbuffer(gz, kChunk);
    this->path = path;
    size = uint64_t(info.st_size);
    raw.resize(kChunk);
    return true;
}

std::string_view TextFile::Peek() {
    if (next >= window.size() && !Fill()) {
        return {};
    }
    return window.substr(next);
}

bool TextFile::ReadLine(std::string& line) {
    line.clear();
    std::string_view rest = Peek();
    if (rest.empty()) {
        return false;
    }
    while (!rest.empty()) {
        size_t end = 0;
        while (end < rest.size() && rest[end] != '\n' && rest[end] != '\r') {
            ++end;
        }
        line.append(rest.data(), end);
        if (end < rest.size()) {
            const bool carriageReturn = rest[end] == '\r';
            Consume(end + 1);
            if (carriageReturn && !(rest = Peek()).empty() && rest[0] == '\n') {
                Consume(1);
            }
            return true;
        }
        Consume(end);
        rest = Peek();
    }
    return true;
}

void TextFile::Rewind() {
    if (!gz) {
        return;
    }
    gzrewind(gz);
    encoding = Encoding::Utf8;
    started = false;
    rawUsed = 0;
    window = {};
    next = 0;
    problem.clear();
}

uint64_t TextFile::Position() const {
    return gz ? uint64_t(gzoffset(gz)) : 0;
}

// Reads after the first offset bytes of raw; the number of bytes read.
size_t TextFile::ReadRaw(size_t offset) {
    const int got = gzread(gz, raw.data() + offset, unsigned(raw.size() - offset));
    int code = Z_OK;
    const char* message = gzerror(gz, &code);
    if (got < 0 || (code != Z_OK && code != Z_BUF_ERROR)) {
        // zlib's message begins with the path, which the readers' messages name already.
        std::string said = message ? message : "";
        if (said.rfind(path + ": ", 0) == 0) {
            said.erase(0, path.size() + 2);
        }
        problem = code == Z_ERRNO ? std::string("cannot read the file: ") + std::strerror(errno)
                                  : "the compressed data are damaged (zlib says: " + said + ")";
        return 0;
    }
    // zlib reports a gzip stream that stops in its middle only at the end.
    if (got == 0 && code == Z_BUF_ERROR) {
        problem = "the compressed file ends in the middle: it is cut short or damaged";
    }
    return size_t(got);
}

bool TextFile::Fill() {
    window = {};
    next = 0;
    while (gz && problem.empty()) {
        // The first rawUsed bytes are a UTF-16 or UTF-32 character cut by the last read.
        const size_t got = ReadRaw(rawUsed);
        if (got == 0) {
            return false;
        }
        const size_t count = rawUsed + got;
        size_t start = 0;
        if (!started) {
            started = true;
            start = StartText(count);
        }
        if (encoding == Encoding::Utf8) {
            window = std::string_view(raw.data() + start, count - start);
            rawUsed = 0;
        } else {
            rawUsed = Decode(start, count);
            window = decoded;
        }
        if (!window.empty()) {
            return true;
        }
    }
    return false;
}

// The byte-order mark, if any, says how the text is encoded; without one it
// is UTF-8 (or Latin-1, which the readers above tell record by record).
// Returns the length of the mark.
size_t TextFile::StartText(size_t count) {
    const unsigned char* b = reinterpret_cast<const unsigned char*>(raw.data());
    if (count >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) {
        return 3;
    }
    if (count >= 4 && b[0] == 0xFF && b[1] == 0xFE && b[2] == 0 && b[3] == 0) {
        encoding = Encoding::Utf32Le;
        return 4;
    }
    if (count >= 4 && b[0] == 0 && b[1] == 0 && b[2] == 0xFE && b[3] == 0xFF) {
        encoding = Encoding::Utf32Be;
        return 4;
    }
    if (count >= 2 && b[0] == 0xFF && b[1] == 0xFE) {
        encoding = Encoding::Utf16Le;
        return 2;
    }
    if (count >= 2 && b[0] == 0xFE && b[1] == 0xFF) {
        encoding = Encoding::Utf16Be;
        return 2;
    }
    return 0;
}

// Turns the whole characters of raw's bytes from start to count into UTF-8;
// the bytes of a character left unfinished move to raw's front, and their
// number is returned.
size_t TextFile::Decode(size_t start, size_t count) {
    const unsigned char* b = reinterpret_cast<const unsigned char*>(raw.data());
    const bool wide = encoding == Encoding::Utf32Le || encoding == Encoding::Utf32Be;
    const bool little = encoding == Encoding::Utf16Le || encoding == Encoding::Utf32Le;
    const size_t unit = wide ? 4 : 2;
    auto unitAt = [&](size_t i) {
        uint32_t value = 0;
        for (size_t k = 0; k < unit; ++k) {
            value |= uint32_t(b[i + k]) << (8 * (little ? k : unit - 1 - k));
        }
        return value;
    };
    decoded.clear();
    size_t i = start;
    while (i + unit <= count) {
        uint32_t code = unitAt(i);
        size_t used = unit;
        if (!wide && code >= 0xD800 && code <= 0xDBFF) {
            if (i + 2 * unit > count) {
                break;  // its second half comes with the next read
            }
            const uint32_t low = unitAt(i + unit);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                used = 2 * unit;
            }
        }
        AppendUtf8(decoded, IsSurrogate(code) || code > 0x10FFFF ? kReplacement : code);
        i += used;
    }
    std::memmove(raw.data(), raw.data() + i, count - i);
    return count - i;
}

bool IsUtf8(std::string_view text) {
    const size_t n = text.size();
    for (size_t i = 0; i < n;) {
        const unsigned char c = text[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        size_t length = 0;
        uint32_t code = 0;
        if ((c & 0xE0) == 0xC0) {
            length = 2;
            code = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            length = 3;
            code = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            length = 4;
            code = c & 0x07;
        } else {
            return false;
        }
        if (i + length > n) {
            return false;
        }
        for (size_t k = 1; k < length; ++k) {
            const unsigned char d = text[i + k];
            if ((d & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (d & 0x3F);
        }
        const uint32_t shortest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < shortest[length] || code > 0x10FFFF || IsSurrogate(code)) {
            return false;
        }
        i += length;
    }
    return true;
}

std::string Latin1ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    for (const char c : text) {
        AppendUtf8(out, static_cast<unsigned char>(c));
    }
    return out;
}
