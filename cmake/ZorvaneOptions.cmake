# One INTERFACE target carries the language level, warnings and sanitizers;
# every target of the project links it.
add_library(zorvane_options INTERFACE)
target_compile_features(zorvane_options INTERFACE cxx_std_20)
set(CMAKE_CXX_EXTENSIONS OFF)
target_compile_options(zorvane_options INTERFACE
  -Wall -Wextra -Wpedantic
  -Wshadow -Wconversion -Wsign-conversion -Wold-style-cast -Wnon-virtual-dtor -Woverloaded-virtual
  -Wimplicit-fallthrough)
# Headers generated at configure time (core/version.h) sit in the build tree.
target_include_directories(zorvane_options INTERFACE ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR}/generated)

# CI turns warnings into errors (scripts/test.sh with ZORVANE_WERROR=ON); a
# build with another compiler, whose warnings differ, stays a build.
option(ZORVANE_WERROR "Treat warnings as errors" OFF)
if(ZORVANE_WERROR)
  target_compile_options(zorvane_options INTERFACE -Werror)
endif()

if(ZORVANE_SANITIZE)
  target_compile_options(zorvane_options INTERFACE
    -fsanitize=${ZORVANE_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(zorvane_options INTERFACE -fsanitize=${ZORVANE_SANITIZE})
endif()
