#include "radio/dialog_check.h"

#include <algorithm>
#include <cctype>
#include <climits>

namespace {

constexpr char kNotAnInteger[] = "Please enter an integer.";
constexpr char kOutOfRange[] = "Enter an integer between %1 and %2.";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string RangePrompt(int min, int max) {
    std::string text = kOutOfRange;
    text.replace(text.find("%1"), 2, std::to_string(min));
    text.replace(text.find("%2"), 2, std::to_string(max));
    return text;
}

} // namespace

std::optional<int> ParseDialogInteger(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    const size_t firstDigit = i;
    long long value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
        if (value <= INT_MAX)
            value = value * 10 + (text[i] - '0');
    if (i == firstDigit)
        return std::nullopt;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    if (i != text.size())
        return std::nullopt;
    if (negative)
        value = -value;
    return int(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

DlgInteger ReadDialogInteger(const std::string& text, int field) {
    const std::optional<int> value = ParseDialogInteger(text);
    if (!value)
        return {0, DlgRefusal{kNotAnInteger, DlgRefusal::Icon::Exclamation, field}};
    return {*value, std::nullopt};
}

DlgInteger ReadDialogInteger(const std::string& text, int field, int min, int max) {
    DlgInteger read = ReadDialogInteger(text, field);
    if (!read.refusal && (read.value < min || read.value > max))
        read.refusal = DlgRefusal{RangePrompt(min, max), DlgRefusal::Icon::Exclamation, field};
    return read;
}
