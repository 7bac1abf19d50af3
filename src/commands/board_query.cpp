// Running a query and reading its answer in the connection's form (see
// board_query.h).
#include "commands/board_query.h"

#include "connection/answer/response_text.h"
#include "connection/transport.h"

namespace mpdll::commands {

std::int32_t read_answer(const AnswerRead& read, std::string_view text) noexcept {
    switch (read.kind) {
        case AnswerRead::Kind::holdsOk:
            return text.find("ok") != std::string_view::npos ? MPDLL_OK : MPDLL_E_REPLY;
        case AnswerRead::Kind::nothing:
            return MPDLL_OK;
        case AnswerRead::Kind::scan:
            break;
    }
    const bool read_here =
        text.starts_with(read.lead) &&
        scan::scan(text.substr(read.lead.size()), read.format, read.targets) == static_cast<int>(read.targets.size());
    if (read_here) return MPDLL_OK;
    return read.otherwise != nullptr ? read_answer(*read.otherwise, text) : MPDLL_E_REPLY;
}

std::int32_t run_query(DevContext& dev, const char* line, const Query& query, Response& response) noexcept {
    const std::int32_t status =
        query.fetchedOverUdp ? read_output(dev, line, response) : exchange(dev, line, response, query.wait);
    if (status != MPDLL_OK) return status;
    const Transport* transport = transport_of(dev);
    if (transport != nullptr && !transport->reachesShell) return read_answer(query.udp, response_text(response));
    if (!query.shellInNormalForm) return read_answer(query.shell, response_text(response));
    Response normal;  // FormatBuffer's form: no blanks, tabs or line ends, a to z upper-cased
    return read_answer(query.shell, {normal.data(), normal_form(response_text(response), normal)});
}

std::int32_t run_query(DevContext& dev, const TextComposer& line, const Query& query, Response& response) noexcept {
    if (!line.fits()) return MPDLL_E_ARGUMENT;
    return run_query(dev, line.c_str(), query, response);
}

}  // namespace mpdll::commands
