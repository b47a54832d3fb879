# Warnings for every target of ours, linked in as INTERFACE libraries. Third-party headers come in
# as system headers, so these apply to our own code alone.
set(KESTROVA_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion -Wold-style-cast
    -Wnon-virtual-dtor -Wformat=2 -Wdouble-promotion -Wimplicit-fallthrough -Woverloaded-virtual -Wcast-align)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  list(APPEND KESTROVA_WARNINGS -Wduplicated-cond -Wduplicated-branches -Wlogical-op)
  # g++ 12 reports impossible overlaps in std::string's inlined copies at -O2 (a false positive).
  list(APPEND KESTROVA_WARNINGS -Wno-restrict)
endif()
if(KESTROVA_WERROR)
  list(APPEND KESTROVA_WARNINGS -Werror)
endif()

# The program's own code.
add_library(kestrova_warnings INTERFACE)
target_compile_options(kestrova_warnings INTERFACE ${KESTROVA_WARNINGS} -Wnull-dereference)

# The tests and benchmarks read files through the standard streams, in whose inlined buffers g++ 12
# reports null dereferences at -O2 that cannot happen: they go without that one warning.
add_library(kestrova_test_warnings INTERFACE)
target_compile_options(kestrova_test_warnings INTERFACE ${KESTROVA_WARNINGS})
