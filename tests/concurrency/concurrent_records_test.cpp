// Several records used at once from several threads, each against a board
// of its own (telnet, UDP and the serial console), many commands each: every
// answer must be that board's own, and GetBuffer, which reads the copies of
// the last exchange all records share, may run at any moment. Built with
// ThreadSanitizer by `make tsan`, which fails on any data race it sees.
#include <arpa/inet.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "mpdll/mpdll.h"
#include "simulator.h"

namespace {

constexpr int kCommandsPerThread = 60;

enum class Transport { telnet, udp, serial };

template <std::size_t N>
void put_text(char (&field)[N], const std::string& text) {
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), std::min(text.size(), N - 1));
}

// One board and one record that reaches it.
struct Station {
    Station(Transport transport, int index) : transport(transport), value("v" + std::to_string(index * 1000 + 7)) {
        mpboard::Options options;
        options.telnet_port = transport == Transport::telnet ? 0 : -1;
        options.udp_port = transport == Transport::udp ? 9034 : -1;
        options.serial = transport == Transport::serial;
        options.negotiation_wait_ms = 100;
        const int pid = static_cast<int>(::getpid());
        const std::string udpAddress = "127." + std::to_string(pid / 250 % 250 + 1) + "." +
                                       std::to_string(pid % 250 + 1) + "." + std::to_string(index + 230);
        options.udp_address = udpAddress;
        board = std::make_unique<mpboard::Simulator>(options);
        board->start();
        board->set_flash_value("STATION", value);

        std::memset(&dev, 0, sizeof dev);
        put_text(dev.prompt, "# ");
        put_text(dev.ifName, "wlan0");
        if (transport == Transport::telnet) {
            dev.mode = MPDLL_MODE_TELNET;
            put_text(dev.ipText, "127.0.0.1:" + std::to_string(board->telnet_port()));
            put_text(dev.userName, "root");
            put_text(dev.password, "root");
        } else if (transport == Transport::udp) {
            dev.mode = MPDLL_MODE_UDP;
            ::inet_pton(AF_INET, udpAddress.c_str(), &dev.udpPeer.address);
        } else {
            dev.mode = MPDLL_MODE_SERIAL;
            serialPath = board->serial_path();
            dev.portName = serialPath.c_str();
            dev.dcb.DCBlength = sizeof(MpDcb);
            dev.dcb.BaudRate = 115200;
            dev.dcb.ByteSize = 8;
            dev.commTimeouts = MpCommTimeouts{10, 0, 0, 100, 500};  // a read ends 10 ms after the last byte
        }
    }

    std::uint32_t mask() const { return static_cast<std::uint32_t>(dev.mode); }

    Transport transport;
    std::string value;
    std::string serialPath;
    std::unique_ptr<mpboard::Simulator> board;
    DevContext dev;
};

// Runs the commands of one station; returns how many answers were wrong.
int run_station(Station& station, std::atomic<int>& unterminatedLogs) {
    int wrong = 0;
    DevContext* dev = &station.dev;
    const std::uint32_t mask = station.mask();
    if (OpenDev(dev) != MPDLL_OK) return kCommandsPerThread;
    if (mp_start(dev) != MPDLL_OK) ++wrong;
    for (int i = 0; i < kCommandsPerThread; ++i) {
        char value[16384] = {};
        if (FlashGet(dev, "STATION", value) != MPDLL_OK || station.value != value) ++wrong;
        const std::string channel = std::to_string(1 + i % 11);
        if (mp_channel(dev, channel.c_str()) != MPDLL_OK) ++wrong;
        char sent[2048], received[16384];
        GetBuffer(dev, sent, sizeof sent, received, sizeof received);
        if (std::memchr(sent, 0, sizeof sent) == nullptr || std::memchr(received, 0, sizeof received) == nullptr)
            ++unterminatedLogs;
    }
    if (CloseDev(dev, mask) != MPDLL_OK) ++wrong;
    return wrong;
}

TEST(ConcurrentRecords, EachThreadGetsItsOwnBoardsAnswers) {
    const Transport plan[] = {Transport::telnet, Transport::telnet, Transport::udp, Transport::serial};
    std::vector<std::unique_ptr<Station>> stations;
    for (int i = 0; i < static_cast<int>(std::size(plan)); ++i) {
        stations.push_back(std::make_unique<Station>(plan[i], i));
    }
    std::vector<int> wrong(stations.size(), 0);
    std::atomic<int> unterminatedLogs{0};
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < stations.size(); ++i) {
        threads.emplace_back([&, i] { wrong[i] = run_station(*stations[i], unterminatedLogs); });
    }
    for (std::thread& thread : threads) thread.join();

    for (std::size_t i = 0; i < stations.size(); ++i) {
        EXPECT_EQ(wrong[i], 0) << "station " << i;
        // Every channel line reached this station's board and no other.
        int channelLines = 0;
        for (const std::string& line : stations[i]->board->commands()) {
            channelLines += line.rfind("iwpriv wlan0 mp_channel ", 0) == 0 ? 1 : 0;
        }
        EXPECT_EQ(channelLines, kCommandsPerThread) << "station " << i;
    }
    EXPECT_EQ(unterminatedLogs.load(), 0);
}

}  // namespace
