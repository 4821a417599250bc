#include "cli/Duration.h"

namespace kmx {

bool ParseDuration(const std::wstring& text, std::uint64_t* seconds, std::wstring* problem) {
    if (text.empty()) {
        *problem = std::wstring(L"--for needs a DURATION: ") + kDurationForm;
        return false;
    }
    const wchar_t unit = text.back();
    std::uint64_t scale = 0;
    switch (unit) {
        case L's':
        case L'S': scale = 1; break;
        case L'm':
        case L'M': scale = 60; break;
        case L'h':
        case L'H': scale = 60 * 60; break;
        case L'd':
        case L'D': scale = 24 * 60 * 60; break;
        default: break;
    }
    const std::wstring digits = text.substr(0, text.size() - 1);
    bool wellFormed = scale != 0 && !digits.empty();
    std::uint64_t number = 0;
    for (const wchar_t c : digits) {
        wellFormed = wellFormed && c >= L'0' && c <= L'9';
        if (!wellFormed) break;
        // Anything past 30 days in seconds is too long anyway: stop counting
        // there instead of overflowing.
        if (number <= kLongestDurationSeconds) number = number * 10 + static_cast<std::uint64_t>(c - L'0');
    }
    if (!wellFormed) {
        *problem = L"\"" + text + L"\" is not a DURATION: " + kDurationForm;
        return false;
    }
    if (number == 0) {
        *problem = L"a DURATION of " + text + L" ends at once: " + kDurationForm;
        return false;
    }
    if (number > kLongestDurationSeconds / scale) {
        *problem = L"a DURATION of " + text + L" is more than 30 days: " + kDurationForm;
        return false;
    }
    *seconds = number * scale;
    return true;
}

}  // namespace kmx
