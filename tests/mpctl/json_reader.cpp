// A small recursive JSON reader for the tests.
#include "json_reader.h"

#include <cstdlib>

namespace mpctl_test {

namespace {

const Json null_json;

class Reader {
public:
    explicit Reader(const std::string& text) : text_(text) {}

    std::optional<Json> document() {
        std::optional<Json> value = read_value();
        skip_space();
        if (!value || at_ != text_.size()) {
            return std::nullopt;
        }
        return value;
    }

private:
    void skip_space() {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\n' || text_[at_] == '\r' || text_[at_] == '\t')) {
            ++at_;
        }
    }

    bool literal(const char* word) {
        const std::string w(word);
        if (text_.compare(at_, w.size(), w) != 0) {
            return false;
        }
        at_ += w.size();
        return true;
    }

    std::optional<std::string> read_string() {
        if (at_ >= text_.size() || text_[at_] != '"') {
            return std::nullopt;
        }
        std::string out;
        for (++at_; at_ < text_.size(); ++at_) {
            const char c = text_[at_];
            if (c == '"') {
                ++at_;
                return out;
            }
            if (static_cast<unsigned char>(c) < 0x20) {
                return std::nullopt;
            }
            if (c != '\\') {
                out += c;
                continue;
            }
            if (++at_ >= text_.size()) {
                return std::nullopt;
            }
            switch (text_[at_]) {
            case '"': out += '"'; break;
            case '\\': out += '\\'; break;
            case '/': out += '/'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'u': {
                if (at_ + 4 >= text_.size()) {
                    return std::nullopt;
                }
                const long code = std::strtol(text_.substr(at_ + 1, 4).c_str(), nullptr, 16);
                if (code > 0xff) {
                    return std::nullopt;  // mpctl writes bytes only
                }
                out += static_cast<char>(code);
                at_ += 4;
                break;
            }
            default: return std::nullopt;
            }
        }
        return std::nullopt;
    }

    std::optional<Json> read_value() {
        skip_space();
        Json value;
        if (at_ >= text_.size()) {
            return std::nullopt;
        }
        const char c = text_[at_];
        if (c == '{') {
            value.kind = Json::Kind::object;
            ++at_;
            skip_space();
            if (at_ < text_.size() && text_[at_] == '}') {
                ++at_;
                return value;
            }
            while (true) {
                skip_space();
                auto name = read_string();
                skip_space();
                if (!name || at_ >= text_.size() || text_[at_++] != ':') {
                    return std::nullopt;
                }
                auto field = read_value();
                if (!field) {
                    return std::nullopt;
                }
                value.fields[*name] = std::move(*field);
                skip_space();
                if (at_ < text_.size() && text_[at_] == ',') {
                    ++at_;
                    continue;
                }
                if (at_ < text_.size() && text_[at_] == '}') {
                    ++at_;
                    return value;
                }
                return std::nullopt;
            }
        }
        if (c == '[') {
            value.kind = Json::Kind::array;
            ++at_;
            skip_space();
            if (at_ < text_.size() && text_[at_] == ']') {
                ++at_;
                return value;
            }
            while (true) {
                auto item = read_value();
                if (!item) {
                    return std::nullopt;
                }
                value.items.push_back(std::move(*item));
                skip_space();
                if (at_ < text_.size() && text_[at_] == ',') {
                    ++at_;
                    continue;
                }
                if (at_ < text_.size() && text_[at_] == ']') {
                    ++at_;
                    return value;
                }
                return std::nullopt;
            }
        }
        if (c == '"') {
            auto text = read_string();
            if (!text) {
                return std::nullopt;
            }
            value.kind = Json::Kind::text;
            value.text = std::move(*text);
            return value;
        }
        if (literal("true") || literal("false")) {
            value.kind = Json::Kind::boolean;
            value.boolean = text_[at_ - 1] == 'e' && text_[at_ - 2] == 'u';
            return value;
        }
        if (literal("null")) {
            return value;
        }
        const char* start = text_.c_str() + at_;
        char* end = nullptr;
        value.number = std::strtod(start, &end);
        if (end == start) {
            return std::nullopt;
        }
        value.kind = Json::Kind::number;
        at_ += static_cast<std::size_t>(end - start);
        return value;
    }

    const std::string& text_;
    std::size_t at_ = 0;
};

}  // namespace

const Json& Json::operator[](const std::string& name) const {
    auto found = fields.find(name);
    return found == fields.end() ? null_json : found->second;
}

const Json& Json::operator[](std::size_t index) const {
    return index < items.size() ? items[index] : null_json;
}

std::optional<Json> parse_json(const std::string& text) {
    return Reader(text).document();
}

}  // namespace mpctl_test
