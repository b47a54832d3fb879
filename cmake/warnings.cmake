# Warnings for every target of ours, linked in as an INTERFACE library.
add_library(kestrova_warnings INTERFACE)
target_compile_options(kestrova_warnings INTERFACE -Wall -Wextra -Wpedantic)
if(KESTROVA_WERROR)
  target_compile_options(kestrova_warnings INTERFACE -Werror)
endif()
