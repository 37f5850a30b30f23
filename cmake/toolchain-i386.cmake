# 32-bit Linux with the multilib compilers: the pointer size and record layouts of the host.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
# In ARG1, not FLAGS_INIT: a -DCMAKE_CXX_FLAGS on the command line would drop it there.
set(CMAKE_C_COMPILER_ARG1 -m32)
set(CMAKE_CXX_COMPILER_ARG1 -m32)
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
set(CMAKE_FIND_ROOT_PATH /usr/lib/i386-linux-gnu)
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/i386-linux-gnu/pkgconfig:/usr/share/pkgconfig)
set(CMAKE_IGNORE_PATH /usr/lib/x86_64-linux-gnu /usr/lib/x86_64-linux-gnu/cmake)

# Some kernels cannot execute 32-bit programs; there user-mode emulation runs the tests. ./dev
# passes QEV_I386_EMULATE=OFF where the machine runs them itself.
if(NOT DEFINED QEV_I386_EMULATE OR QEV_I386_EMULATE)
  find_program(QEV_QEMU_I386 qemu-i386)
  if(QEV_QEMU_I386)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${QEV_QEMU_I386})
  endif()
endif()
