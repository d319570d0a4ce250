// Handle I/O in the real window against the real kernel32 (under Wine here), on real files.
#include "MainWindowFixture.h"

#include <string>
#include <utility>
#include <vector>

namespace guitest {
namespace {

// Boxes typed into, a button pressed, then what the window shows: a control's text, or
// "lines" / "line<n>" of the hex view, or "size" of the file on disk (-1: no file).
struct Step {
    std::vector<std::pair<const char*, const char*>> typed;
    const char* button;
    std::vector<std::pair<std::string, std::string>> shows;
};

struct IoCase {
    const char* what;
    std::string content;
    const char* access;
    std::vector<Step> steps;
};

// clang-format off
std::vector<IoCase> IoCases() {
    const bool wine = sys::RunningUnderWine();
    std::string hundred("\x41\x00\x7F\xFF", 4);  // then letters
    for (int i = 4; i < 100; ++i) hundred += static_cast<char>('a' + i % 26);
    const char* ro = "0x80000000";
    return {
        {"ReadOfAHundredBytesThenAtTheEnd", hundred, ro, {
            {{{"txtCount", "512"}}, "cmdRead", {{"lblResult", "ReadFile res=1 dwBytesRead=100"},
                {"lblFilePos", "Pos: 0x64 (100)"}, {"lines", "7"}, {"line6", "73747576  stuv"},
                {"line0", "41007FFF65666768696A6B6C6D6E6F70  A..\xFF" "efghijklmnop"}}},
            {{}, "cmdRead", {{"lblResult", "ReadFile res=1 dwBytesRead=0"}, {"lines", "0"},
                {"lblFilePos", "Pos: 0x64 (100)"}}}}},
        {"WriteThroughAReadOnlyHandle", "abc", ro, {  // a buffer read first: no question
            {{{"txtCount", "3"}}, "cmdRead", {{"lblResult", "ReadFile res=1 dwBytesRead=3"}}},
            {{}, "cmdWrite", {{"lblResult", "WriteFile Err=5  (ACCESS_DENIED)"}, {"size", "3"}}}}},
        // Windows refuses with 5. Wine answers 87 (and 6 with the pointer at the end).
        {"EndOfFileOnAReadOnlyHandle", "abc", ro, {
            {{{"txtPosHigh", "0"}, {"txtPosLow", "1"}}, "cmdSetFilePointer", {}},
            {{}, "cmdSetEndOfFile", {{"size", "3"}, {"lblResult", wine
                ? "SetEndOfFile Err=87  (INVALID_PARAMETER)" : "SetEndOfFile Err=5  (ACCESS_DENIED)"}}}}},
        {"DeleteOfAFileOpenWithoutShareDelete", "abc", ro, {
            {{}, "cmdDelete", {{"lblResult", "DeleteFile Err=32  (SHARING_VIOLATION)"}, {"size", "3"}}},
            {{}, "cmdCloseHandle", {}},
            {{}, "cmdDelete", {{"lblResult", "DeleteFile res=1"}, {"size", "-1"}}}}},
        {"PositionAboveFourGiBOnASparseFile", "", "0xC0000000", {
            {{{"txtPosHigh", "0x1"}, {"txtPosLow", "0x40000000"}}, "cmdSetFilePointer",
                {{"lblResult", "SetFilePointer success"}}},
            {{}, "cmdSetEndOfFile", {{"lblResult", "SetEndOfFile res=1"}, {"size", "5368709120"}}},
            {{{"txtPosLow", "0x0"}}, "cmdSetFilePointer", {}},
            {{{"txtCount", "16"}}, "cmdRead", {{"lblResult", "ReadFile res=1 dwBytesRead=16"},
                {"lblFilePos", "Pos: 0x100000010 (4294967312)"},
                {"line0", "00000000000000000000000000000000  ................"}}}}},
        {"FileTypeOfADiskFile", "abc", ro, {
            {{}, "cmdGetFileType", {{"lblResult", "GetFileType res=1   type=FILE_TYPE_DISK"}}}}},
    };
}
// clang-format on

class HandleIo : public MainWindow, public ::testing::WithParamInterface<IoCase> {};

TEST_P(HandleIo, ShowsWhatTheKernelDid) {
    const IoCase& c = GetParam();
    TempFile file(std::string("hb-io-") + c.what + ".bin", c.content);
    auto shown = [&](const std::string& what) -> std::string {
        HWND hex = item("lstHexView");
        char line[256] = "";
        LVITEMA it{};
        it.pszText = line, it.cchTextMax = sizeof line;
        if (what == "lines") return std::to_string(SendMessageA(hex, LVM_GETITEMCOUNT, 0, 0));
        if (what == "size") return std::to_string(file.size());
        if (what.rfind("line", 0) != 0) return text(what.c_str());
        SendMessageA(hex, LVM_GETITEMTEXTA, std::stoul(what.substr(4)),
                     reinterpret_cast<LPARAM>(&it));
        return line;
    };
    open(file.path, c.access);
    ASSERT_EQ(text("lblResult"), "CreateFile success");
    for (std::size_t i = 0; i < c.steps.size(); ++i) {
        SCOPED_TRACE("step " + std::to_string(i) + " " + c.steps[i].button);
        for (const auto& [box, value] : c.steps[i].typed) type(box, value);
        press(c.steps[i].button);
        for (const auto& [what, expected] : c.steps[i].shows)
            EXPECT_EQ(shown(what), expected) << what;
    }
    if (!IsWindowEnabled(item("cmdCreateFile"))) press("cmdCloseHandle");  // before the file goes
}

INSTANTIATE_TEST_SUITE_P(MainWindow, HandleIo, ::testing::ValuesIn(IoCases()),
                         [](const auto& p) { return std::string(p.param.what); });

TEST_F(MainWindow, WritingZerosAsksAndOnlyYesWrites) {
    TempFile file("hb-gui-write.bin", "");
    open(file.path, "0xC0000000");
    type("txtCount", "16");
    // Escape first: the box stays, and Wine's No then returns IDCANCEL, which must not write.
    struct Case { bool escapeFirst; int button; };
    for (const Case c : {Case{false, IDNO}, Case{true, IDNO}, Case{false, IDYES}}) {
        SCOPED_TRACE(std::to_string(c.escapeFirst) + " " + std::to_string(c.button));
        std::string question;
        pressDuringModal("cmdWrite", "Warning", [&](HWND box) {
            question = TextOf(GetDlgItem(box, 0xFFFF));  // the message box's text
            HWND target = GetDlgItem(box, c.button);
            if (c.escapeFirst) {
                PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 1);
                PostMessageA(GetFocus(), WM_KEYUP, VK_ESCAPE, 0xC0000001);
            }
            PostMessageA(target, WM_LBUTTONDOWN, MK_LBUTTON, 0);
            PostMessageA(target, WM_LBUTTONUP, 0, 0);
        });
        EXPECT_EQ(question, "Writing ZEROS! Sure?");
        EXPECT_EQ(text("lblResult"),
                  c.button == IDNO ? "Err=---" : "WriteFile res=1 dwBytesWritten=16");
        EXPECT_EQ(file.size(), c.button == IDNO ? 0 : 16);
    }
    EXPECT_EQ(text("lblFilePos"), "Pos: 0x10 (16)");
    press("cmdCloseHandle");
}

}  // namespace
}  // namespace guitest
