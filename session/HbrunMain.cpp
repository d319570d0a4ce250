// hbrun on the simulated machine: a script with its transcript is a test that needs no Windows.
// The machine is the fresh one of sys::SimMachine (C:, \\.\C:, \\.\PhysicalDrive0, \\.\COM1) with
// its partitioned disks (\\.\PhysicalDrive1 to 3), whose tables DeviceIoControl... decodes.
#include <csignal>
#include <iostream>

#include "session/CallWaiter.h"
#include "session/Runner.h"
#include "sys/CodePage.h"
#include "sys/SimMachine.h"

namespace {
session::CallWaiter* interruptible = nullptr;

extern "C" void OnInterrupt(int) {
    // An atomic store is all a signal handler may do; the run cancels and stops.
    if (interruptible) interruptible->interrupted = true;
}
}  // namespace

int main(int argc, char** argv) {
    sys::SimMachine machine;
    machine.addPartitionedDisks();
    session::ThreadWaiter waiter([&machine] { machine.cancelBlocked(); });
    interruptible = &waiter;
    std::signal(SIGINT, OnInterrupt);
    return session::RunnerMain(argc, argv, machine, waiter, sys::Windows1252(), std::cout,
                               std::cerr);
}
