// A call that does not return: the real window against a named pipe this process serves, whose
// client end the bench opens. A read with no data waits until the user cancels it.
#include "MainWindowFixture.h"

#include <functional>
#include <string>
#include <thread>

namespace guitest {
namespace {

// The server end of a named pipe, one instance, with room for what the tests write.
struct ServedPipe {
    explicit ServedPipe(const std::string& what)
        : name("\\\\.\\pipe\\hb-gui-" + what + "-" + std::to_string(GetCurrentProcessId())),
          server(CreateNamedPipeA(name.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_WAIT, 1,
                                  4096, 4096, 0, nullptr)) {}
    ~ServedPipe() {
        if (server != INVALID_HANDLE_VALUE) CloseHandle(server);
    }
    ServedPipe(const ServedPipe&) = delete;
    ServedPipe& operator=(const ServedPipe&) = delete;

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
    struct Seen {
        bool placeholder = false, hourglass = false, repainted = false;
    };

    // Presses `button`; while its call waits, a thread timer (run by the loop that waits) looks
    // at the window, has it repaint, saves a picture, then does what the user does: `act`.
    // Should the press not return within seconds, another thread ends the wait with `rescue`,
    // so that a fault fails the test rather than hanging the suite.
    Seen pressWhileBlocked(const char* button, std::function<void()> act,
                           const std::function<void()>& rescue, const std::string& picture) {
        current_ = this, seen_ = {}, phase_ = 0;
        act_ = std::move(act), picture_ = picture;
        const HANDLE returned = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        bool rescued = false;
        std::thread watchdog([&] {
            if (WaitForSingleObject(returned, 10000) != WAIT_TIMEOUT) return;
            rescued = true;
            rescue();
        });
        const UINT_PTR timer = SetTimer(nullptr, 0, 50, Tick);
        press(button);
        KillTimer(nullptr, timer);
        SetEvent(returned);
        watchdog.join();
        CloseHandle(returned);
        current_ = nullptr;
        EXPECT_EQ(phase_, 2) << "the call never waited";
        EXPECT_FALSE(rescued) << "still waiting ten seconds after the press";
        return seen_;
    }

  private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        if (current_) current_->tick();
    }
    void tick() {
        if (phase_ == 0 && kit.waiting()) {
            seen_.placeholder = text("lblResult") == "Err=---";
            seen_.hourglass = kit.mousePointer() == ui::kPointerHourglass &&
                              GetCursor() == LoadCursorA(nullptr, IDC_WAIT);
            InvalidateRect(hwnd, nullptr, TRUE);
            phase_ = 1;
        } else if (phase_ == 1) {
            // Paint comes before timers: by this tick a live loop has painted the window.
            seen_.repainted = !GetUpdateRect(hwnd, nullptr, FALSE);
            Screenshot(hwnd, picture_);
            act_();
            phase_ = 2;
        }
    }

    static inline BlockingCall* current_ = nullptr;
    Seen seen_;
    int phase_ = 0;
    std::function<void()> act_;
    std::string picture_;
};

TEST_F(BlockingCall, EscapeCancelsAReadThatWaitsWhileTheWindowPaints) {
    ServedPipe pipe("escape");
    ASSERT_NE(pipe.server, INVALID_HANDLE_VALUE);
    open(pipe.name, "0xC0000000");
    ASSERT_EQ(text("lblResult"), "CreateFile success");
    const std::string handle = text("lblHandle");
    type("txtCount", "16");

    const Seen seen = pressWhileBlocked(
        "cmdRead", [&] { PostMessageA(hwnd, WM_KEYDOWN, VK_ESCAPE, 1); },
        [&] { pipe.write("rescue"); }, "blocked-read");
    EXPECT_TRUE(seen.placeholder) << "the placeholder line is not shown while waiting";
    EXPECT_TRUE(seen.hourglass);
    EXPECT_TRUE(seen.repainted) << "the window did not paint while the call waited";
    EXPECT_EQ(text("lblResult"), "ReadFile res=0 Err=995  (OPERATION_ABORTED)");
    EXPECT_EQ(text("lblRWcount"), "BytesRead: 0x0 (0)");
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

// After a second of waiting the title says so and how to stop it; the result line keeps its
// placeholder.
TEST_F(BlockingCall, TheTitleSaysACallWaitsAndHowToStopIt) {
    ServedPipe pipe("title");
    ASSERT_NE(pipe.server, INVALID_HANDLE_VALUE);
    open(pipe.name, "0xC0000000");
    const std::string caption = TextOf(hwnd);
    static HWND window, resultLine;
    static std::string titleEarly, titleLate, lineLate;
    window = hwnd, resultLine = item("lblResult");
    pressWhileBlocked(
        "cmdRead",
        [] {
            titleEarly = TextOf(window);
            SetTimer(nullptr, 0, 1300, [](HWND, UINT, UINT_PTR id, DWORD) {
                KillTimer(nullptr, id);
                titleLate = TextOf(window);
                lineLate = TextOf(resultLine);
                PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 1);
            });
        },
        [&] { pipe.write("rescue"); }, "blocked-read-title");
    EXPECT_EQ(titleEarly, caption);
    EXPECT_EQ(titleLate, caption + " - waiting (Esc cancels)");
    EXPECT_EQ(lineLate, "Err=---");
    EXPECT_EQ(TextOf(hwnd), caption);
    EXPECT_EQ(text("lblResult"), "ReadFile res=0 Err=995  (OPERATION_ABORTED)");
    press("cmdCloseHandle");
}

// hbrun.exe gives up on a read that waits: cancelled after --timeout, the run goes on, exit 1.
TEST_F(BlockingCall, TheRunnerCancelsACallAfterItsTimeout) {
    ServedPipe pipe("timeout");
    ASSERT_NE(pipe.server, INVALID_HANDLE_VALUE);
    TempFile script("hb-gui-timeout.txt", "FileName: " + pipe.name +
                                              "\nAccess: 0xC0000000\npress CreateFile\n"
                                              "press Read\npress CloseHandle\n");
    const RunnerRun run = RunRunner("--timeout 1 " + script.path);
    EXPECT_EQ(run.status, 1u) << run.out;
    EXPECT_NE(run.out.find("press Read\nexpect ReadFile res=0 Err=995  (OPERATION_ABORTED)\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("# line 4: a call was still waiting after 1 s: cancelled\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("expect CloseHandle res=1"), std::string::npos) << run.out;
}

TEST_F(BlockingCall, TheCloseBoxCancelsTheCallThenClosesTheWindow) {
    ServedPipe pipe("close");
    ASSERT_NE(pipe.server, INVALID_HANDLE_VALUE);
    open(pipe.name, "0xC0000000");
    ASSERT_EQ(text("lblResult"), "CreateFile success");

    pressWhileBlocked(
        "cmdRead", [&] { PostMessageA(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0); },
        [&] { pipe.write("rescue"); }, "blocked-read-closing");
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

}  // namespace
}  // namespace guitest
