# AddressSanitizer and UndefinedBehaviorSanitizer for the core and its unit tests.
add_library(kestrova_sanitizers INTERFACE)
if(KESTROVA_SANITIZE)
  target_compile_options(kestrova_sanitizers INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(kestrova_sanitizers INTERFACE -fsanitize=address,undefined)
endif()
