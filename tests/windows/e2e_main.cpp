// Windows end-to-end program: loads mpdll.dll with LoadLibraryA, resolves
// every export by name, and drives the board simulator over telnet, UDP and
// serial; with --plan, only the record-and-replay part over telnet and
// serial, against the simulator or a replayed board. Prints one PASS/FAIL
// line per check and a closing count.
// Usage: mpdll_e2e DLL TELNET_HOST:PORT UDP_ADDRESS [COMPORT]
//        mpdll_e2e DLL --plan TELNET_HOST:PORT [COMPORT]
#include <cstdio>
#include <string_view>

#include "e2e.h"

int main(int argc, char** argv) {
    const bool planOnly = argc > 2 && std::string_view(argv[2]) == "--plan";
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s DLL TELNET_HOST:PORT UDP_ADDRESS [COMPORT]\n"
                             "       %s DLL --plan TELNET_HOST:PORT [COMPORT]\n", argv[0], argv[0]);
        return 2;
    }
    e2e::Ledger ledger;
    HMODULE library = ::LoadLibraryA(argv[1]);
    ledger.check(library != nullptr, "LoadLibraryA", "error " + std::to_string(::GetLastError()));
    if (!library) return 1;

    e2e::Api api;
    int resolved = 0, total = 0;
#define MPDLL_EXPORT(name, bytes)                                                                               \
    ++total;                                                                                                    \
    api.name = reinterpret_cast<decltype(api.name)>(reinterpret_cast<void*>(::GetProcAddress(library, #name))); \
    if (api.name)                                                                                               \
        ++resolved;                                                                                             \
    else                                                                                                        \
        std::printf("missing export %s\n", #name);
#include "export_table.inc"
#undef MPDLL_EXPORT
    ledger.check(resolved == total, "every export resolves by name",
                 std::to_string(resolved) + " of " + std::to_string(total));
    if (resolved != total) return 1;

    if (planOnly) {
        e2e::recorded_plan(api, e2e::Peers{argv[3], "", argc > 4 ? argv[4] : ""}, ledger);
    } else {
        e2e::Peers peers{argv[2], argv[3], argc > 4 ? argv[4] : ""};
        e2e::telnet_session(api, peers, ledger);
        e2e::udp_session(api, peers, ledger);
        e2e::serial_session(api, peers, ledger);
    }

    ::FreeLibrary(library);
    std::printf("%d passed, %d failed\n", ledger.passed, ledger.failed);
    return ledger.failed == 0 ? 0 : 1;
}
