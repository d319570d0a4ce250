// What a suite writes besides transcripts: the diff against a golden transcript, and XML text.
#include <algorithm>
#include <cstdint>

#include "session/Suite.h"

namespace session {

namespace {

// One line of an edit: kept (' '), taken out of `from` ('-') or put into `to` ('+').
struct Edit {
    char op;
    std::size_t from, to;  // the line's index on its side(s)
};

// The shortest edit by the longest common subsequence. Transcripts are short; beyond a few
// million cells the two are shown as wholly replaced rather than held in memory.
std::vector<Edit> Edits(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    const std::size_t n = a.size(), m = b.size();
    std::vector<Edit> edits;
    if (n * m > 4'000'000) {
        for (std::size_t i = 0; i < n; ++i) edits.push_back({'-', i, 0});
        for (std::size_t j = 0; j < m; ++j) edits.push_back({'+', n, j});
        return edits;
    }
    // common[i][j]: the longest common subsequence of a[i..] and b[j..].
    std::vector<std::uint32_t> common((n + 1) * (m + 1), 0);
    auto at = [&](std::size_t i, std::size_t j) -> std::uint32_t& { return common[i * (m + 1) + j]; };
    for (std::size_t i = n; i-- > 0;)
        for (std::size_t j = m; j-- > 0;)
            at(i, j) = a[i] == b[j] ? at(i + 1, j + 1) + 1 : std::max(at(i + 1, j), at(i, j + 1));
    std::size_t i = 0, j = 0;
    while (i < n || j < m) {
        if (i < n && j < m && a[i] == b[j]) {
            edits.push_back({' ', i++, j++});
        } else if (j == m || (i < n && at(i + 1, j) >= at(i, j + 1))) {
            edits.push_back({'-', i++, j});
        } else {
            edits.push_back({'+', i, j++});
        }
    }
    return edits;
}

std::string Range(std::size_t start, std::size_t count) {
    // A hunk's start counts from 1; an empty side names the line before it.
    return std::to_string(count == 0 ? start : start + 1) + "," + std::to_string(count);
}

}  // namespace

std::string UnifiedDiff(const std::vector<std::string>& from, const std::vector<std::string>& to,
                        std::string_view fromName, std::string_view toName) {
    constexpr std::size_t kContext = 3;
    const std::vector<Edit> edits = Edits(from, to);
    std::string diff;
    for (std::size_t k = 0; k < edits.size();) {
        if (edits[k].op == ' ') {
            ++k;
            continue;
        }
        // A hunk: the changes from here on, joined while fewer than 2 x context lines part them.
        const std::size_t first = k >= kContext ? k - kContext : 0;
        std::size_t last = k;  // one past the hunk's last change
        for (std::size_t kept = 0, e = k; e < edits.size() && kept <= 2 * kContext; ++e) {
            if (edits[e].op == ' ') {
                ++kept;
            } else {
                kept = 0;
                last = e + 1;
            }
        }
        const std::size_t end = std::min(edits.size(), last + kContext);
        std::size_t fromCount = 0, toCount = 0;
        for (std::size_t e = first; e < end; ++e) {
            fromCount += edits[e].op != '+';
            toCount += edits[e].op != '-';
        }
        if (diff.empty()) diff = "--- " + std::string(fromName) + "\n+++ " + std::string(toName) + "\n";
        diff += "@@ -" + Range(edits[first].from, fromCount) + " +" + Range(edits[first].to, toCount) +
                " @@\n";
        for (std::size_t e = first; e < end; ++e)
            diff += edits[e].op + (edits[e].op == '+' ? to[edits[e].to] : from[edits[e].from]) + "\n";
        k = end;
    }
    return diff;
}

std::string XmlText(std::string_view text) {
    static const char kReplacement[] = "\xEF\xBF\xBD";
    std::string xml;
    xml.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        switch (c) {
            case '&': xml += "&amp;"; ++i; continue;
            case '<': xml += "&lt;"; ++i; continue;
            case '>': xml += "&gt;"; ++i; continue;
            case '"': xml += "&quot;"; ++i; continue;
            case '\'': xml += "&apos;"; ++i; continue;
            case '\t': case '\n': case '\r': xml += static_cast<char>(c); ++i; continue;
            default: break;
        }
        if (c < 0x20 || c == 0x7F) {
            xml += kReplacement;
            ++i;
            continue;
        }
        if (c < 0x80) {
            xml += static_cast<char>(c);
            ++i;
            continue;
        }
        // A whole UTF-8 sequence, shortest form, no surrogate, at most U+10FFFF; else one byte
        // becomes U+FFFD.
        const std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 0;
        std::uint32_t code = length == 4 ? c & 0x07u : length == 3 ? c & 0x0Fu : c & 0x1Fu;
        bool whole = length != 0 && i + length <= text.size();
        for (std::size_t k = 1; whole && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            whole = (next & 0xC0) == 0x80;
            code = code << 6 | (next & 0x3Fu);
        }
        static const std::uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
        whole = whole && code >= kLeast[length] && code <= 0x10FFFF &&
                !(code >= 0xD800 && code <= 0xDFFF) && code != 0xFFFE && code != 0xFFFF &&
                !(code >= 0x80 && code <= 0x9F);  // C1 controls are discouraged in XML
        if (whole) {
            xml.append(text.substr(i, length));
            i += length;
        } else {
            xml += kReplacement;
            ++i;
        }
    }
    return xml;
}

}  // namespace session
