# The portable code and its native suites as a 32-bit x86 Linux program (Debian g++-multilib),
# linked statically so that qemu-i386 runs it without a 32-bit C library installed.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_C_FLAGS_INIT -m32)
set(CMAKE_CXX_FLAGS_INIT -m32)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32 -static")
# The host cannot start 32-bit programs itself.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-i386)
