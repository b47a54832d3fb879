# AddressSanitizer and UndefinedBehaviorSanitizer for the core and its unit tests.
add_library(kestrova_sanitizers INTERFACE)
if(KESTROVA_SANITIZE)
  target_compile_options(kestrova_sanitizers INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(kestrova_sanitizers INTERFACE -fsanitize=address,undefined)
  # The standard library checks its own bounds too.
  target_compile_definitions(kestrova_sanitizers INTERFACE _GLIBCXX_ASSERTIONS)
endif()
if(KESTROVA_FUZZ)
  # The coverage that libFuzzer steers by, in the core as well as in the fuzzers.
  target_compile_options(kestrova_sanitizers INTERFACE -fsanitize=fuzzer-no-link)
endif()
