// Random texts through the script parser: it must never crash, and whatever it accepts names
// lines that exist and kinds that make sense (sanitizers watch the native run).
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <variant>

#include "session/Script.h"

namespace {

std::string RandomScript(std::mt19937& rng) {
    static const char* const kPieces[] = {
        "press ", "answer ", "expect ", "Yes",  "No", "  ",         "\t",       ":",
        ": ",     "#",       "\n",      "\r\n", "*",  "CreateFile", "FileName", "\\\\.\\C:",
        "\x01",   "\xFF",    "\0",      "OK",   "x",  " ",
    };
    std::uniform_int_distribution<int> len(0, 40), pick(0, std::size(kPieces) - 1);
    std::string s;
    for (int n = len(rng); n > 0; --n) {
        const int i = pick(rng);
        s += i == 18 ? std::string(1, '\0') : std::string(kPieces[i]);
    }
    return s;
}

TEST(ParserFuzz, ScriptParserAcceptsOnlyWellFormedSteps) {
    std::mt19937 rng(20261211);
    for (int i = 0; i < 100000; ++i) {
        const std::string text = RandomScript(rng);
        const int lines = 1 + static_cast<int>(std::count(text.begin(), text.end(), '\n'));
        auto r = session::ParseScript(text);
        if (auto* e = std::get_if<session::ScriptError>(&r)) {
            ASSERT_GE(e->line, 1) << text;
            ASSERT_LE(e->line, lines) << text;
            continue;
        }
        int previous = 0;
        for (const session::Step& s : std::get<session::Script>(r).steps) {
            ASSERT_GT(s.line, previous) << text;
            previous = s.line;
            if (s.kind == session::Step::Kind::Answer) {
                ASSERT_TRUE(s.value == "Yes" || s.value == "No");
            }
            if (s.kind == session::Step::Kind::Press || s.kind == session::Step::Kind::Set) {
                ASSERT_FALSE(s.name.empty()) << text;
            }
            ASSERT_EQ(s.name.find('\0'), std::string::npos);
        }
    }
}

TEST(ParserFuzz, PatternMatchingAgreesWithARecursiveReading) {
    std::mt19937 rng(5);
    std::function<bool(std::string_view, std::string_view)> slow = [&](std::string_view p,
                                                                       std::string_view s) -> bool {
        if (p.empty()) return s.empty();
        if (p[0] == '*') return slow(p.substr(1), s) || (!s.empty() && slow(p, s.substr(1)));
        return !s.empty() && p[0] == s[0] && slow(p.substr(1), s.substr(1));
    };
    std::uniform_int_distribution<int> len(0, 8), pick(0, 2);
    const char kAlphabet[] = "ab*";
    for (int i = 0; i < 50000; ++i) {
        std::string p, s;
        for (int n = len(rng); n > 0; --n) p += kAlphabet[pick(rng)];
        for (int n = len(rng); n > 0; --n) s += kAlphabet[pick(rng) % 2];
        ASSERT_EQ(session::MatchesPattern(p, s), slow(p, s)) << p << " / " << s;
    }
}

}  // namespace
