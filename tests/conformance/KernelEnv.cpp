#include "KernelEnv.h"

#include <stdexcept>

namespace hbtest {

void KernelEnv::makeFile(const std::string& p, const std::string& contents) {
    sys::Handle h = k().CreateFileA(p, sys::w::GENERIC_WRITE, 0, sys::w::CREATE_ALWAYS, 0);
    if (h == sys::kInvalidHandle) throw std::runtime_error("cannot create " + p);
    sys::DWORD written = 0;
    if (!contents.empty()) k().WriteFile(h, contents.data(), sys::DWORD(contents.size()), &written);
    k().CloseHandle(h);
    if (written != contents.size()) throw std::runtime_error("cannot write " + p);
}

namespace {

class SimEnv final : public KernelEnv {
public:
    SimEnv() {
        auto m = std::make_unique<sys::SimMachine>();
        sim_ = m.get();
        kernel_ = std::move(m);
        dir_ = "C:\\hbtest";
        sim_->addDirectory(dir_);
    }
    void makeDirectory(const std::string& p) override { sim_->addDirectory(p); }
    void setReadOnly(const std::string& p, bool readOnly) override { sim_->setReadOnly(p, readOnly); }
    std::string currentDirectory() override { return sim_->currentDirectory(); }
};

}  // namespace
}  // namespace hbtest

// Last: <windows.h> turns the names of our constants into macros.
#ifdef HB_WITH_WIN32_KERNEL
#include <windows.h>
#endif

namespace hbtest {
namespace {

#ifdef HB_WITH_WIN32_KERNEL
class Win32Env final : public KernelEnv {
public:
    Win32Env() {
        kernel_ = sys::MakeWin32Kernel();
        wine_ = GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
        char temp[MAX_PATH + 1] = {};
        GetTempPathA(MAX_PATH, temp);
        static unsigned counter = 0;
        for (;;) {
            dir_ = std::string(temp) + "hbconf-" + std::to_string(GetCurrentProcessId()) + "-" +
                   std::to_string(++counter);
            if (CreateDirectoryA(dir_.c_str(), nullptr)) break;
            if (GetLastError() != ERROR_ALREADY_EXISTS)
                throw std::runtime_error("cannot create " + dir_);
        }
        char cwd[MAX_PATH + 1] = {};
        GetCurrentDirectoryA(MAX_PATH, cwd);
        savedCwd_ = cwd;
    }
    ~Win32Env() override {
        SetCurrentDirectoryA(savedCwd_.c_str());
        removeTree(dir_);
    }
    void makeDirectory(const std::string& p) override {
        if (!CreateDirectoryA(p.c_str(), nullptr)) throw std::runtime_error("cannot create " + p);
    }
    void setReadOnly(const std::string& p, bool readOnly) override {
        DWORD a = GetFileAttributesA(p.c_str());
        a = readOnly ? (a | FILE_ATTRIBUTE_READONLY) : (a & ~DWORD(FILE_ATTRIBUTE_READONLY));
        SetFileAttributesA(p.c_str(), a);
    }
    std::string currentDirectory() override {
        char cwd[MAX_PATH + 1] = {};
        GetCurrentDirectoryA(MAX_PATH, cwd);
        return cwd;
    }

private:
    static void removeTree(const std::string& p) {
        WIN32_FIND_DATAA fd;
        HANDLE f = FindFirstFileA((p + "\\*").c_str(), &fd);
        if (f != INVALID_HANDLE_VALUE) {
            do {
                const std::string name = fd.cFileName;
                if (name == "." || name == "..") continue;
                const std::string child = p + "\\" + name;
                SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) removeTree(child);
                else DeleteFileA(child.c_str());
            } while (FindNextFileA(f, &fd));
            FindClose(f);
        }
        RemoveDirectoryA(p.c_str());
    }
    std::string savedCwd_;
};
#endif

}  // namespace

std::unique_ptr<KernelEnv> KernelEnv::make(const std::string& backend) {
#ifdef HB_WITH_WIN32_KERNEL
    if (backend == "Win32") return std::make_unique<Win32Env>();
#endif
    if (backend == "Sim") return std::make_unique<SimEnv>();
    throw std::invalid_argument("unknown backend " + backend);
}

}  // namespace hbtest
