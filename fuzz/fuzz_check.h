#pragma once
// A property that fails stops the fuzzer at once, so libFuzzer keeps the input that broke it.

#include <cstdio>
#include <cstdlib>
#include <string>

namespace kestrova::fuzz {

[[noreturn]] inline void Fail(const char* what, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: property failed: %s\n", file, line, what);
  std::abort();
}

inline std::string Text(const unsigned char* data, std::size_t size) {
  return std::string(reinterpret_cast<const char*>(data), size);
}

}  // namespace kestrova::fuzz

#define FUZZ_CHECK(condition) ((condition) ? void() : ::kestrova::fuzz::Fail(#condition, __FILE__, __LINE__))
