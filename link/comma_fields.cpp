#include "link/comma_fields.h"

#include <algorithm>

namespace kelt {
namespace {

constexpr char kBlank = ' ';
constexpr char kQuote = '"';
constexpr char kComma = ',';

// Position just after the comma that ends the field whose text stops at
// `from`, or the end of the text when no comma follows.
std::size_t AfterNextComma(std::string_view text, std::size_t from) {
    const std::size_t comma = text.find(kComma, from);
    return comma == std::string_view::npos ? text.size() : comma + 1;
}

std::string_view DropTrailingBlanks(std::string_view field) {
    const std::size_t last = field.find_last_not_of(kBlank);
    return last == std::string_view::npos ? std::string_view{} : field.substr(0, last + 1);
}

// Takes the field that starts at `pos` and moves `pos` past its comma.
std::string_view NextField(std::string_view text, std::size_t& pos) {
    pos = std::min(text.find_first_not_of(kBlank, pos), text.size());
    if (pos < text.size() && text[pos] == kQuote) {
        const std::size_t open = pos + 1;
        const std::size_t close = std::min(text.find(kQuote, open), text.size());
        pos = close == text.size() ? close : AfterNextComma(text, close + 1);
        return text.substr(open, close - open);
    }
    const std::size_t end = std::min(text.find(kComma, pos), text.size());
    const std::string_view field = text.substr(pos, end - pos);
    pos = end == text.size() ? end : end + 1;
    return DropTrailingBlanks(field);
}

}  // namespace

std::vector<std::string> CommaFields(std::string_view text, std::size_t count) {
    std::vector<std::string> fields;
    fields.reserve(count);
    std::size_t pos = 0;
    while (fields.size() < count) {
        if (pos >= text.size()) {
            fields.resize(count);
            break;
        }
        fields.emplace_back(NextField(text, pos));
    }
    return fields;
}

}  // namespace kelt
