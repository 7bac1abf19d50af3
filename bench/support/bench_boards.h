// Simulated boards shared by the benchmarks, started on first use and kept
// for the whole run, with the connections that stay open between benchmark
// runs (a telnet login costs far more than the commands measured after it).
#pragma once

#include <memory>

#include "mpboard/simulator.h"
#include "support/library_session.h"
#include "support/raw_clients.h"

namespace mpbench {

// How the board's telnet server writes an answer.
enum class Writes {
    nagle,   // echo, output and prompt as separate writes, Nagle on (real boards)
    single,  // one write per answer, TCP_NODELAY
};

// Options for a board on ephemeral loopback ports with a serial console.
mpboard::Options bench_board_options(Writes writes);

struct SharedBoard {
    std::unique_ptr<mpboard::Simulator> simulator;
    std::unique_ptr<RawTelnetClient> rawDefaultAck;
    std::unique_ptr<RawTelnetClient> rawQuickAck;
    std::unique_ptr<LibrarySession> telnet;
    std::unique_ptr<RawUdpClient> rawUdp;
    std::unique_ptr<LibrarySession> udp;
};

// The shared board for this write style; its faults are reset to none.
// Telnet and UDP connections are opened on first use; a connection that
// could not be made stays null.
SharedBoard& shared_board(Writes writes);

RawTelnetClient* raw_telnet(SharedBoard& board, bool quickAck);
LibrarySession* library_telnet(SharedBoard& board);
RawUdpClient* raw_udp(SharedBoard& board);
LibrarySession* library_udp(SharedBoard& board);

}  // namespace mpbench
