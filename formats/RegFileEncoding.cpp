#include "formats/RegFileEncoding.h"

#include "formats/RegFileReader.h"

namespace kmx {
namespace {

// Windows-1252 at 0x80-0x9F; the five unassigned bytes keep their value, as
// the system's conversion does.
constexpr char16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool Continuation(std::uint8_t b) { return (b & 0xC0) == 0x80; }

// Strict UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF).
// On a bad sequence returns false with *badAt its offset.
bool DecodeUtf8(const std::uint8_t* p, std::size_t n, std::u16string* out, std::size_t* badAt) {
    out->clear();
    out->reserve(n);
    std::size_t i = 0;
    while (i < n) {
        const std::uint8_t b = p[i];
        std::uint32_t cp = 0;
        std::size_t len = 0;
        std::uint8_t lo = 0x80, hi = 0xBF;  // allowed range of the second byte
        if (b < 0x80) {
            cp = b, len = 1;
        } else if (b >= 0xC2 && b <= 0xDF) {
            cp = b & 0x1F, len = 2;
        } else if (b >= 0xE0 && b <= 0xEF) {
            cp = b & 0x0F, len = 3;
            if (b == 0xE0) lo = 0xA0;
            if (b == 0xED) hi = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            cp = b & 0x07, len = 4;
            if (b == 0xF0) lo = 0x90;
            if (b == 0xF4) hi = 0x8F;
        } else {
            *badAt = i;
            return false;
        }
        if (len > 1 && (i + 1 >= n || p[i + 1] < lo || p[i + 1] > hi)) {
            *badAt = i;
            return false;
        }
        for (std::size_t k = 1; k < len; ++k) {
            if (i + k >= n || !Continuation(p[i + k])) {
                *badAt = i;
                return false;
            }
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out->push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out->push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out->push_back(static_cast<char16_t>(cp));
        }
        i += len;
    }
    return true;
}

void DecodeCp1252(const std::uint8_t* p, std::size_t n, std::u16string* out) {
    out->clear();
    out->reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint8_t b = p[i];
        out->push_back(b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : char16_t{b});
    }
}

// 1-based line of the byte at `offset`; CRLF, LF and a lone CR each end a line.
int LineOfOffset(const std::uint8_t* p, std::size_t offset) {
    int line = 1;
    for (std::size_t i = 0; i < offset; ++i) {
        if (p[i] == '\n' || (p[i] == '\r' && (i + 1 >= offset || p[i + 1] != '\n'))) ++line;
    }
    return line;
}

bool Fail(RegFileError* error, int line, const wchar_t* reason) {
    error->line = line;
    error->reason = reason;
    return false;
}

}  // namespace

bool DecodeRegFileText(const std::uint8_t* data, std::size_t size, std::u16string* text,
                       RegFileError* error) {
    if (size == 0) return Fail(error, 0, L"file is empty");
    if (size > kRegFileMaxBytes) return Fail(error, 0, L"file is larger than 1 MiB");

    text->clear();
    if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
        if (size % 2 != 0) return Fail(error, 0, L"UTF-16 file has an odd number of bytes");
        text->reserve(size / 2 - 1);
        for (std::size_t i = 2; i < size; i += 2) {
            text->push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
        }
    } else if (size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) {
        std::size_t badAt = 0;
        if (!DecodeUtf8(data + 3, size - 3, text, &badAt)) {
            return Fail(error, LineOfOffset(data + 3, badAt), L"invalid UTF-8 in a file marked as UTF-8");
        }
    } else {
        std::size_t badAt = 0;
        if (!DecodeUtf8(data, size, text, &badAt)) DecodeCp1252(data, size, text);
    }
    if (text->empty()) return Fail(error, 0, L"file is empty");
    return true;
}

}  // namespace kmx
