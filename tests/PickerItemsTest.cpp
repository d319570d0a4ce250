// The picker item texts: their layout, and the values read back from them.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "open/Pickers.h"

namespace {

struct Right {
    const char* name;
    std::uint32_t value;  // as the Windows headers define it
};

const Right kAccess[] = {
    {"FILE_READ_DATA", 0x0001},          {"FILE_WRITE_DATA", 0x0002},
    {"FILE_APPEND_DATA", 0x0004},        {"FILE_READ_EA", 0x0008},
    {"FILE_WRITE_EA", 0x0010},           {"FILE_EXECUTE", 0x0020},
    {"FILE_TRAVERSE", 0x0020},           {"FILE_DELETE_CHILD", 0x0040},
    {"FILE_READ_ATTRIBUTES", 0x0080},    {"FILE_WRITE_ATTRIBUTES", 0x0100},
    {"DELETE", 0x00010000},              {"READ_CONTROL", 0x00020000},
    {"WRITE_DAC", 0x00040000},           {"WRITE_OWNER", 0x00080000},
    {"SYNCHRONIZE", 0x00100000},         {"ACCESS_SYSTEM_SECURITY", 0x01000000},
    {"MAXIMUM_ALLOWED", 0x02000000},     {"GENERIC_READ", 0x80000000},
    {"GENERIC_WRITE", 0x40000000},       {"GENERIC_EXECUTE", 0x20000000},
    {"GENERIC_ALL", 0x10000000},
};

const Right kFlags[] = {
    {"FILE_ATTRIBUTE_READONLY", 0x00000001},    {"FILE_ATTRIBUTE_HIDDEN", 0x00000002},
    {"FILE_ATTRIBUTE_SYSTEM", 0x00000004},      {"FILE_ATTRIBUTE_DIRECTORY", 0x00000010},
    {"FILE_ATTRIBUTE_ARCHIVE", 0x00000020},     {"FILE_ATTRIBUTE_DEVICE", 0x00000040},
    {"FILE_ATTRIBUTE_NORMAL", 0x00000080},      {"FILE_ATTRIBUTE_TEMPORARY", 0x00000100},
    {"FILE_ATTRIBUTE_SPARSE_FILE", 0x00000200}, {"FILE_ATTRIBUTE_REPARSE_POINT", 0x00000400},
    {"FILE_ATTRIBUTE_COMPRESSED", 0x00000800},  {"FILE_ATTRIBUTE_OFFLINE", 0x00001000},
    {"FILE_ATTRIBUTE_NOT_CONTENT_INDEXED", 0x00002000},
    {"FILE_ATTRIBUTE_ENCRYPTED", 0x00004000},   {"FILE_FLAG_WRITE_THROUGH", 0x80000000},
    {"FILE_FLAG_OVERLAPPED", 0x40000000},       {"FILE_FLAG_NO_BUFFERING", 0x20000000},
    {"FILE_FLAG_RANDOM_ACCESS", 0x10000000},    {"FILE_FLAG_SEQUENTIAL_SCAN", 0x08000000},
    {"FILE_FLAG_DELETE_ON_CLOSE", 0x04000000},  {"FILE_FLAG_BACKUP_SEMANTICS", 0x02000000},
    {"FILE_FLAG_POSIX_SEMANTICS", 0x01000000},  {"FILE_FLAG_OPEN_REPARSE_POINT", 0x00200000},
    {"FILE_FLAG_OPEN_NO_RECALL", 0x00100000},
};

// Name left, value right-aligned: 4 digits below 0x10000, else 8.
std::string AccessText(const Right& r) {
    char value[16];
    std::snprintf(value, sizeof value, r.value < 0x10000 ? "0x%04X" : "0x%08X", r.value);
    std::string text = r.name;
    text.append(37 - text.size() - std::string(value).size(), ' ');
    return text + value;
}

std::string FlagsText(const Right& r) {
    char value[16];
    std::snprintf(value, sizeof value, "0x%08X", r.value);
    std::string text = r.name;
    text.append(36 - text.size(), ' ');
    return text + value;
}

TEST(PickerItems, AccessTextsAreByteExactWithTheirValuesAndNames) {
    const auto& items = app::AccessItems();
    ASSERT_EQ(items.size(), std::size(kAccess));
    for (std::size_t i = 0; i < items.size(); ++i) {
        const Right& r = kAccess[i];
        EXPECT_EQ(items[i].size(), 37u) << i;
        EXPECT_EQ(items[i], AccessText(r)) << i;
        EXPECT_LE(std::string(r.name).size(), 24u) << r.name;  // names read from 24 columns
        EXPECT_EQ(app::AccessItemValue(items[i]), r.value) << r.name;
        EXPECT_EQ(app::AccessItemName(items[i]), r.name);
    }
    EXPECT_EQ(items[6], "FILE_TRAVERSE                  0x0020");
    EXPECT_EQ(items[17], "GENERIC_READ               0x80000000");
}

TEST(PickerItems, FlagsTextsAreByteExactWithTheirValues) {
    const auto& items = app::FlagsItems();
    ASSERT_EQ(items.size(), std::size(kFlags));
    for (std::size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i].size(), 46u) << i;
        EXPECT_EQ(items[i], FlagsText(kFlags[i])) << i;
        EXPECT_EQ(app::FlagsItemValue(items[i]), kFlags[i].value) << kFlags[i].name;
    }
    EXPECT_EQ(items[0], "FILE_ATTRIBUTE_READONLY             0x00000001");
    EXPECT_EQ(items[12], "FILE_ATTRIBUTE_NOT_CONTENT_INDEXED  0x00002000");
    EXPECT_EQ(items[23], "FILE_FLAG_OPEN_NO_RECALL            0x00100000");
}

TEST(PickerItems, ValuesComeFromTheTextsTail) {
    // Only the value columns count: a name that looks like a number is not read.
    const std::pair<const char*, std::uint32_t> access[] = {
        {"0x0F                           0x0020", 0x20},
        {"X                          0xFFFFFFFF", 0xFFFFFFFF},
        {"X                              0x000a", 0xA},
    };
    for (const auto& [text, value] : access) EXPECT_EQ(app::AccessItemValue(text), value) << text;
    EXPECT_EQ(app::FlagsItemValue("FILE_0x00000003                     0x80000000"), 0x80000000u);
    EXPECT_EQ(app::AccessItemName("  SPACED NAME            0x0001"), "SPACED NAME");
}

}  // namespace
