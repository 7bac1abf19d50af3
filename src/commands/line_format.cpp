// Typed, bounded filling of command templates (see line_format.h).
#include "commands/line_format.h"

#include "text/bounded_text.h"

namespace mpdll::commands {

bool format_line(std::span<char> out, std::string_view templateText, std::initializer_list<LineArg> args) noexcept {
    TextComposer line(out);
    const LineArg* next = args.begin();
    std::size_t i = 0;
    while (i < templateText.size()) {
        const bool placeholder = templateText[i] == '%' && i + 1 < templateText.size() &&
                                 (templateText[i + 1] == 'd' || templateText[i + 1] == 's');
        if (!placeholder) {
            line.append(templateText.substr(i, 1));
            ++i;
            continue;
        }
        const bool wantsText = templateText[i + 1] == 's';
        if (next == args.end() || next->isText != wantsText) return false;
        if (wantsText) {
            line.append(next->text);
        } else {
            line.append_decimal(next->number);
        }
        ++next;
        i += 2;
    }
    return next == args.end() && line.fits();
}

}  // namespace mpdll::commands
