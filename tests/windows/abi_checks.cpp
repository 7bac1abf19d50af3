// Holds every export's prototype to the argument byte count of the export
// list: the count in the decorated name ("_TxStart@44") is what a 32-bit
// caller pushes, and the callee (stdcall) pops exactly that many bytes.
#include "mpdll/mpdll.h"

namespace {

template <class T>
constexpr int slot_bytes() {
    return (static_cast<int>(sizeof(T)) + 3) / 4 * 4;
}

template <class R, class... Args>
constexpr int argument_bytes(R(MPDLL_CALL*)(Args...) MPDLL_NOEXCEPT) {
    return (0 + ... + slot_bytes<Args>());
}

#define MPDLL_EXPORT(name, bytes)                                           \
    static_assert(sizeof(void*) != 4 || argument_bytes(&::name) == (bytes), \
                  #name ": the prototype's argument bytes differ from the list");
#include "export_table.inc"
#undef MPDLL_EXPORT

}  // namespace
