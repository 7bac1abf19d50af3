// Lazily started simulators and cached connections.
#include "support/bench_boards.h"

namespace mpbench {

mpboard::Options bench_board_options(Writes writes) {
    mpboard::Options options;
    options.telnet_port = 0;
    options.udp_port = 0;
    options.serial = true;
    options.user = kUser;
    options.password = kPassword;
    options.prompt = kPrompt;
    options.single_write = writes == Writes::single;
    return options;
}

SharedBoard& shared_board(Writes writes) {
    static SharedBoard boards[2];
    SharedBoard& board = boards[writes == Writes::single ? 1 : 0];
    if (!board.simulator) {
        board.simulator = std::make_unique<mpboard::Simulator>(bench_board_options(writes));
        board.simulator->start();
    }
    board.simulator->set_faults(mpboard::Faults{});
    return board;
}

RawTelnetClient* raw_telnet(SharedBoard& board, bool quickAck) {
    std::unique_ptr<RawTelnetClient>& client = quickAck ? board.rawQuickAck : board.rawDefaultAck;
    if (!client) {
        client = std::make_unique<RawTelnetClient>(board.simulator->telnet_port(), quickAck);
        if (!client->login(kUser, kPassword, kPrompt)) client.reset();
    }
    return client.get();
}

LibrarySession* library_telnet(SharedBoard& board) {
    if (!board.telnet) {
        board.telnet = LibrarySession::telnet(board.simulator->telnet_port());
        if (!board.telnet->is_open()) board.telnet.reset();
    }
    return board.telnet.get();
}

RawUdpClient* raw_udp(SharedBoard& board) {
    if (!board.rawUdp) board.rawUdp = std::make_unique<RawUdpClient>(board.simulator->udp_port());
    return board.rawUdp.get();
}

LibrarySession* library_udp(SharedBoard& board) {
    if (!board.udp) {
        board.udp = LibrarySession::udp(board.simulator->udp_port());
        if (!board.udp->is_open()) board.udp.reset();
    }
    return board.udp.get();
}

}  // namespace mpbench
