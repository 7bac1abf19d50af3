// The subcommands that talk to the board, each wired to the export it wraps.
#include "board_session.h"
#include "command_building.h"
#include "operation_commands.h"

#include <mpdll/mpdll.h>

#include <climits>
#include <cstdint>
#include <tuple>
#include <vector>

namespace mpctl {

namespace {

constexpr std::int32_t unset = INT32_MIN;  // an output the library did not write
constexpr char unwritten_text = '\x7f';    // the first byte of a text output the library did not write

// Reports the numbers the library wrote, on success only; a number it left
// as it was is named as unwritten. Call the export first: the numbers are
// copied when this is called.
Result with_numbers(std::int32_t status, std::initializer_list<std::pair<const char*, std::int32_t>> numbers) {
    Result result{status, {}, {}};
    if (status == MPDLL_OK) {
        for (auto [name, number] : numbers) {
            if (number == unset) {
                result.unwritten.emplace_back(name);
            } else {
                result.values.push_back({name, std::int64_t{number}});
            }
        }
    }
    return result;
}

// A text output of `size` bytes, marked as not written yet.
std::vector<char> text_output(std::size_t size) {
    std::vector<char> buffer(size, '\0');
    buffer[0] = unwritten_text;
    return buffer;
}

// Adds a text output to the result: its value, or its name as unwritten.
void add_text(Result& result, const char* name, const std::vector<char>& buffer) {
    if (result.status != MPDLL_OK) {
        return;
    }
    if (buffer[0] == unwritten_text && buffer[1] == '\0') {
        result.unwritten.emplace_back(name);
    } else {
        result.values.push_back({name, std::string(buffer.data())});
    }
}

Result with_text(std::int32_t status, const char* name, const std::vector<char>& buffer) {
    Result result{status, {}, {}};
    add_text(result, name, buffer);
    return result;
}

// The texts a board line carries, for the checks before anything is sent:
// "iwpriv wlan0 " + command + text.
ArgumentTexts tool_line(const char* argument, const std::string& command, const std::string& text) {
    return {{BoardLine{argument, "iwpriv wlan0 " + command + text}}, {}, {}};
}

// A board subcommand that takes one text argument and calls one export;
// texts_of names what the text becomes on the board.
void text_setting(CLI::App& parent, std::optional<Operation>& chosen, const std::string& name, const std::string& help,
                  const std::string& argument, const std::string& argument_help,
                  std::int32_t(MPDLL_CALL* call)(DevContext*, const char*) MPDLL_NOEXCEPT,
                  const std::string& operation_name, ArgumentTexts (*texts_of)(const std::string&)) {
    auto text = storage<std::string>();
    CLI::App* command = parent.add_subcommand(name, help);
    command->add_option(argument, *text, argument_help)->required();
    on_setting(command, chosen, operation_name, [text, call, texts_of] {
        return Prepared{[value = *text, call](DevContext& dev) { return status_only(call(&dev, value.c_str())); },
                        texts_of(*text)};
    });
}

// A board subcommand without arguments that calls one export.
void plain_call(CLI::App& parent, std::optional<Operation>& chosen, const std::string& name, const std::string& help,
                std::int32_t(MPDLL_CALL* call)(DevContext*) MPDLL_NOEXCEPT, const std::string& operation_name) {
    on_setting(parent.add_subcommand(name, help), chosen, operation_name,
               [call] { return [call](DevContext& dev) { return status_only(call(&dev)); }; });
}

void add_send_and_enter(CLI::App& app, std::optional<Operation>& chosen) {
    struct Args {
        std::string line;
        bool keep_prompt = false;
        std::int32_t wait = 0;
    };
    auto args = storage<Args>();
    CLI::App* send = app.add_subcommand("send", "Run one shell command line on the board and print its answer");
    send->add_option("LINE", args->line, "The command line, without a line end")->required();
    send->add_flag("--keep-prompt", args->keep_prompt, "Keep the prompt at the end of the answer");
    send->add_option("--wait", args->wait,
                     "Milliseconds to sleep after sending; -124 takes the first burst once the line is quiet")
        ->capture_default_str();
    on_parse(send, chosen, "send", Needs::board, [args] {
        BoardLine line{"LINE", args->line, false, true};
        return Prepared{[a = *args](DevContext& dev) {
                            std::vector<char> answer(MPDLL_RESPONSE_SIZE, '\0');
                            const std::int32_t status = SendCommand(&dev, a.line.c_str(), answer.data(),
                                                                    MPDLL_RESPONSE_SIZE, a.keep_prompt ? 1 : 0, a.wait);
                            Result result{status, {}, {}};
                            if (status == MPDLL_OK) {
                                result.values.push_back({"answer", std::string(answer.data())});
                            }
                            return result;
                        },
                        {{line}, {}, {}}};
    });

    CLI::App* enter = app.add_subcommand(
        "enter", "Put the board's radio into test mode (EnterMP; over UDP, where EnterMP sends nothing, mp_start)");
    choose_on_parse(enter, chosen, Operation{"enter", Needs::entry, Kind::setting, {}, {}, {}},
                    [] { return [](DevContext& dev) { return status_only(enter_test_mode(dev)); }; });

    CLI::App* testmode = group_command(app, "testmode", "Start or stop the driver's test mode alone");
    plain_call(*testmode, chosen, "start", "Send mp_start (mp_start)", mp_start, "testmode start");
    plain_call(*testmode, chosen, "stop", "Send mp_stop (mp_stop)", mp_stop, "testmode stop");
}

std::uint32_t transmit_mode(const std::string& word) {
    if (word == "background") return 1;
    if (word == "stone") return 2;
    if (word == "cs") return 3;
    return 0;  // pkt
}

void add_transmit(CLI::App& app, std::optional<Operation>& chosen) {
    CLI::App* tx = group_command(app, "tx", "Continuous transmit test");
    struct Args {
        std::string mode = "pkt";
        std::int32_t bw40 = 0, short_gi = 0;
        std::string channel, rate, antenna = "A";
        std::int32_t power_a = 30, power_b = 30, count = 0, time = 0;
    };
    auto args = storage<Args>();
    CLI::App* start = tx->add_subcommand(
        "start", "Set bandwidth, channel, rate, antenna and power, then start transmitting (TxStart)");
    start->add_option("--channel", args->channel, "Channel number or centre frequency (6, 2437MHz)")->required();
    start->add_option("--rate", args->rate, "Rate name or code (54M, MCS7, 108)")->required();
    start->add_option("--mode", args->mode, "Transmit mode: pkt, background, stone, cs")
        ->check(CLI::IsMember({"pkt", "background", "stone", "cs"}))
        ->capture_default_str();
    start->add_option("--bw40", args->bw40, "40 MHz setting (0 or 1)")->capture_default_str();
    start->add_option("--short-gi", args->short_gi, "Short guard interval setting (0 or 1)")->capture_default_str();
    start->add_option("--antenna", args->antenna, "Transmit antenna selection")->capture_default_str();
    start->add_option("--power-a", args->power_a, "Transmit power of path A")->capture_default_str();
    start->add_option("--power-b", args->power_b, "Transmit power of path B")->capture_default_str();
    start->add_option("--count", args->count, "Packets to send (0 = no limit)")->capture_default_str();
    start->add_option("--time", args->time, "Transmit time (0 = no limit)")->capture_default_str();
    on_setting(start, chosen, "tx start", [args] {
        ArgumentTexts texts = tool_line("--antenna", "mp_ant_tx ", args->antenna);
        texts.rates = {args->rate};
        texts.channels = {args->channel};
        return Prepared{
            [a = *args](DevContext& dev) {
                return status_only(TxStart(&dev, transmit_mode(a.mode), a.bw40, a.short_gi, a.channel.c_str(),
                                           a.rate.c_str(), a.antenna.c_str(), a.power_a, a.power_b, a.count, a.time));
            },
            std::move(texts)};
    });
    plain_call(*tx, chosen, "stop", "Stop transmitting (TxStop)", TxStop, "tx stop");
    text_setting(*tx, chosen, "word", "Send one mp_ctx sub-command word (mp_ctx)", "WORD",
                 "The word, e.g. stop or pkt,background", mp_ctx, "tx word",
                 [](const std::string& word) { return tool_line("WORD", "mp_ctx ", word); });
}

void add_receive_filter(CLI::App& rx, std::optional<Operation>& chosen) {
    CLI::App* filter = group_command(rx, "filter", "Receive address filter, one command at a time");
    plain_call(*filter, chosen, "init", "Initialise the filter set (mp_arx_filter_init)", mp_arx_filter_init,
               "rx filter init");
    plain_call(*filter, chosen, "clean", "Remove every filter (mp_arx_filter_clean)", mp_arx_filter_clean,
               "rx filter clean");
    text_setting(*filter, chosen, "da", "Count only frames to this address (mp_arx_filter_da)", "MAC",
                 "Destination address", mp_arx_filter_da, "rx filter da",
                 [](const std::string& mac) { return tool_line("MAC", "mp_arx filter_DA=", mac); });
    text_setting(*filter, chosen, "sa", "Count only frames from this address (mp_arx_filter_sa)", "MAC",
                 "Source address", mp_arx_filter_sa, "rx filter sa",
                 [](const std::string& mac) { return tool_line("MAC", "mp_arx filter_SA=", mac); });
    text_setting(*filter, chosen, "bssid", "Count only frames of this BSSID (mp_arx_filter_bssid)", "MAC", "BSSID",
                 mp_arx_filter_bssid, "rx filter bssid",
                 [](const std::string& mac) { return tool_line("MAC", "mp_arx filter_BSSID=", mac); });
    on_query(filter->add_subcommand("print", "Read the three filter addresses back (mp_arx_filter_print)"), chosen,
             "rx filter print", {"da", "sa", "bssid"}, [] {
                 return [](DevContext& dev) {
                     std::vector<char> da = text_output(MPDLL_MAC_TEXT_SIZE), sa = text_output(MPDLL_MAC_TEXT_SIZE),
                                       bssid = text_output(MPDLL_MAC_TEXT_SIZE);
                     Result result{mp_arx_filter_print(&dev, da.data(), sa.data(), bssid.data()), {}, {}};
                     add_text(result, "da", da);
                     add_text(result, "sa", sa);
                     add_text(result, "bssid", bssid);
                     return result;
                 };
             });
}

void add_receive(CLI::App& app, std::optional<Operation>& chosen) {
    CLI::App* rx = group_command(app, "rx", "Packet receive test");
    struct Args {
        std::int32_t bw40 = 0, short_gi = 0;
        std::string channel, antenna = "A", da, sa, bssid;
    };
    auto args = storage<Args>();
    CLI::App* start = rx->add_subcommand(
        "start", "Set bandwidth, channel and antenna and start counting (RxStart; with a filter RxStartWithFilter)");
    start->add_option("--channel", args->channel, "Channel number or centre frequency (6, 2437MHz)")->required();
    start->add_option("--bw40", args->bw40, "40 MHz setting (0 or 1)")->capture_default_str();
    start->add_option("--short-gi", args->short_gi, "Short guard interval setting (0 or 1)")->capture_default_str();
    start->add_option("--antenna", args->antenna, "Receive antenna selection")->capture_default_str();
    start->add_option("--da", args->da, "Count only frames to this destination address")->type_name("MAC");
    start->add_option("--sa", args->sa, "Count only frames from this source address")->type_name("MAC");
    start->add_option("--bssid", args->bssid, "Count only frames of this BSSID")->type_name("MAC");
    on_setting(start, chosen, "rx start", [args] {
        const Args& a = *args;
        ArgumentTexts texts = tool_line("--antenna", "mp_ant_rx ", a.antenna);
        for (auto [option, word, mac] :
             {std::tuple{"--da", "mp_arx filter_DA=", a.da}, std::tuple{"--sa", "mp_arx filter_SA=", a.sa},
              std::tuple{"--bssid", "mp_arx filter_BSSID=", a.bssid}}) {
            texts.lines.push_back(tool_line(option, word, mac).lines.front());
        }
        texts.channels = {a.channel};
        return Prepared{
            [a](DevContext& dev) {
                if (a.da.empty() && a.sa.empty() && a.bssid.empty()) {
                    return status_only(RxStart(&dev, a.bw40, a.short_gi, a.channel.c_str(), a.antenna.c_str()));
                }
                return status_only(RxStartWithFilter(&dev, a.bw40, a.short_gi, a.channel.c_str(), a.antenna.c_str(),
                                                     a.da.c_str(), a.sa.c_str(), a.bssid.c_str()));
            },
            std::move(texts)};
    });
    on_query(rx->add_subcommand("query", "Read the received and CRC error counts (RxQuery)"), chosen, "rx query",
             {"rxOk", "crcError"}, [] {
                 return [](DevContext& dev) {
                     std::int32_t rx_ok = unset, crc_error = unset;
                     const std::int32_t status = RxQuery(&dev, &rx_ok, &crc_error);
                     return with_numbers(status, {{"rxOk", rx_ok}, {"crcError", crc_error}});
                 };
             });
    plain_call(*rx, chosen, "reset", "Restart the counters (RxResetCounter)", RxResetCounter, "rx reset");
    plain_call(*rx, chosen, "stop", "Clear the filters and stop receiving (RxStop)", RxStop, "rx stop");
    plain_call(*rx, chosen, "on", "Send the receive start alone (mp_arx_start)", mp_arx_start, "rx on");
    plain_call(*rx, chosen, "off", "Send the receive stop alone (mp_arx_stop)", mp_arx_stop, "rx off");
    text_setting(*rx, chosen, "word", "Send one mp_arx sub-command word (mp_arx)", "WORD", "The word, e.g. start",
                 mp_arx, "rx word", [](const std::string& word) { return tool_line("WORD", "mp_arx ", word); });
    add_receive_filter(*rx, chosen);
}

void add_power_tracking(CLI::App& app, std::optional<Operation>& chosen) {
    CLI::App* pwrtrk = group_command(app, "pwrtrk", "Thermal power tracking");
    auto on_thermal = storage<std::int32_t>();
    CLI::App* on =
        pwrtrk->add_subcommand("on", "Start tracking; THERMAL from 7 to 29 is sent as the reference (PowerTrackingOn)");
    on->add_option("THERMAL", *on_thermal, "Thermal reference value; other values start plain tracking");
    on_setting(on, chosen, "pwrtrk on", [on_thermal] {
        return [thermal = *on_thermal](DevContext& dev) { return status_only(PowerTrackingOn(&dev, thermal)); };
    });
    on_query(pwrtrk->add_subcommand("query", "Read the thermal value (PowerTrackingQuery)"), chosen, "pwrtrk query",
             {"thermal"}, [] {
                 return [](DevContext& dev) {
                     std::int32_t thermal = unset;
                     const std::int32_t status = PowerTrackingQuery(&dev, &thermal);
                     return with_numbers(status, {{"thermal", thermal}});
                 };
             });
    plain_call(*pwrtrk, chosen, "off", "Stop tracking (PowerTrackingOff)", PowerTrackingOff, "pwrtrk off");
    auto start_thermal = storage<std::int32_t>();
    CLI::App* start = pwrtrk->add_subcommand("start", "Start tracking at the command level (mp_pwrtrk_start)");
    start->add_option("THERMAL", *start_thermal, "Thermal reference value; 7 to 29 is sent");
    on_setting(start, chosen, "pwrtrk start", [start_thermal] {
        return [thermal = *start_thermal](DevContext& dev) { return status_only(mp_pwrtrk_start(&dev, thermal)); };
    });
    plain_call(*pwrtrk, chosen, "stop", "Stop tracking at the command level (mp_pwrtrk_stop)", mp_pwrtrk_stop,
               "pwrtrk stop");
    text_setting(*pwrtrk, chosen, "word", "Send one mp_pwrtrk sub-command word (mp_pwrtrk)", "WORD",
                 "The word, e.g. ther=20", mp_pwrtrk, "pwrtrk word",
                 [](const std::string& word) { return tool_line("WORD", "mp_pwrtrk ", word); });
}

void add_flash_and_registers(CLI::App& app, std::optional<Operation>& chosen) {
    CLI::App* flash = group_command(app, "flash", "Flash calibration parameters");
    auto get_name = storage<std::string>();
    CLI::App* get = flash->add_subcommand("get", "Read a flash parameter (FlashGet)");
    get->add_option("NAME", *get_name, "Parameter name")->required();
    on_query(get, chosen, "flash get", {"value"}, [get_name] {
        return Prepared{[name = *get_name](DevContext& dev) {
                            std::vector<char> value = text_output(MPDLL_RESPONSE_SIZE + 1);
                            return with_text(FlashGet(&dev, name.c_str(), value.data()), "value", value);
                        },
                        {{BoardLine{"NAME", "flash get " + *get_name, false, false}}, {}, {}}};
    });
    auto set_args = storage<std::pair<std::string, std::string>>();
    CLI::App* set = flash->add_subcommand("set", "Write a flash parameter (FlashSet)");
    set->add_option("NAME", set_args->first, "Parameter name")->required();
    set->add_option("VALUE", set_args->second, "New value")->required();
    on_setting(set, chosen, "flash set", [set_args] {
        const auto& [name, value] = *set_args;
        return Prepared{
            [name, value](DevContext& dev) { return status_only(FlashSet(&dev, name.c_str(), value.c_str())); },
            {{BoardLine{"VALUE", "flash set " + name + " " + value, false, false}}, {}, {}}};
    });

    CLI::App* reg = group_command(app, "reg", "RF registers");
    struct Args {
        std::int32_t sel1 = 0, sel2 = 0;
        std::string value;
    };
    auto get_args = storage<Args>();
    CLI::App* reg_get = reg->add_subcommand("get", "Read an RF register (RegisterGet)");
    reg_get->add_option("A", get_args->sel1, "First register selector")->required();
    reg_get->add_option("B", get_args->sel2, "Second register selector")->required();
    on_query(reg_get, chosen, "reg get", {"regValue"}, [get_args] {
        return [a = *get_args](DevContext& dev) {
            std::uint32_t value = 0;  // written on success only
            Result result{RegisterGet(&dev, a.sel1, a.sel2, &value), {}, {}};
            if (result.status == MPDLL_OK) {
                char hex[16];
                std::snprintf(hex, sizeof hex, "0x%08x", value);
                result.values.push_back({"regValue", std::string(hex)});
            }
            return result;
        };
    });
    auto set_reg = storage<Args>();
    CLI::App* reg_set = reg->add_subcommand("set", "Write an RF register (RegisterSet)");
    reg_set->add_option("A", set_reg->sel1, "First register selector")->required();
    reg_set->add_option("B", set_reg->sel2, "Second register selector")->required();
    reg_set->add_option("HEX", set_reg->value, "Value in hexadecimal, with or without 0x")->required();
    on_setting(reg_set, chosen, "reg set", [set_reg] {
        const std::string& text = set_reg->value;
        std::size_t used = 0;
        unsigned long long value = 0;
        try {
            value = std::stoull(text, &used, 16);
        } catch (const std::exception&) {
            used = 0;
        }
        if (used != text.size() || value > 0xffffffffULL || text.find('-') != std::string::npos) {
            throw CLI::ValidationError("HEX", "not a 32-bit hexadecimal value: " + text);
        }
        return [a = *set_reg, value = static_cast<std::uint32_t>(value)](DevContext& dev) {
            return status_only(RegisterSet(&dev, a.sel1, a.sel2, value));
        };
    });
}

void add_queries(CLI::App& app, std::optional<Operation>& chosen) {
    CLI::App* chip = group_command(app, "chip", "Chip facts");
    on_query(chip->add_subcommand("version", "Read the chip version (GetChipVersion)"), chosen, "chip version",
             {"version"}, [] {
                 return [](DevContext& dev) {
                     std::vector<char> text = text_output(MPDLL_RESPONSE_SIZE + 1);
                     return with_text(GetChipVersion(&dev, text.data()), "version", text);
                 };
             });
    on_query(chip->add_subcommand("mimo", "Read the MIMO transmit and receive support (GetHwSupport)"), chosen,
             "chip mimo", {"support"}, [] {
                 return [](DevContext& dev) {
                     std::vector<char> text = text_output(MPDLL_RESPONSE_SIZE + 1);
                     return with_text(GetHwSupport(&dev, text.data()), "support", text);
                 };
             });
    on_query(app.add_subcommand("query", "Read the four packet counters (mp_query)"), chosen, "query",
             {"txOk", "txFail", "rxOk", "crcError"}, [] {
                 return [](DevContext& dev) {
                     std::int32_t tx_ok = unset, tx_fail = unset, rx_ok = unset, crc_error = unset;
                     const std::int32_t status = mp_query(&dev, &tx_ok, &tx_fail, &rx_ok, &crc_error);
                     return with_numbers(
                         status, {{"txOk", tx_ok}, {"txFail", tx_fail}, {"rxOk", rx_ok}, {"crcError", crc_error}});
                 };
             });
    on_query(app.add_subcommand("ther", "Read the thermal meter (mp_ther)"), chosen, "ther", {"thermal"}, [] {
        return [](DevContext& dev) {
            std::int32_t thermal = unset;
            const std::int32_t status = mp_ther(&dev, &thermal);
            return with_numbers(status, {{"thermal", thermal}});
        };
    });
    on_query(app.add_subcommand("tssi", "Read the TSSI (mp_tssi)"), chosen, "tssi", {"tssi"}, [] {
        return [](DevContext& dev) {
            std::int32_t tssi = unset;
            const std::int32_t status = mp_tssi(&dev, &tssi);
            return with_numbers(status, {{"tssi", tssi}});
        };
    });
}

void add_settings(CLI::App& app, std::optional<Operation>& chosen) {
    text_setting(app, chosen, "rate", "Set the transmit rate (mp_rate)", "NAME", "Rate name or code (54M, MCS7, 108)",
                 mp_rate, "rate", [](const std::string& rate) {
                     return ArgumentTexts{{}, {rate}, {}};
                 });
    text_setting(app, chosen, "channel", "Set the channel (mp_channel)", "CHANNEL",
                 "Channel number or centre frequency (6, 2437MHz)", mp_channel, "channel",
                 [](const std::string& channel) {
                     return ArgumentTexts{{}, {}, {channel}};
                 });
    auto bandwidth_args = storage<std::pair<std::int32_t, std::int32_t>>();
    CLI::App* bandwidth = app.add_subcommand("bandwidth", "Set bandwidth and guard interval (mp_bandwidth)");
    bandwidth->add_option("BW40", bandwidth_args->first, "40 MHz setting (0 or 1)")->required();
    bandwidth->add_option("SHORT_GI", bandwidth_args->second, "Short guard interval setting (0 or 1)")->required();
    on_setting(bandwidth, chosen, "bandwidth", [bandwidth_args] {
        return [a = *bandwidth_args](DevContext& dev) { return status_only(mp_bandwidth(&dev, a.first, a.second)); };
    });
    auto power_args = storage<std::vector<std::string>>();
    CLI::App* power = app.add_subcommand(
        "power", "Set the transmit power: two numbers for paths A and B (mp_txpower), or one text (mp_txpower_a)");
    power->add_option("VALUES", *power_args, "PATH_A PATH_B, or a single power text such as addbyrate")
        ->required()
        ->expected(1, 2);
    on_setting(power, chosen, "power", [power_args] {
        const std::vector<std::string>& values = *power_args;
        if (values.size() == 1) {
            return Prepared{
                [text = values[0]](DevContext& dev) { return status_only(mp_txpower_a(&dev, text.c_str())); },
                tool_line("VALUES", "mp_txpower ", values[0])};
        }
        std::int32_t numbers[2] = {};
        for (int i = 0; i < 2; ++i) {
            std::size_t used = 0;
            try {
                const long long number = std::stoll(values[i], &used, 10);
                if (number < INT32_MIN || number > INT32_MAX) {
                    used = 0;
                }
                numbers[i] = static_cast<std::int32_t>(number);
            } catch (const std::exception&) {
                used = 0;
            }
            if (used != values[i].size()) {
                throw CLI::ValidationError("VALUES", "not a whole number: " + values[i]);
            }
        }
        return prepared(
            [a = numbers[0], b = numbers[1]](DevContext& dev) { return status_only(mp_txpower(&dev, a, b)); });
    });
    auto xcap_value = storage<std::int32_t>();
    CLI::App* xcap = app.add_subcommand("xcap", "Set the crystal capacitance trim (mp_phypara)");
    xcap->add_option("VALUE", *xcap_value, "Trim value")->required();
    on_setting(xcap, chosen, "xcap", [xcap_value] {
        return [value = *xcap_value](DevContext& dev) { return status_only(mp_phypara(&dev, value)); };
    });
    text_setting(app, chosen, "bssid", "Set the BSSID (mp_bssid)", "MAC", "BSSID", mp_bssid, "bssid",
                 [](const std::string& mac) { return tool_line("MAC", "mp_bssid ", mac); });
    text_setting(app, chosen, "ant-tx", "Set the transmit antenna (mp_ant_tx)", "ANTENNA", "Antenna selection",
                 mp_ant_tx, "ant-tx",
                 [](const std::string& antenna) { return tool_line("ANTENNA", "mp_ant_tx ", antenna); });
    text_setting(app, chosen, "ant-rx", "Set the receive antenna (mp_ant_rx)", "ANTENNA", "Antenna selection",
                 mp_ant_rx, "ant-rx",
                 [](const std::string& antenna) { return tool_line("ANTENNA", "mp_ant_rx ", antenna); });
}

}  // namespace

void add_board_commands(CLI::App& app, std::optional<Operation>& chosen) {
    add_send_and_enter(app, chosen);
    add_transmit(app, chosen);
    add_receive(app, chosen);
    add_power_tracking(app, chosen);
    add_flash_and_registers(app, chosen);
    add_queries(app, chosen);
    add_settings(app, chosen);
}

}  // namespace mpctl
