#include "KernelEnv.h"

#include <filesystem>
#include <stdexcept>

#ifdef HB_WITH_WIN32_KERNEL
#include <windows.h>  // last: it turns the names of our constants into macros

namespace {

namespace fs = std::filesystem;

class Win32Env final : public hbtest::KernelEnv {
  public:
    Win32Env() {
        kernel = sys::MakeWin32Kernel();
        wine = GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
        static int counter = 0;
        const std::string prefix = "hbconf-" + std::to_string(GetCurrentProcessId()) + "-";
        do dir = (fs::temp_directory_path() / (prefix + std::to_string(++counter))).string();
        while (!fs::create_directory(dir));
    }
    ~Win32Env() override {
        std::error_code ec;
        fs::current_path(savedCwd_, ec);
        for (const auto& e : fs::recursive_directory_iterator(dir, ec))
            SetFileAttributesA(e.path().string().c_str(), FILE_ATTRIBUTE_NORMAL);
        fs::remove_all(dir, ec);
    }
    void makeDirectory(const std::string& p) override { fs::create_directory(p); }
    void setReadOnly(const std::string& p) override {
        SetFileAttributesA(p.c_str(), GetFileAttributesA(p.c_str()) | FILE_ATTRIBUTE_READONLY);
    }

  private:
    const fs::path savedCwd_ = fs::current_path();
};

}  // namespace
#endif

std::unique_ptr<hbtest::KernelEnv> hbtest::KernelEnv::make(const std::string& backend) {
#ifdef HB_WITH_WIN32_KERNEL
    if (backend == "Win32") return std::make_unique<Win32Env>();
#endif
    if (backend != "Sim") throw std::invalid_argument("unknown backend " + backend);
    auto env = std::make_unique<KernelEnv>();
    env->kernel = std::make_unique<sys::SimMachine>();
    env->sim = static_cast<sys::SimMachine*>(env->kernel.get());
    env->makeDirectory(env->dir = "C:\\hbtest");
    return env;
}
