// A call that does not return: the real window, and hbrun.exe, against a named pipe this process
// serves, whose client end the bench opens. A read with no data waits until it is cancelled.
#include "MainWindowFixture.h"

#include <functional>
#include <string>
#include <thread>

namespace guitest {
namespace {

// The server end of a named pipe, one instance, with room for what the tests write.
struct ServedPipe {
    ServedPipe() {
        static int count = 0;
        name = "\\\\.\\pipe\\hb-gui-" + std::to_string(GetCurrentProcessId()) + "-" +
               std::to_string(++count);
        server = CreateNamedPipeA(name.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_WAIT, 1,
                                  4096, 4096, 0, nullptr);
    }
    ~ServedPipe() {
        if (server != INVALID_HANDLE_VALUE) CloseHandle(server);
    }
    bool write(const std::string& bytes) const {
        DWORD n = 0;
        return WriteFile(server, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr) &&
               n == bytes.size();
    }
    // The client closed its end.
    bool clientGone() const {
        DWORD available = 0;
        return !PeekNamedPipe(server, nullptr, 0, nullptr, &available, nullptr) &&
               GetLastError() == ERROR_BROKEN_PIPE;
    }

    std::string name;
    HANDLE server;
};

class BlockingCall : public MainWindow {
  protected:
    void openPipe() {
        ASSERT_NE(pipe.server, INVALID_HANDLE_VALUE);
        open(pipe.name, "0xC0000000");
        ASSERT_EQ(text("lblResult"), "CreateFile success");
    }

    // Presses Read; while its call waits, a thread timer (run by the loop that waits) checks that
    // the window shows the placeholder and the hourglass and repaints, saves a picture, then does
    // what the user does: `act`. Should the press not return within seconds, another thread
    // ends the wait by writing to the pipe, so that a fault fails the test rather than hanging
    // the suite.
    void readWhileBlocked(std::function<void()> act, const std::string& picture) {
        current_ = this, phase_ = 0, act_ = std::move(act), picture_ = picture;
        const HANDLE returned = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        bool rescued = false;
        std::thread watchdog([&] {
            if (WaitForSingleObject(returned, 10000) == WAIT_TIMEOUT)
                rescued = pipe.write("rescue");
        });
        const UINT_PTR timer = SetTimer(nullptr, 0, 50, Tick);
        press("cmdRead");
        KillTimer(nullptr, timer);
        SetEvent(returned);
        watchdog.join();
        CloseHandle(returned);
        current_ = nullptr;
        EXPECT_EQ(phase_, 2) << "the call never waited";
        EXPECT_FALSE(rescued) << "still waiting ten seconds after the press";
    }

    ServedPipe pipe;

  private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        if (current_) current_->tick();
    }
    void tick() {
        if (phase_ == 0 && kit.waiting()) {
            EXPECT_EQ(text("lblResult"), "Err=---") << "the placeholder line while waiting";
            EXPECT_EQ(kit.mousePointer(), ui::kPointerHourglass);
            EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_WAIT));
            InvalidateRect(hwnd, nullptr, TRUE);
            phase_ = 1;
        } else if (phase_ == 1) {
            // Paint comes before timers: by this tick a live loop has painted the window.
            EXPECT_FALSE(GetUpdateRect(hwnd, nullptr, FALSE)) << "no paint while the call waited";
            Screenshot(hwnd, picture_);
            act_();
            phase_ = 2;
        }
    }

    static inline BlockingCall* current_ = nullptr;
    int phase_ = 0;
    std::function<void()> act_;
    std::string picture_;
};

// What the window showed a while into a blocked read, seen from a thread timer; then Escape.
HWND watchedWindow, watchedLine;
std::string titleEarly, titleLate, lineLate;
void CALLBACK LookThenEscape(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    titleLate = TextOf(watchedWindow);
    lineLate = TextOf(watchedLine);
    Screenshot(watchedWindow, "blocked-read-title");
    PostMessageA(watchedWindow, WM_KEYDOWN, VK_ESCAPE, 1);
}

// After a second of waiting the title says a call waits and how to stop it; Escape stops it, and
// the handle is as it was.
TEST_F(BlockingCall, EscapeCancelsAReadThatWaitsAndTheTitleSaysHowMeanwhile) {
    openPipe();
    const std::string handle = text("lblHandle"), caption = TextOf(hwnd);
    type("txtCount", "16");
    watchedWindow = hwnd, watchedLine = item("lblResult");
    readWhileBlocked(
        [] {
            titleEarly = TextOf(watchedWindow);
            SetTimer(nullptr, 0, 1300, LookThenEscape);
        },
        "blocked-read");
    EXPECT_EQ(titleEarly, caption);
    EXPECT_EQ(titleLate, caption + " - waiting (Esc cancels)");
    EXPECT_EQ(lineLate, "Err=---");
    EXPECT_EQ(TextOf(hwnd), caption);
    EXPECT_EQ(text("lblResult"), "ReadFile res=0 Err=995  (OPERATION_ABORTED)");
    EXPECT_EQ(text("lblHandle"), handle);
    EXPECT_EQ(kit.mousePointer(), ui::kPointerDefault);

    // The handle is still the pipe's: what is written now, the next press reads.
    ASSERT_TRUE(pipe.write("hello"));
    press("cmdRead");
    EXPECT_EQ(text("lblResult"), "ReadFile res=1 dwBytesRead=5");
    char line[128] = "";
    LVITEMA it{};
    it.pszText = line, it.cchTextMax = sizeof line;
    SendMessageA(item("lstHexView"), LVM_GETITEMTEXTA, 0, reinterpret_cast<LPARAM>(&it));
    EXPECT_STREQ(line, "68656C6C6F  hello");
    press("cmdCloseHandle");
    EXPECT_TRUE(pipe.clientGone());
}

TEST_F(BlockingCall, TheCloseBoxCancelsTheCallThenClosesTheWindow) {
    openPipe();
    readWhileBlocked([&] { PostMessageA(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0); },
                     "blocked-read-closing");
    // The handler ran to its end on the cancelled call before anything closed.
    EXPECT_EQ(text("lblResult"), "ReadFile res=0 Err=995  (OPERATION_ABORTED)");
    ASSERT_TRUE(IsWindow(hwnd)) << "closed under the running handler";
    kit.pumpPending();
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(frm->loaded());
    EXPECT_TRUE(pipe.clientGone()) << "the unload did not close the handle";
}

TEST_F(BlockingCall, ACallThatEndsAtOnceHandlesNoMessageMeanwhile) {
    TempFile file("hb-gui-quick.txt", "abc");
    open(file.path, "0x80000000");
    // Waiting here before the press: a press whose calls end at once leaves it there.
    PostThreadMessageA(GetCurrentThreadId(), WM_APP, 0, 0);
    press("cmdGetFileType");
    EXPECT_EQ(text("lblResult"), "GetFileType res=1   type=FILE_TYPE_DISK");
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_APP, WM_APP, PM_REMOVE));
    press("cmdCloseHandle");
}

// hbrun.exe under Wine: a UTF-8 script names a file in the system's code page, the transcript is
// UTF-8 again; a read that waits is cancelled after --timeout, and the run goes on to exit 1.
TEST_F(BlockingCall, TheRunnerReadsAndWritesUtf8AndCancelsACallAfterItsTimeout) {
    ASSERT_NE(pipe.server, INVALID_HANDLE_VALUE);
    const std::string dir = std::filesystem::temp_directory_path().string();
    const std::string ansiName = dir + "\\hb-\xFC\x80.txt";
    DeleteFileA(ansiName.c_str());
    const std::string utf8Name = dir + "\\hb-\xC3\xBC\xE2\x82\xAC.txt", bom = "\xEF\xBB\xBF";
    std::string text = bom + "FileName: " + utf8Name + "\n";
    text +=
        "Creation: CREATE_NEW\npress CreateFile\nexpect CreateFile success\npress CloseHandle\n";
    text += "FileName: " + pipe.name + "\nCreation: OPEN_EXISTING\nAccess: 0xC0000000\n";
    text += "press CreateFile\npress Read\npress CloseHandle\n";
    TempFile script("hb-gui-runner.txt", text);
    const RunnerRun run = RunRunner("--allow-changes --timeout 1 \"" + script.path + "\"");
    EXPECT_EQ(run.status, 1u) << run.out;
    for (const std::string& line :
         {"FileName: " + utf8Name + "\n",
          std::string("press Read\nexpect ReadFile res=0 Err=995  (OPERATION_ABORTED)\n"),
          std::string("# line 10: a call was still waiting after 1 s: cancelled\n")})
        EXPECT_NE(run.out.find(line), std::string::npos) << line << " not in\n" << run.out;
    EXPECT_NE(run.out.find("expect CloseHandle res=1", run.out.find("press Read")),
              std::string::npos)
        << "the run did not go on";
    EXPECT_NE(GetFileAttributesA(ansiName.c_str()), INVALID_FILE_ATTRIBUTES);
    DeleteFileA(ansiName.c_str());
}

}  // namespace
}  // namespace guitest
