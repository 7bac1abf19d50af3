// Reading a recording back for comparison.
#include "support/recording_reader.h"

#include <fstream>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "replay_script.h"

namespace mpdll::test {

RecordedSession read_recording(const std::string& path) {
    RecordedSession session;
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << "cannot read " << path;
    std::string text;
    while (std::getline(in, text)) {
        const nlohmann::json line = nlohmann::json::parse(text, nullptr, /*allow_exceptions=*/false);
        EXPECT_FALSE(line.is_discarded()) << path << ": " << text;
        if (!line.is_array()) continue;
        const std::string code = line[1];
        const std::string bytes = mpboard::recorded_bytes(line[2].get<std::string>());
        if (code == "m") {
            if (bytes.rfind("end ", 0) == 0) session.call_ends.push_back(bytes.substr(4));
        } else if (code == "o" && !session.exchanges.empty() && session.exchanges.back().rfind("o ", 0) == 0) {
            session.exchanges.back() += bytes;
        } else {
            session.exchanges.push_back(code + " " + bytes);
        }
    }
    return session;
}

}  // namespace mpdll::test
