#include "link/numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace kelt {
namespace {

constexpr std::size_t kParsedDigits = 18;   // significant digits a typed number keeps
constexpr std::size_t kTextDigits = 15;     // significant digits of NumberText
constexpr std::size_t kMaskedDigits = 18;   // significant digits a mask rounds from
constexpr int kExponentCap = 99999;         // far beyond double range, far below int overflow

int DigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 99;
}

bool IsDecimalDigit(char c) { return c >= '0' && c <= '9'; }

// "&H1F", "&O17", "&Q17", "&B101", "&17"; `i` is just past the '&'.
double ParseRadixLiteral(std::string_view s, std::size_t i) {
    int radix = 8;
    if (i < s.size()) {
        switch (s[i]) {
            case 'H': case 'h': radix = 16; ++i; break;
            case 'O': case 'o': case 'Q': case 'q': ++i; break;
            case 'B': case 'b': radix = 2; ++i; break;
            default: break;
        }
    }
    double value = 0.0;
    for (; i < s.size() && DigitValue(s[i]) < radix; ++i)
        value = std::min(value * radix + DigitValue(s[i]), std::numeric_limits<double>::max());
    return value;
}

// Signed decimal with optional point and exponent, from position `i`.
double ParseDecimal(std::string_view s, std::size_t i) {
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';

    std::string digits;   // significant digits kept, no leading zeros
    int exponent = 0;     // value = digits x 10^exponent
    bool anyDigit = false;
    bool seenPoint = false;
    for (; i < s.size(); ++i) {
        if (s[i] == '.' && !seenPoint) { seenPoint = true; continue; }
        if (!IsDecimalDigit(s[i])) break;
        anyDigit = true;
        if (digits.size() < kParsedDigits && !(digits.empty() && s[i] == '0')) {
            digits += s[i];
            if (seenPoint) --exponent;
        } else if (digits.empty()) {
            if (seenPoint) --exponent;   // leading zero of a fraction
        } else if (!seenPoint) {
            ++exponent;                  // dropped digit still counts for magnitude
        }
    }
    if (!anyDigit) return 0.0;

    if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
        std::size_t j = i + 1;
        bool negativeExponent = false;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) negativeExponent = s[j++] == '-';
        int written = 0;
        for (; j < s.size() && IsDecimalDigit(s[j]); ++j)
            written = std::min(written * 10 + (s[j] - '0'), kExponentCap);
        exponent += negativeExponent ? -written : written;
    }
    if (digits.empty()) return 0.0;

    const int magnitude = exponent + static_cast<int>(digits.size());
    digits += 'e' + std::to_string(exponent);
    double value = 0.0;
    const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (result.ec == std::errc::result_out_of_range)
        value = magnitude > 0 ? std::numeric_limits<double>::max() : 0.0;
    return negative ? -value : value;
}

// The decimal form of |value| rounded to `significant` digits:
// digits d1 d2 ... with the point after the first, times 10^exponent.
struct Decimal {
    std::string digits;
    int exponent = 0;
};

Decimal ToDecimal(double value, std::size_t significant) {
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                   std::chars_format::scientific,
                                   static_cast<int>(significant) - 1).ptr;
    const std::string_view text(buffer, static_cast<std::size_t>(end - buffer));
    const std::size_t e = text.find('e');
    Decimal d;
    for (char c : text.substr(0, e))
        if (c != '.') d.digits += c;
    const std::string_view exponentText = text.substr(e + (text[e + 1] == '+' ? 2 : 1));
    std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), d.exponent);
    return d;
}

std::string NonFiniteText(double value) {
    if (std::isnan(value)) return "nan";
    return value < 0 ? "-inf" : "inf";
}

// Digits with the point placed after `integerDigits` of them.
std::string PlacePoint(const std::string& digits, int integerDigits) {
    const int count = static_cast<int>(digits.size());
    if (integerDigits <= 0) return "." + std::string(static_cast<std::size_t>(-integerDigits), '0') + digits;
    if (integerDigits >= count) return digits + std::string(static_cast<std::size_t>(integerDigits - count), '0');
    return digits.substr(0, static_cast<std::size_t>(integerDigits)) + "." +
           digits.substr(static_cast<std::size_t>(integerDigits));
}

// |value| x 10^decimals rounded to a whole number (halves to even) from the
// value's 18-digit decimal form; returned as digits, "" for zero.
std::string ScaledWholeDigits(double value, int decimals) {
    if (value == 0.0) return "";
    const Decimal d = ToDecimal(value, kMaskedDigits);
    const int keep = d.exponent + 1 + decimals;
    if (keep >= static_cast<int>(d.digits.size()))
        return d.digits + std::string(static_cast<std::size_t>(keep) - d.digits.size(), '0');
    if (keep < 0) return "";

    std::string kept = d.digits.substr(0, static_cast<std::size_t>(keep));
    const std::string_view rest = std::string_view(d.digits).substr(static_cast<std::size_t>(keep));
    const bool aboveHalf = rest[0] > '5' ||
                           (rest[0] == '5' && rest.find_first_not_of('0', 1) != std::string_view::npos);
    const bool exactHalf = rest[0] == '5' && !aboveHalf;
    const bool keptOdd = !kept.empty() && (kept.back() - '0') % 2 == 1;
    if (aboveHalf || (exactHalf && keptOdd)) {
        std::size_t i = kept.size();
        while (i > 0 && kept[i - 1] == '9') kept[--i] = '0';
        if (i == 0) kept.insert(kept.begin(), '1');
        else ++kept[i - 1];
    }
    return kept;
}

}  // namespace

std::int32_t RoundHalfEven(double value) {
    constexpr auto lowest = std::numeric_limits<std::int32_t>::min();
    constexpr auto highest = std::numeric_limits<std::int32_t>::max();
    if (std::isnan(value)) return 0;
    if (value <= lowest) return lowest;
    if (value >= highest) return highest;
    double rounded = std::round(value);   // ties away from zero ...
    if (std::fabs(value - std::trunc(value)) == 0.5)
        rounded = 2.0 * std::round(value / 2.0);   // ... so ties go to the even neighbour
    return static_cast<std::int32_t>(rounded);
}

double ParseNumber(std::string_view text) {
    const std::size_t start = text.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos) return 0.0;
    if (text[start] == '&') return ParseRadixLiteral(text, start + 1);
    return ParseDecimal(text, start);
}

std::string NumberText(double value) {
    if (!std::isfinite(value)) return NonFiniteText(value);
    if (value == 0.0) return "0";
    Decimal d = ToDecimal(value, kTextDigits);
    d.digits.erase(d.digits.find_last_not_of('0') + 1);
    return (value < 0 ? "-" : "") + PlacePoint(d.digits, d.exponent + 1);
}

std::string SignedNumberText(double value) {
    return (value >= 0 ? " " : "") + NumberText(value);
}

std::string MaskedNumberText(double value, std::string_view mask) {
    if (!std::isfinite(value)) return NonFiniteText(value);
    const std::size_t point = mask.find('.');
    const std::string_view integerMask = mask.substr(0, point);
    const std::string_view fractionMask = point == std::string_view::npos ? "" : mask.substr(point + 1);

    const auto isPosition = [](char c) { return c == '#' || c == '0'; };
    const auto decimals = static_cast<std::size_t>(std::count_if(fractionMask.begin(), fractionMask.end(), isPosition));
    std::size_t minFraction = 0;
    std::size_t positions = 0;
    for (char c : fractionMask) {
        if (isPosition(c)) ++positions;
        if (c == '0') minFraction = positions;
    }
    const std::size_t firstZero = integerMask.find('0');
    const auto minInteger = firstZero == std::string_view::npos ? std::size_t{0}
        : static_cast<std::size_t>(std::count_if(integerMask.begin() + static_cast<std::ptrdiff_t>(firstZero),
                                                  integerMask.end(), isPosition));

    std::string whole = ScaledWholeDigits(value, static_cast<int>(decimals));
    const bool showsZero = whole.empty();
    if (whole.size() < decimals) whole.insert(0, decimals - whole.size(), '0');
    std::string integerPart = whole.substr(0, whole.size() - decimals);
    std::string fraction = whole.substr(whole.size() - decimals);
    while (fraction.size() > minFraction && fraction.back() == '0') fraction.pop_back();
    if (integerPart.size() < minInteger) integerPart.insert(0, minInteger - integerPart.size(), '0');

    const bool negative = value < 0 && !showsZero;
    return (negative ? "-" : "") + integerPart + (point == std::string_view::npos ? "" : ".") + fraction;
}

double LimitToRange(double v, double lo, double hi) {
    if (!(v >= lo)) return lo;
    return v > hi ? hi : v;
}

}  // namespace kelt
