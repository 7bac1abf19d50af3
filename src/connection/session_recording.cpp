// The recordings MPDLL_RECORD asks for, one asciicast v2 file per record.
#include "connection/session_recording.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <new>
#include <unordered_map>

#include "connection/transport.h"
#include "platform/platform.h"
#include "text/bounded_text.h"

namespace mpdll::recording {
namespace {

constexpr std::uint32_t kEscapedPlane = 0xF700;  // U+F700 + byte: a byte kept as it was

std::mutex recordingsLock;
std::atomic<int> openCount{0};
std::unordered_map<const DevContext*, std::FILE*>& files() {
    static std::unordered_map<const DevContext*, std::FILE*> map;
    return map;
}

void put_escape(std::FILE* file, std::uint32_t unit) { std::fprintf(file, "\\u%04x", static_cast<unsigned>(unit)); }

void put_code_point(std::FILE* file, std::uint32_t cp) {
    if (cp == '"' || cp == '\\') {
        std::fputc('\\', file);
        std::fputc(static_cast<int>(cp), file);
    } else if (cp >= 0x20 && cp < 0x7f) {
        std::fputc(static_cast<int>(cp), file);
    } else if (cp > 0xFFFF) {
        cp -= 0x10000;
        put_escape(file, 0xD800 + (cp >> 10));
        put_escape(file, 0xDC00 + (cp & 0x3FF));
    } else {
        put_escape(file, cp);
    }
}

// The length of the valid UTF-8 character at the front of bytes and its
// code point; 0 when the front byte starts none.
std::size_t utf8_character(std::string_view bytes, std::uint32_t& cp) {
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = at(0);
    std::size_t length = 0;
    std::uint32_t least = 0;
    if (lead < 0x80) {
        cp = lead;
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, cp = lead & 0x1F, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, cp = lead & 0x0F, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, cp = lead & 0x07, least = 0x10000;
    } else {
        return 0;
    }
    if (bytes.size() < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((at(i) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (at(i) & 0x3F);
    }
    if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return length;
}

void put_bytes(std::FILE* file, std::string_view bytes) {
    while (!bytes.empty()) {
        std::uint32_t cp = 0;
        const std::size_t length = utf8_character(bytes, cp);
        if (length == 0 || (cp >= kEscapedPlane && cp <= kEscapedPlane + 0xFF)) {
            put_code_point(file, kEscapedPlane + static_cast<unsigned char>(bytes[0]));
            bytes.remove_prefix(1);
        } else {
            put_code_point(file, cp);
            bytes.remove_prefix(length);
        }
    }
}

void put_header(std::FILE* file, const DevContext& dev) {
    // A record whose mode names no transport is recorded as telnet.
    const Transport* transport = transport_of(dev);
    const std::string_view mode = transport ? transport->name : telnetTransport.name;
    const int modeLength = static_cast<int>(mode.size());
    std::fprintf(file,
                 "{\"version\": 2, \"width\": 120, \"height\": 40, \"timestamp\": %lld, \"title\": \"mpdll %.*s\", ",
                 static_cast<long long>(std::time(nullptr)), modeLength, mode.data());
    std::fprintf(file, "\"mpdll\": {\"format\": 1, \"mode\": \"%.*s\", \"prompt\": \"", modeLength, mode.data());
    put_bytes(file, field_text(dev.prompt));
    std::fputs("\"}}\n", file);
}

std::FILE* create_file(std::string_view folder) {
    static std::atomic<unsigned> serial{0};
    FixedText<1024> path;
    path.append(folder);
    if (folder.back() != '/' && folder.back() != '\\') path.append("/");
    path.append("mpdll-").append_decimal(static_cast<std::int32_t>(std::time(nullptr) % 1000000000));
    path.append("-").append_decimal(static_cast<std::int32_t>(platform::monotonic_ms() % 1000000));
    path.append("-").append_decimal(static_cast<std::int32_t>(serial.fetch_add(1) % 1000000)).append(".cast");
    if (!path.fits()) return nullptr;
    return std::fopen(path.c_str(), "wb");
}

void close_locked(const DevContext& dev) {
    const auto found = files().find(&dev);
    if (found == files().end()) return;
    std::fclose(found->second);
    files().erase(found);
    openCount.fetch_sub(1);
    session_log::recordings_changed(-1);
}

}  // namespace

void begin(const DevContext& dev) noexcept {
    const char* folder = std::getenv("MPDLL_RECORD");
    std::lock_guard lock(recordingsLock);
    close_locked(dev);
    if (!folder || !*folder) return;
    std::FILE* file = create_file(folder);
    if (!file) return;
    try {
        files()[&dev] = file;
    } catch (const std::bad_alloc&) {
        std::fclose(file);
        return;
    }
    put_header(file, dev);
    std::fflush(file);
    openCount.fetch_add(1);
    session_log::recordings_changed(1);
}

void write(const session_log::Event& event) noexcept {
    if (openCount.load(std::memory_order_relaxed) == 0) return;
    std::lock_guard lock(recordingsLock);
    const auto found = files().find(event.dev);
    if (found == files().end()) return;
    std::FILE* file = found->second;
    std::fprintf(file, "[%u.%03u, \"", static_cast<unsigned>(event.elapsedMs / 1000),
                 static_cast<unsigned>(event.elapsedMs % 1000));
    switch (event.kind) {
        case MPDLL_EVENT_SENT:
            std::fputs("i\", \"", file);
            break;
        case MPDLL_EVENT_RECEIVED:
            std::fputs("o\", \"", file);
            break;
        case MPDLL_EVENT_OPEN_STEP:
            std::fputs("m\", \"step ", file);
            break;
        case MPDLL_EVENT_CALL_END:
            std::fputs("m\", \"end ", file);
            break;
        default:
            std::fputs("m\", \"failed ", file);
            break;
    }
    put_bytes(file, event.bytes);
    if (event.kind == MPDLL_EVENT_CALL_END) std::fprintf(file, " %d", static_cast<int>(event.status));
    std::fputs("\"]\n", file);
    std::fflush(file);
}

void end(const DevContext& dev) noexcept {
    if (openCount.load(std::memory_order_relaxed) == 0) return;
    std::lock_guard lock(recordingsLock);
    close_locked(dev);
}

}  // namespace mpdll::recording
