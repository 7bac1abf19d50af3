// Power index tables through DecPowerIndex and HexPowerIndex.
#include "power_index_tables.h"

#include <mpdll/mpdll.h>

#include <algorithm>
#include <charconv>

namespace mpctl {

const std::array<const char*, 7> text_names = {"hexPlain1", "hexPlain2", "hexBaseA", "hexBaseB",
                                               "hexDiff1",  "hexDiff2",  "hexDiff3"};
const std::array<const char*, 10> table_names = {"plain1",  "plain2",  "baseA",   "baseB",   "group1A",
                                                 "group1B", "group2A", "group2B", "group3A", "group3B"};

std::int32_t decode_count(const PowerIndexTexts& texts, std::int32_t requested, std::string& error) {
    std::size_t longest = 0;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (texts[i].size() > max_text_length) {
            error = std::string(text_names[i]) + " is longer than " + std::to_string(max_text_length) + " characters";
            return 0;
        }
        longest = std::max(longest, texts[i].size());
    }
    const std::int32_t count = requested >= 0 ? requested : static_cast<std::int32_t>((longest + 1) / 2);
    if (count > max_entries) {
        error = "a table holds at most " + std::to_string(max_entries) + " entries";
        return 0;
    }
    return count;
}

PowerIndexTables decode_tables(const PowerIndexTexts& texts, std::int32_t count) {
    PowerIndexTables t;
    for (auto& table : t) {
        table.assign(static_cast<std::size_t>(count), 0);
    }
    DecPowerIndex(count, texts[0].c_str(), texts[1].c_str(), texts[2].c_str(), texts[3].c_str(), texts[4].c_str(),
                  texts[5].c_str(), texts[6].c_str(), t[0].data(), t[1].data(), t[2].data(), t[3].data(), t[4].data(),
                  t[5].data(), t[6].data(), t[7].data(), t[8].data(), t[9].data());
    return t;
}

namespace {

bool parse_list(const std::string& list, std::vector<std::int32_t>& values) {
    values.clear();
    const char* at = list.data();
    const char* end = at + list.size();
    while (at < end) {
        std::int32_t value = 0;
        auto [next, error] = std::from_chars(at, end, value);
        if (error != std::errc{} || (next < end && *next != ',')) {
            return false;
        }
        values.push_back(value);
        at = next < end ? next + 1 : next;
        if (next < end && at == end) {
            return false;  // a trailing comma
        }
    }
    return !values.empty();
}

}  // namespace

PowerIndexTables parse_tables(const std::vector<std::string>& lists, std::string& error) {
    PowerIndexTables t;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (!parse_list(lists.at(i), t[i])) {
            error = std::string(table_names[i]) + " is not a comma-separated list of numbers: \"" + lists[i] + "\"";
            return t;
        }
        if (t[i].size() != t[0].size()) {
            error = "every table needs the same number of entries (" + std::string(table_names[i]) + " has " +
                    std::to_string(t[i].size()) + ", plain1 " + std::to_string(t[0].size()) + ")";
            return t;
        }
    }
    if (t[0].size() > static_cast<std::size_t>(max_entries)) {
        error = "a table holds at most " + std::to_string(max_entries) + " entries";
        return t;
    }
    for (std::size_t e = 0; e < t[0].size(); ++e) {
        for (std::size_t i = 0; i < 4; ++i) {
            if (t[i][e] < 0 || t[i][e] > 255) {
                error = std::string(table_names[i]) + " entry " + std::to_string(e) + " is " + std::to_string(t[i][e]) +
                        ", outside 0 to 255";
                return t;
            }
        }
        for (std::size_t i = 4; i < 10; ++i) {
            const std::int32_t base = t[i % 2 == 0 ? 2 : 3][e];  // A tables on even places, B on odd
            const std::int32_t difference = t[i][e] - base;
            if (difference < -8 || difference > 7) {
                error = std::string(table_names[i]) + " entry " + std::to_string(e) + " differs from its base by " +
                        std::to_string(difference) + ", outside -8 to 7";
                return t;
            }
        }
    }
    return t;
}

PowerIndexTexts encode_tables(const PowerIndexTables& t) {
    const auto count = static_cast<std::int32_t>(t[0].size());
    std::array<std::vector<char>, 7> out;
    for (auto& text : out) {
        text.assign(2 * t[0].size() + 2, '\0');
    }
    HexPowerIndex(count, t[0].data(), t[1].data(), t[2].data(), t[3].data(), t[4].data(), t[5].data(), t[6].data(),
                  t[7].data(), t[8].data(), t[9].data(), out[0].data(), out[1].data(), out[2].data(), out[3].data(),
                  out[4].data(), out[5].data(), out[6].data());
    PowerIndexTexts texts;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        texts[i] = out[i].data();
    }
    return texts;
}

}  // namespace mpctl
