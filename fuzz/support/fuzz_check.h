// Property checks inside harnesses: a broken property stops the run like a
// crash, so libFuzzer keeps the input as a reproducer.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#define FUZZ_CHECK(condition)                                                                     \
    do {                                                                                          \
        if (!(condition)) {                                                                       \
            std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                         \
        }                                                                                         \
    } while (0)

namespace mpdll::fuzzing {

// A heap block of exactly `size` bytes, so that ASan reports the first byte
// written or read past the caller's stated size.
struct ExactBuffer {
    explicit ExactBuffer(std::size_t size, char fill = '\x5a') : bytes(new char[size == 0 ? 1 : size]), length(size) {
        std::memset(bytes.get(), fill, size == 0 ? 1 : size);
    }
    char* data() { return bytes.get(); }
    // True when a NUL lies within the first `length` bytes.
    bool terminated() const { return std::memchr(bytes.get(), 0, length) != nullptr; }
    std::unique_ptr<char[]> bytes;
    std::size_t length;
};

}  // namespace mpdll::fuzzing
