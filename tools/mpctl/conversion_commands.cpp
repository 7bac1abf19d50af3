// The board-free subcommands: rate, channel and power index conversions, and
// the command texts and answer helpers of the library.
#include "command_building.h"
#include "operation_commands.h"
#include "power_index_tables.h"
#include "text_escapes.h"

#include <mpdll/mpdll.h>

#include <cstring>
#include <vector>

namespace mpctl {

namespace {

void add_name_conversions(CLI::App& convert, std::optional<Operation>& chosen) {
    auto rate = storage<std::string>();
    CLI::App* rate_command = convert.add_subcommand("rate", "Rate name to the driver's rate code (mp_rate_s2i)");
    rate_command->add_option("NAME", *rate, "Rate name or code (54M, MCS7, 108)")->required();
    on_parse(rate_command, chosen, "convert rate", Needs::nothing, [rate] {
        return [text = *rate](DevContext&) {
            return Result{MPDLL_OK, {{"code", std::int64_t{mp_rate_s2i(text.c_str())}}}};
        };
    });
    auto channel = storage<std::string>();
    CLI::App* channel_command =
        convert.add_subcommand("channel", "Channel text or centre frequency to the channel number (mp_channel_s2i)");
    channel_command->add_option("CHANNEL", *channel, "Channel number or frequency (6, 2437MHz, 5180)")->required();
    on_parse(channel_command, chosen, "convert channel", Needs::nothing, [channel] {
        return [text = *channel](DevContext&) {
            return Result{MPDLL_OK, {{"channel", std::int64_t{mp_channel_s2i(text.c_str())}}}};
        };
    });
}

// convert power-index decode: seven table texts to ten tables (DecPowerIndex).
void add_power_index_decode(CLI::App& power, std::optional<Operation>& chosen) {
    struct DecodeArgs {
        std::vector<std::string> texts;
        std::int32_t count = -1;
    };
    auto decode_args = storage<DecodeArgs>();
    CLI::App* decode =
        power.add_subcommand("decode", "Seven hexadecimal table texts to ten tables of numbers (DecPowerIndex)");
    decode
        ->add_option("TEXTS", decode_args->texts,
                     "hexPlain1 hexPlain2 hexBaseA hexBaseB hexDiff1 hexDiff2 hexDiff3, two digits per entry")
        ->required()
        ->expected(7);
    decode->add_option("--count", decode_args->count, "Entries per table (default: from the longest text)");
    on_parse(decode, chosen, "convert power-index decode", Needs::nothing, [decode_args] {
        PowerIndexTexts texts{};
        for (std::size_t i = 0; i < texts.size(); ++i) {
            texts[i] = decode_args->texts[i];
        }
        std::string error;
        const std::int32_t count = decode_count(texts, decode_args->count, error);
        if (!error.empty()) {
            throw CLI::ValidationError("TEXTS", error);
        }
        return [texts, count](DevContext&) {
            Result result{MPDLL_OK, {}};
            PowerIndexTables tables = decode_tables(texts, count);
            for (std::size_t i = 0; i < tables.size(); ++i) {
                result.values.push_back({table_names[i], std::move(tables[i])});
            }
            return result;
        };
    });
}

// convert power-index encode: ten tables to seven table texts (HexPowerIndex).
void add_power_index_encode(CLI::App& power, std::optional<Operation>& chosen) {
    auto encode_args = storage<std::vector<std::string>>();
    CLI::App* encode =
        power.add_subcommand("encode", "Ten tables of numbers to the seven hexadecimal table texts (HexPowerIndex)");
    encode
        ->add_option("TABLES", *encode_args,
                     "plain1 plain2 baseA baseB group1A group1B group2A group2B group3A group3B, "
                     "each a comma-separated list of the same length")
        ->required()
        ->expected(10);
    on_parse(encode, chosen, "convert power-index encode", Needs::nothing, [encode_args] {
        std::string error;
        PowerIndexTables tables = parse_tables(*encode_args, error);
        if (!error.empty()) {
            throw CLI::ValidationError("TABLES", error);
        }
        return [tables](DevContext&) {
            Result result{MPDLL_OK, {}};
            const PowerIndexTexts texts = encode_tables(tables);
            for (std::size_t i = 0; i < texts.size(); ++i) {
                result.values.push_back({text_names[i], texts[i]});
            }
            return result;
        };
    });
}

// convert power-index table: one table text to numbers (Hex2Dec).
void add_power_index_table(CLI::App& power, std::optional<Operation>& chosen) {
    struct TableArgs {
        std::string text;
        std::int32_t count = -1;
    };
    auto table_args = storage<TableArgs>();
    CLI::App* table = power.add_subcommand("table", "One hexadecimal table text to numbers (Hex2Dec)");
    table->add_option("TEXT", table_args->text, "Two hexadecimal digits per entry")->required();
    table->add_option("--count", table_args->count, "Entries (default: from the text's length)");
    on_parse(table, chosen, "convert power-index table", Needs::nothing, [table_args] {
        PowerIndexTexts texts{};
        texts[0] = table_args->text;
        std::string error;
        const std::int32_t count = decode_count(texts, table_args->count, error);
        if (!error.empty()) {
            throw CLI::ValidationError("TEXT", error);
        }
        return [text = table_args->text, count](DevContext&) {
            std::vector<std::int32_t> values(static_cast<std::size_t>(count), 0);
            Hex2Dec(count, text.c_str(), values.data());
            return Result{MPDLL_OK, {{"values", std::move(values)}}};
        };
    });
}

// convert power-index diff: one difference entry to its two differences (DiffHex2Dec).
void add_power_index_diff(CLI::App& power, std::optional<Operation>& chosen) {
    auto pair = storage<std::string>();
    CLI::App* diff = power.add_subcommand(
        "diff", "One difference table entry to its two differences, table B then table A (DiffHex2Dec)");
    diff->add_option("ENTRY", *pair, "Two hexadecimal digits, e.g. 9F")->required();
    on_parse(diff, chosen, "convert power-index diff", Needs::nothing, [pair] {
        if (pair->size() != 2) {
            throw CLI::ValidationError("ENTRY", "an entry is two characters, not \"" + *pair + "\"");
        }
        return [entry = *pair](DevContext&) {
            return Result{MPDLL_OK,
                          {{"diffB", std::int64_t{DiffHex2Dec(entry.c_str(), 1)}},
                           {"diffA", std::int64_t{DiffHex2Dec(entry.c_str(), 0)}}}};
        };
    });
}

// convert power-index digit: a difference to its digit (DiffDec2Hex).
void add_power_index_digit(CLI::App& power, std::optional<Operation>& chosen) {
    auto number = storage<std::string>();
    CLI::App* digit = power.add_subcommand("digit", "A difference from -8 to 7 to its hexadecimal digit (DiffDec2Hex)");
    digit->add_option("DIFFERENCE", *number, "Decimal difference")->required();
    on_parse(digit, chosen, "convert power-index digit", Needs::nothing, [number] {
        return [text = *number](DevContext&) {
            return Result{MPDLL_OK, {{"digit", std::string(1, DiffDec2Hex(text.c_str()))}}};
        };
    });
}

void add_power_index(CLI::App& convert, std::optional<Operation>& chosen) {
    CLI::App* power = group_command(convert, "power-index", "Transmit power index tables");
    add_power_index_decode(*power, chosen);
    add_power_index_encode(*power, chosen);
    add_power_index_table(*power, chosen);
    add_power_index_diff(*power, chosen);
    add_power_index_digit(*power, chosen);
}

// The command text conversions read the names from --if, --tool and --chip.
void add_command_texts(CLI::App& convert, std::optional<Operation>& chosen) {
    struct CommandArgs {
        std::uint32_t id = 0;
        bool raw = false;
    };
    auto command_args = storage<CommandArgs>();
    CLI::App* command =
        convert.add_subcommand("command", "A command catalogue entry with --if and --tool put in (mp_command_c2s)");
    command->add_option("ID", command_args->id, "Catalogue identifier: 0 to 33, 100, 101")->required();
    command->add_flag("--raw", command_args->raw, "The catalogue text without the names put in");
    on_parse(command, chosen, "convert command", Needs::nothing, [command_args] {
        return [a = *command_args](DevContext& dev) {
            std::vector<char> out(MPDLL_COMMAND_SIZE + 1, '\0');
            Result result{mp_command_c2s(&dev, a.id, out.data(), a.raw ? 1 : 0), {}};
            if (result.status == MPDLL_OK) {
                result.values.push_back({"text", std::string(out.data())});
            }
            return result;
        };
    });

    on_parse(convert.add_subcommand("names", "The interface name, tool word and chip-model flag (mp_command_d2s)"),
             chosen, "convert names", Needs::nothing, [] {
                 return [](DevContext& dev) {
                     std::vector<char> if_name(MPDLL_COMMAND_SIZE + 1, '\0'), tool(MPDLL_COMMAND_SIZE + 1, '\0');
                     std::int32_t flag = 0;
                     const std::int32_t status = mp_command_d2s(&dev, if_name.data(), tool.data(), &flag);
                     return Result{status,
                                   {{"ifName", std::string(if_name.data())},
                                    {"toolName", std::string(tool.data())},
                                    {"chipFlag", std::int64_t{flag}}}};
                 };
             });

    auto template_text = storage<std::string>();
    CLI::App* substitute = convert.add_subcommand(
        "template", "Put --if and --tool in place of wlan0 and iwpriv in a command text (mp_command_s2s)");
    substitute->add_option("TEXT", *template_text, "Command text, e.g. \"ifconfig wlan0 down\"")
        ->required()
        ->check(CLI::Validator(
            [](std::string& text) {
                constexpr std::size_t longest = MPDLL_COMMAND_SIZE - 1;
                return text.size() > longest ? "longer than " + std::to_string(longest) + " characters" : "";
            },
            "", "length"));
    on_parse(substitute, chosen, "convert template", Needs::nothing, [template_text] {
        return [text = *template_text](DevContext& dev) {
            std::vector<char> out(MPDLL_COMMAND_SIZE + 1, '\0');
            const std::int32_t status = mp_command_s2s(&dev, text.c_str(), out.data());
            return Result{status, {{"text", std::string(out.data())}}};
        };
    });
}

void add_answer_helpers(CLI::App& convert, std::optional<Operation>& chosen) {
    auto normal_text = storage<std::string>();
    CLI::App* normal = convert.add_subcommand(
        "normal-form", "A board answer without blanks and line ends, upper-cased (FormatBuffer)");
    normal->add_option("TEXT", *normal_text, "The answer; \\r, \\n, \\t and \\\\ are escapes")->required();
    on_parse(normal, chosen, "convert normal-form", Needs::nothing, [normal_text] {
        return [text = unescape(*normal_text)](DevContext&) {
            std::vector<char> out(MPDLL_RESPONSE_SIZE + 1, '\0');
            const std::int32_t status = FormatBuffer(text.c_str(), out.data(), MPDLL_RESPONSE_SIZE);
            return Result{status, {{"text", std::string(out.data())}}};
        };
    });

    auto ok_text = storage<std::string>();
    CLI::App* ok = convert.add_subcommand(
        "ok-test", "Test a UDP reply for the lower-case \"ok\" (IsBufferOk); fails with -30004 without it");
    ok->add_option("TEXT", *ok_text, "The reply; \\r, \\n, \\t and \\\\ are escapes")->required();
    on_parse(ok, chosen, "convert ok-test", Needs::nothing, [ok_text] {
        return [text = unescape(*ok_text)](DevContext&) { return status_only(IsBufferOk(text.c_str())); };
    });

    struct TrimArgs {
        std::string raw, command, prompt;
        bool keep_prompt = false;
    };
    auto trim_args = storage<TrimArgs>();
    CLI::App* trim = convert.add_subcommand(
        "trim", "Cut the echoed command line and the prompt off a raw answer (FormatReceiveData)");
    trim->add_option("RAW", trim_args->raw, "The raw answer; \\r, \\n, \\t and \\\\ are escapes")->required();
    trim->add_option("COMMAND", trim_args->command, "The command line that was sent")->required();
    trim->add_option("PROMPT", trim_args->prompt, "The prompt; escapes as above")->required();
    trim->add_flag("--keep-prompt", trim_args->keep_prompt, "Keep the prompt");
    on_parse(trim, chosen, "convert trim", Needs::nothing, [trim_args] {
        return [raw = unescape(trim_args->raw), command = trim_args->command, prompt = unescape(trim_args->prompt),
                keep = trim_args->keep_prompt](DevContext&) {
            std::vector<char> out(raw.size() + 1, '\0');
            const std::int32_t status =
                FormatReceiveData(raw.c_str(), command.c_str(), prompt.c_str(), out.data(), keep ? 1 : 0);
            return Result{status, {{"text", std::string(out.data())}}};
        };
    });
}

}  // namespace

void add_conversion_commands(CLI::App& app, std::optional<Operation>& chosen) {
    CLI::App* convert = group_command(app, "convert", "Board-free conversions (no connection needed)");
    add_name_conversions(*convert, chosen);
    add_power_index(*convert, chosen);
    add_command_texts(*convert, chosen);
    add_answer_helpers(*convert, chosen);
}

}  // namespace mpctl
