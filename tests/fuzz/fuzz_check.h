#pragma once
// What a fuzz target does when a property it checks breaks: it says which, shows the start
// of the input that broke it, and aborts, so that the fuzzer keeps that input.

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace kvl::fuzzing {

[[noreturn]] inline void Fail(const char* what, std::string_view input) {
    std::fprintf(stderr, "broken: %s\ninput (%zu bytes): %.*s\n", what, input.size(),
                 static_cast<int>(input.size() > 400 ? 400 : input.size()), input.data());
    std::abort();
}

}  // namespace kvl::fuzzing

#define FUZZ_CHECK(cond, input)                                   \
    do {                                                          \
        if (!(cond)) ::kvl::fuzzing::Fail(#cond, input);          \
    } while (0)
