# Warnings as errors on the project's own code only; system headers stay quiet.
function(qv_strict target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

# qv_library(name SOURCES ... DEPS ... PRIVATE_DEPS ...): one static library per src/ folder.
# DEPS are what its headers show; PRIVATE_DEPS what only its .cpp files use.
function(qv_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;PRIVATE_DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
  qv_strict(${name})
endfunction()
