# Hardening of every program and library the project builds.
if(WIN32)
  # ASLR (64-bit, high entropy) and DEP. DLL loading from the system folder
  # only is set per program by syscode_harden_program below.
  add_link_options(-Wl,--dynamicbase -Wl,--nxcompat -Wl,--high-entropy-va)
  # Stack canaries. Linking with the flag adds libssp, which the programs'
  # -static takes from libssp.a, so no libssp-0.dll is needed beside them.
  add_compile_options(-fstack-protector-strong)
  add_link_options(-fstack-protector-strong)
else()
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
  include(CheckPIESupported)
  check_pie_supported()
  add_compile_options(-fstack-protector-strong)
  # _FORTIFY_SOURCE needs optimisation; sanitizer builds run without it.
  add_compile_options($<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2>)
  add_link_options(-Wl,-z,relro -Wl,-z,now)
endif()

# syscode_harden_program(TARGET): on Windows, gives the program a load
# configuration that limits DLL loading to the system folder.
function(syscode_harden_program target)
  if(WIN32)
    target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/cmake/pe/load_config.c)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${PROJECT_SOURCE_DIR}/cmake/pe/set-load-config.sh ${CMAKE_NM} $<TARGET_FILE:${target}>
      VERBATIM)
  endif()
endfunction()
