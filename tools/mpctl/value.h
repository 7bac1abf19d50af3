// A value an operation hands back: a number, a text or a table of numbers.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace mpctl {

struct Value {
    std::string name;
    std::variant<std::int64_t, std::string, std::vector<std::int32_t>> data;
};

}  // namespace mpctl
