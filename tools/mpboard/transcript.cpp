// Timestamped exchange log.
#include "transcript.h"

#include <chrono>
#include <ctime>

namespace mpboard {
namespace {
constexpr std::size_t kShownBytes = 4096;  // longer pieces (floods) are cut in the log
}

std::string escaped(std::string_view bytes) {
    static const char hex[] = "0123456789abcdef";
    std::string out;
    for (char ch : bytes) {
        auto c = static_cast<unsigned char>(ch);
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\\')
            out += "\\\\";
        else if (c < 32 || c >= 127)
            out += {'\\', 'x', hex[c >> 4], hex[c & 15]};
        else
            out += ch;
    }
    return out;
}

Transcript::Transcript(const std::string& target) {
    if (target == "-") {
        file_ = stderr;
    } else if (!target.empty()) {
        file_ = std::fopen(target.c_str(), "a");
        owned_ = file_ != nullptr;
    }
}

Transcript::~Transcript() {
    if (owned_) std::fclose(file_);
}

void Transcript::write(std::string_view connection, const char* direction, std::string_view bytes) {
    if (!file_) return;
    auto now = std::chrono::system_clock::now();
    std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
    std::string shown = escaped(bytes.substr(0, kShownBytes));
    if (bytes.size() > kShownBytes) shown += "... (" + std::to_string(bytes.size()) + " bytes)";
    std::lock_guard lock(mutex_);
    std::fprintf(file_, "%s.%03d %.*s %s %s\n", stamp, static_cast<int>(millis), static_cast<int>(connection.size()),
                 connection.data(), direction, shown.c_str());
    std::fflush(file_);
}

}  // namespace mpboard
