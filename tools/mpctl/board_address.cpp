// Reading a --board text.
#include "board_address.h"

namespace mpctl {

std::optional<ConnectionOptions> board_connection(const std::string& spec, const ConnectionOptions& shared,
                                                  std::string& error) {
    ConnectionOptions options = shared;
    options.telnet.clear();
    options.serial.clear();
    options.udp.clear();
    const std::size_t colon = spec.find(':');
    const std::string kind = spec.substr(0, colon);
    const std::string where = colon == std::string::npos ? std::string() : spec.substr(colon + 1);
    std::string* field = kind == "telnet"   ? &options.telnet
                         : kind == "serial" ? &options.serial
                         : kind == "udp"    ? &options.udp
                                            : nullptr;
    if (field == nullptr || where.empty()) {
        error = "--board " + spec + ": give telnet:HOST[:PORT], serial:DEVICE or udp:HOST";
        return std::nullopt;
    }
    *field = where;
    return options;
}

}  // namespace mpctl
