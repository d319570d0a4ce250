#include <gtest/gtest.h>

#include "report/Errors.h"

namespace {

struct Row {
    std::uint32_t code;
    const char* suffix;
};

// The codes just beside the named ranges and their ends; the common names are in every
// handler test's lines.
TEST(ErrorSuffix, NamesCodesAndFallsBackToSignedDecimal) {
    const Row rows[] = {
        {0, "0  (0)"},
        {35, "35  (35)"},
        {194, "194  (ITERATED_DATA_EXCEEDS_64k)"},
        {225, "225  (225)"},
        {258, "258  (WAIT_TIMEOUT)"},
        {997, "997  (IO_PENDING)"},
        {999, "999  (SWAPERROR)"},
        {1000, "1000  (1000)"},
        {1142, "1142  (TOO_MANY_LINKS)"},
        {1143, "1143  (1143)"},
        {0x80310000u, "0x80310000  (FVE_E_LOCKED_VOLUME)"},
        {0x80310002u, "0x80310002  (FVE_E_NO_TPM_BIOS)"},
        {0x8031002Fu, "0x8031002F  (-2144272337)"},
        {0x803100D8u, "0x803100D8  (FVE_E_PROTECTION_CANNOT_BE_DISABLED)"},
        {0x803100D9u, "0x803100D9  (-2144272167)"},
        {0x80070005u, "0x80070005  (-2147024891)"},
        {0xC0000005u, "0xC0000005  (-1073741819)"},
        {0xFFFFFFFFu, "0xFFFFFFFF  (-1)"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(report::ErrorSuffix(static_cast<std::int32_t>(r.code)), r.suffix) << r.code;
}

}  // namespace
