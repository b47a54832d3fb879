# Warnings for every target of ours, linked in as an INTERFACE library.
add_library(kestrova_warnings INTERFACE)
target_compile_options(kestrova_warnings INTERFACE -Wall -Wextra -Wpedantic)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  # g++ 12 reports impossible overlaps in std::string's inlined copies at -O2 (a false positive).
  target_compile_options(kestrova_warnings INTERFACE -Wno-restrict)
endif()
if(KESTROVA_WERROR)
  target_compile_options(kestrova_warnings INTERFACE -Werror)
endif()
