// What the fuzz targets share. Each target is a function of the input's bytes; FUZZ_TARGET makes
// it a libFuzzer program (built with HB_LIBFUZZER) or, in hb_tests, a test that runs it on every
// input kept for it: the seeds, and each input that once found a fault. A broken check throws,
// which libFuzzer takes for a crash, keeping the input.
#pragma once

#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "io/Numbers.h"

#define FUZZ_CHECK(c) ((c) ? void(0) : throw std::logic_error("fuzz check failed: " #c))

namespace fuzz {

// The input's bytes from the front; past its end each reads 0, so that any input is a case.
struct Bytes {
    std::string_view rest;
    std::uint8_t byte() {
        if (rest.empty()) return 0;
        rest.remove_prefix(1);
        return std::uint8_t(rest.data()[-1]);
    }
    std::uint32_t u32() {
        std::uint32_t v = 0;
        for (int i = 0; i < 32; i += 8) v |= std::uint32_t(byte()) << i;
        return v;
    }
    std::size_t pick(std::size_t n) { return (n > 256 ? u32() : byte()) % n; }
    std::string text(std::size_t most) {
        std::string s;
        for (std::size_t k = pick(most + 1); k > 0; --k) s += char(byte());
        return s;
    }
};

// A Count past a MiB, as the box would read it: it sizes the window's buffer, which costs a run
// seconds and gigabytes and tells nothing new (the size tests hold such counts).
inline bool Huge(std::string_view value) {
    while (value.ends_with('\r') || value.ends_with(' ')) value.remove_suffix(1);
    while (value.starts_with(' ')) value.remove_prefix(1);
    constexpr double kMiB = 1 << 20;
    return std::abs(io::ValueOfText(value)) > kMiB ||
           std::abs(io::NumberText(value).value_or(0)) > kMiB;
}

}  // namespace fuzz

#ifdef HB_LIBFUZZER
#define FUZZ_TARGET(name, target)                                                       \
    extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) { \
        return target(std::string_view(reinterpret_cast<const char*>(data), size)), 0;  \
    }
#else
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#define FUZZ_TARGET(name, target)     \
    TEST(FuzzTargets, name) {         \
        fuzz::RunKept(#name, target); \
    }

namespace fuzz {
inline void RunKept(const char* name, void (*target)(std::string_view)) {
    int inputs = 0;
    for (const char* kept : {"corpus", "regressions"}) {
        std::error_code none;  // a target with no kept fault has no folder for them
        const auto dir = std::filesystem::path(HB_FUZZ_DIR) / kept / name;
        for (const auto& file : std::filesystem::directory_iterator(dir, none)) {
            std::ostringstream bytes;
            bytes << std::ifstream(file.path(), std::ios::binary).rdbuf();
            EXPECT_NO_THROW(target(bytes.str())) << file.path();
            ++inputs;
        }
    }
    EXPECT_GT(inputs, 0);
}
}  // namespace fuzz
#endif
