// Where a conformance test runs: the simulated machine, or (in the Windows build) the real
// kernel32 with a fresh directory under the temporary directory. Tests state what Windows
// answers and, where Wine answers differently, what Wine answers, with `onWine`.
#pragma once

#include <memory>
#include <string>

#include "sys/Kernel.h"
#include "sys/SimMachine.h"

namespace hbtest {

class KernelEnv {
public:
    virtual ~KernelEnv() = default;
    sys::Kernel& k() { return *kernel_; }
    // A fresh, empty directory for the test, without a trailing backslash.
    const std::string& dir() const { return dir_; }
    std::string path(const std::string& leaf) const { return dir_ + "\\" + leaf; }
    bool wine() const { return wine_; }
    bool simulated() const { return sim_ != nullptr; }
    sys::SimMachine* sim() { return sim_; }

    virtual void makeDirectory(const std::string& path) = 0;
    virtual void setReadOnly(const std::string& path, bool readOnly) = 0;
    virtual std::string currentDirectory() = 0;

    // A file with these contents, made through the Kernel itself.
    void makeFile(const std::string& path, const std::string& contents = {});

    // What the running system answers: Windows' value, or Wine's where Wine differs.
    template <typename T>
    T onWine(T windows, T wineValue) const {
        return wine_ ? wineValue : windows;
    }

    static std::unique_ptr<KernelEnv> make(const std::string& backend);

protected:
    std::unique_ptr<sys::Kernel> kernel_;
    sys::SimMachine* sim_ = nullptr;
    std::string dir_;
    bool wine_ = false;
};

}  // namespace hbtest
