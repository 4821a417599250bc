// Redacted text turned back with the map alone, as support would.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace kmx {

inline std::string ReverseRedaction(const std::string& text, const std::string& map) {
    std::vector<std::pair<std::string, std::string>> tokens;
    std::size_t at = map.find("\r\n") + 2;
    if (map.compare(0, at, "token\toriginal\r\n") != 0) return "[no map header]";
    while (at < map.size()) {
        const std::size_t tab = map.find('\t', at), end = map.find("\r\n", at);
        std::string original;
        for (std::size_t i = tab + 1; i < end; ++i) {
            if (map[i] != '\\') {
                original += map[i];
                continue;
            }
            const char c = map[++i];
            if (c == 'x') {
                original += static_cast<char>(std::stoi(map.substr(i + 1, 2), nullptr, 16));
                i += 2;
            } else {
                original += c == 't' ? '\t' : c == 'r' ? '\r' : c == 'n' ? '\n' : c;
            }
        }
        tokens.push_back({map.substr(at, tab - at), original});
        at = end + 2;
    }
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        bool replaced = false;
        if (text.compare(i, 2, "[[") == 0) {
            const std::size_t close = text.find("]]", i);
            for (const auto& token : tokens) {
                if (close != std::string::npos && text.compare(i, close + 2 - i, token.first) == 0) {
                    out += token.second;
                    i = close + 2;
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced) out += text[i++];
    }
    return out;
}

}  // namespace kmx
