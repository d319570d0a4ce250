// Where a conformance test runs: the simulated machine, or (in the Windows build) the real
// kernel32 with a fresh directory under the temporary directory.
#pragma once

#include <memory>
#include <string>

#include "sys/Kernel.h"
#include "sys/SimMachine.h"

namespace hbtest {

struct KernelEnv {
    static std::unique_ptr<KernelEnv> make(const std::string& backend);  // "Sim" or "Win32"
    virtual ~KernelEnv() = default;
    // What the Kernel has no calls for.
    virtual void makeDirectory(const std::string& path) { sim->addDirectory(path); }
    virtual void setReadOnly(const std::string& path) { sim->setReadOnly(path, true); }

    std::unique_ptr<sys::Kernel> kernel;
    sys::SimMachine* sim = nullptr;  // null on the real kernel32
    std::string dir;                 // fresh and empty, no trailing backslash
    bool wine = false;
};

}  // namespace hbtest
