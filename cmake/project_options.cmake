# Warnings and platform flags shared by every target of our own.
function(vantrel_target_options target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /WX /permissive- /utf-8)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror -Wshadow -Wconversion
                                             -Wno-sign-conversion)
  endif()
  if(WIN32)
    target_compile_definitions(${target} PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                                                 _WIN32_WINNT=0x0601 WINVER=0x0601)
  endif()
endfunction()

# Code the launcher carries: nothing in it throws, and without unwind tables and the C++
# library's exception support the static program stays small.
function(vantrel_no_exceptions target)
  if(MINGW)
    target_compile_options(${target} PRIVATE -fno-exceptions -fno-rtti)
    # The 32-bit build unwinds by tables that only a throw reads: none of ours is needed.
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      target_compile_options(${target} PRIVATE -fno-asynchronous-unwind-tables)
    endif()
  endif()
endfunction()

if(MINGW)
  # Static C and C++ runtimes: the programs must run on a bare Windows machine.
  add_link_options(-static -static-libgcc -static-libstdc++)
  # Reproducible: no build path (via __FILE__) and no link time in the binaries, so the
  # same commit builds to the same bytes anywhere. The build tree may lie inside the
  # source tree; GCC applies the last matching map, so the build tree comes second.
  add_compile_options($<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PROJECT_SOURCE_DIR}=.>
                      $<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PROJECT_BINARY_DIR}=build>)
  add_link_options(-Wl,--no-insert-timestamp)
  # Hardening: stack canaries (libssp, linked statically; its random guard costs an
  # ADVAPI32 import and about 4 KB), ASLR, DEP and Terminal Server awareness. Binutils
  # 2.36 and later default to ASLR and DEP; naming them keeps older linkers in line.
  add_compile_options($<$<COMPILE_LANGUAGE:C,CXX>:-fstack-protector-strong>)
  add_link_options(-fstack-protector-strong -Wl,--dynamicbase,--nxcompat,--tsaware)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    add_link_options(-Wl,--high-entropy-va)
  endif()
  if(CMAKE_BUILD_TYPE MATCHES "MinSizeRel|Release")
    add_compile_options(-ffunction-sections -fdata-sections)
    add_link_options(-Wl,--gc-sections -s)
  endif()
endif()

# GoogleTest built from source with the same flags as our code.
macro(vantrel_add_gtest)
  if(NOT TARGET gtest)
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  endif()
endmacro()

# Copies the programs `target` starts next to it on every build: a copy made only when the
# test itself relinks would leave it running a stale program.
function(vantrel_copy_programs target)
  set(files)
  foreach(program ${ARGN})
    list(APPEND files $<TARGET_FILE:${program}>)
  endforeach()
  add_custom_target(${target}_programs ALL
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${files} $<TARGET_FILE_DIR:${target}>)
  add_dependencies(${target}_programs ${target} ${ARGN})
endfunction()
