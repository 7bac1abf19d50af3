// Just enough of a JSON reader to check what `mpctl --json` prints.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace mpctl_test {

struct Json {
    enum class Kind { null, boolean, number, text, array, object } kind = Kind::null;
    bool boolean = false;
    double number = 0;
    std::string text;
    std::vector<Json> items;
    std::map<std::string, Json> fields;

    // The field of an object; a null value when there is none.
    const Json& operator[](const std::string& name) const;
    const Json& operator[](std::size_t index) const;
    bool has(const std::string& name) const { return fields.count(name) != 0; }
};

// Parses one JSON document (trailing white space allowed); nullopt when the
// text is not exactly one valid document.
std::optional<Json> parse_json(const std::string& text);

}  // namespace mpctl_test
