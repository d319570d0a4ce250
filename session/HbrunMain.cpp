// hbrun on the simulated machine: a script with its transcript is a test that needs no Windows.
// The machine is the fresh one of sys::SimMachine (C:, \\.\C:, \\.\PhysicalDrive0, \\.\COM1).
#include <iostream>

#include "session/Runner.h"
#include "sys/SimMachine.h"

int main(int argc, char** argv) {
    sys::SimMachine machine;
    return session::RunnerMain(argc, argv, machine, std::cout, std::cerr);
}
