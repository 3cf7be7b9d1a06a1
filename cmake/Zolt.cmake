# Build conventions shared by every target of the project.

add_library(zolt_flags INTERFACE)
target_compile_options(zolt_flags INTERFACE -Wall -Wextra -fno-strict-aliasing)
if(ZOLT_SANITIZE)
  target_compile_options(zolt_flags INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                         -fno-sanitize-recover=undefined)
  target_link_options(zolt_flags INTERFACE -fsanitize=address,undefined)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    # Modules are called through the addresses GetProcAddress returns, typed by the caller's own
    # declaration of the entry, as on the platform; clang's function-type check compares C++ type
    # identities that separately written modules never share.
    target_compile_options(zolt_flags INTERFACE -fno-sanitize=function)
  endif()
endif()

# Sources of a folder: every .cpp directly in it (one file per topic, see DESIGN.md).
function(zolt_glob_sources out)
  set(files)
  foreach(dir IN LISTS ARGN)
    file(GLOB found CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.c)
    list(APPEND files ${found})
  endforeach()
  set(${out} ${files} PARENT_SCOPE)
endfunction()

# A driver module or an outside-module stand-in: a shared object with hidden visibility
# whose exports carry ZOLT_EXPORT. The file is copied to ${ZOLT_MODULE_DIR}/<install_name>,
# the Windows file name under which the machine installs it.
function(zolt_module target install_name)
  set_target_properties(${target} PROPERTIES
    PREFIX "" OUTPUT_NAME ${target}
    CXX_VISIBILITY_PRESET hidden C_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  # Every symbol resolved at link time, as the platform's loader needs it (the clang sanitizer
  # runtime lives in the program, not in a module, so that check is left to the gcc builds).
  if(NOT (ZOLT_SANITIZE AND CMAKE_CXX_COMPILER_ID STREQUAL "Clang"))
    target_link_options(${target} PRIVATE -Wl,--no-undefined)
  endif()
  target_link_libraries(${target} PRIVATE zolt_flags zoltwin32)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:${target}> ${ZOLT_MODULE_DIR}/${install_name})
endfunction()

# zolt_add_resources(<target> <script.rc>): compiles the resource script with zoltrc into the
# target's resource directory (the module then answers FindResourceW, LoadStringW, ...).
# Included headers and data files named by the script are dependencies of the build.
function(zolt_add_resources target script)
  get_filename_component(abs ${script} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  get_filename_component(stem ${script} NAME_WE)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_${stem}_rc.cpp)
  add_custom_command(OUTPUT ${out}
    COMMAND zoltrc -I ${CMAKE_CURRENT_SOURCE_DIR} -o ${out} --depfile ${out}.d ${abs}
    DEPENDS zoltrc ${abs}
    DEPFILE ${out}.d
    COMMENT "Compiling resources ${script}"
    VERBATIM)
  target_sources(${target} PRIVATE ${out})
  target_link_libraries(${target} PRIVATE zoltwin32)
endfunction()
