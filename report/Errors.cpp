#include "report/Errors.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace report {

namespace {
struct Row {
    std::uint32_t code;
    std::string_view name;
};

constexpr Row kRows[] = {
#include "ErrorNames.inc"
};

// Ascending unsigned order lets the look-up use a binary search; the data file keeps it.
constexpr bool Sorted() {
    for (std::size_t i = 1; i < std::size(kRows); ++i)
        if (kRows[i - 1].code >= kRows[i].code) return false;
    return true;
}
static_assert(Sorted(), "error-names.tsv must list codes in ascending order, once each");
static_assert(std::size(kRows) == HB_ERROR_NAME_ROWS);
}  // namespace

std::string ErrorCodeName(std::int32_t code) {
    const auto key = static_cast<std::uint32_t>(code);
    const Row* end = std::end(kRows);
    const Row* it = std::lower_bound(std::begin(kRows), end, key,
                                     [](const Row& r, std::uint32_t k) { return r.code < k; });
    if (it != end && it->code == key) return std::string(it->name);
    return std::to_string(code);
}

std::string ErrorText(std::int32_t code) {
    if (code >= 0) return std::to_string(code);
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(code));
    return hex;
}

std::string ErrorSuffix(std::int32_t code) {
    return ErrorText(code) + "  (" + ErrorCodeName(code) + ")";
}

}  // namespace report
