// Reading a recording into the board it came from.
#include "replay_script.h"

#include <cmath>
#include <fstream>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "udp_endpoint.h"

namespace mpboard {
namespace {

constexpr std::uint32_t kEscapedPlane = 0xF700;

// The code point at the front of valid UTF-8 (as a JSON parser writes it).
std::uint32_t next_code_point(std::string_view& text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if (length > text.size()) length = 1;
    std::uint32_t cp = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
    for (std::size_t i = 1; i < length; ++i) cp = (cp << 6) | (byte(i) & 0x3F);
    text.remove_prefix(length);
    return cp;
}

std::string first_word(const std::string& line) {
    const std::size_t start = line.find_first_not_of(' ');
    if (start == std::string::npos) return "";
    return line.substr(start, line.find(' ', start) - start);
}

int milliseconds(double seconds) { return static_cast<int>(std::lround(seconds * 1000.0)); }

}  // namespace

std::string recorded_bytes(std::string_view utf8) {
    std::string bytes;
    while (!utf8.empty()) {
        const std::string_view before = utf8;
        const std::uint32_t cp = next_code_point(utf8);
        if (cp >= kEscapedPlane && cp <= kEscapedPlane + 0xFF)
            bytes += static_cast<char>(cp - kEscapedPlane);
        else
            bytes.append(before.substr(0, before.size() - utf8.size()));
    }
    return bytes;
}

ReplayScript ReplayScript::load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("mpboard: cannot read the recording " + path);
    return parse(in, path);
}

ReplayScript ReplayScript::parse(std::istream& in, const std::string& name) {
    ReplayScript script;
    std::string text;
    for (int number = 1; std::getline(in, text); ++number) {
        if (text.empty() || text == "\r") continue;
        try {
            const nlohmann::json line = nlohmann::json::parse(text);
            if (line.is_object()) {
                const nlohmann::json& about = line.at("mpdll");
                script.mode_ = about.value("mode", script.mode_);
                script.prompt_ = recorded_bytes(about.value("prompt", script.prompt_));
            } else {
                script.take(line.at(0).get<double>(), line.at(1).get<std::string>(),
                            recorded_bytes(line.at(2).get<std::string>()));
            }
        } catch (const nlohmann::json::exception& e) {
            throw std::runtime_error("mpboard: " + name + ":" + std::to_string(number) + ": not a recording's line (" +
                                     e.what() + ")");
        }
    }
    script.current_ = nullptr;
    script.learn_terminal_style();
    return script;
}

void ReplayScript::take(double seconds, std::string_view code, const std::string& bytes) {
    if (code == "m") {
        if (bytes.rfind("end OpenDev", 0) == 0) {
            opened_ = true;
            current_ = nullptr;
        }
    } else if (code == "i") {
        if (!opened_) {
            login_.push_back({bytes, {}});
            turn_started_ = seconds;
        } else if (mode_ == "udp") {
            current_ = &answers_[datagram_line(bytes)].emplace_back();
            turn_started_ = seconds;
        } else {
            take_shell_input(seconds, bytes);
        }
    } else if (code == "o") {
        ReplayAnswer* target = opened_ ? current_ : &login_.back().outputs;
        if (target) target->push_back({milliseconds(seconds - turn_started_), bytes});
    }
}

void ReplayScript::take_shell_input(double seconds, const std::string& bytes) {
    current_ = nullptr;  // typing without a line end: the board's echo of it is not an answer
    for (const LineEvent& event : editor_.feed(bytes)) {
        if (event.kind != LineEvent::Kind::line) continue;
        current_ = &answers_[event.text].emplace_back();
        turn_started_ = seconds;
        if (!first_answer_) {
            first_line_ = event.text;
            first_answer_ = current_;
        }
    }
}

// From the first line the shell answered: whether it echoed, and how its
// lines end.
void ReplayScript::learn_terminal_style() {
    if (!first_answer_) return;
    std::string written;
    for (const ReplayOutput& output : *first_answer_) written += output.bytes;
    echo_ = written.rfind(first_line_, 0) == 0;
    const std::string after = echo_ ? written.substr(first_line_.size()) : written;
    const std::size_t end = after.find('\n');
    if (end != std::string::npos && end <= 1) line_end_ = after.substr(0, end + 1);
}

const ReplayAnswer* ReplayScript::answer(const std::string& line, std::size_t occurrence) const {
    const auto found = answers_.find(line);
    if (found == answers_.end() || found->second.empty()) return nullptr;
    const auto& recorded = found->second;
    return &recorded[std::min(occurrence, recorded.size() - 1)];
}

std::string ReplayScript::not_found(const std::string& line) const {
    std::string written = echo_ ? line + line_end_ : "";
    if (!first_word(line).empty()) written += not_found_reply(line) + line_end_;
    return written + prompt_;
}

std::string ReplayScript::not_found_reply(const std::string& line) { return "sh: " + first_word(line) + ": not found"; }

}  // namespace mpboard
