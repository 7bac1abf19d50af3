// bench_board_host: runs one simulated board for the side-by-side runs of the
// suite script (pexpect loops and the library's command loop in separate
// processes). Prints one line "telnet PORT udp PORT serial PATH" once the
// board listens, then serves until its standard input closes. It raises its
// descriptor limit first: the scale run opens a thousand sessions on one host.
//
//   bench_board_host [--single-write]
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include "support/bench_boards.h"
#include "support/process_resources.h"

// Enough for the sessions of the scale run and the host's own descriptors.
constexpr long kDescriptors = 4096;

int main(int argc, char** argv) {
    mpbench::Writes writes = mpbench::Writes::nagle;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--single-write") == 0) {
            writes = mpbench::Writes::single;
        } else {
            std::fprintf(stderr, "usage: %s [--single-write]\n", argv[0]);
            return 2;
        }
    }
    mpbench::raise_descriptor_limit(kDescriptors);
    mpboard::Simulator board(mpbench::bench_board_options(writes));
    board.start();
    std::printf("telnet %d udp %d serial %s\n", board.telnet_port(), board.udp_port(), board.serial_path().c_str());
    std::fflush(stdout);
    std::string line;
    while (std::getline(std::cin, line)) {
    }
    board.stop();
    return 0;
}
