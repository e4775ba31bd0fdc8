# Hardening of every program and library the project builds.
include(CheckLinkerFlag)
if(WIN32)
  # ASLR (64-bit, high entropy), DEP, and a loader that resolves the
  # program's own imports from the system folder only, so a DLL dropped next
  # to a downloaded syscode.exe is never loaded.
  add_link_options(-Wl,--dynamicbase -Wl,--nxcompat -Wl,--high-entropy-va)
  check_linker_flag(CXX "-Wl,--dependent-load-flag=0x800" SYSCODE_HAS_DEPENDENT_LOAD_FLAG)
  if(SYSCODE_HAS_DEPENDENT_LOAD_FLAG)
    add_link_options(-Wl,--dependent-load-flag=0x800)
  endif()
else()
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
  include(CheckPIESupported)
  check_pie_supported()
  add_compile_options(-fstack-protector-strong)
  # _FORTIFY_SOURCE needs optimisation; sanitizer builds run without it.
  add_compile_options($<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2>)
  add_link_options(-Wl,-z,relro -Wl,-z,now)
endif()
