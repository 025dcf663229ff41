#include "analysis/EucString.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace quibo {
namespace {

// trimSpaces works as if in a fixed buffer of this size; longer text is left
// as it is.
constexpr std::size_t TRIM_BUFFER_SIZE = 1024;

bool isLeadByte(char c) { return static_cast<unsigned char>(c) >= 0x80; }

std::size_t characterLength(std::string_view text, std::size_t pos)
{
    return isLeadByte(text[pos]) ? 2 : 1;
}

bool isFullWidthSpaceAt(std::string_view text, std::size_t pos)
{
    return pos + 1 < text.size() && static_cast<unsigned char>(text[pos]) == 0xA1 &&
           static_cast<unsigned char>(text[pos + 1]) == 0xA1;
}

}  // namespace

EucString EucString::subString(int from, int to) const
{
    if (from <= 0 || to < from || static_cast<std::size_t>(to) > size()) {
        return EucString();
    }
    return EucString(std::string_view(*this).substr(from - 1, to - from + 1));
}

int EucString::find(std::string_view pattern, int start) const
{
    const std::size_t length = size();
    if (length == 0 || pattern.empty() || start < 0 || static_cast<std::size_t>(start) >= length ||
        length - start < pattern.size() || length > INT_MAX) {
        return -1;
    }
    const std::string_view text(*this);
    for (std::size_t p = start; p < length; p += characterLength(text, p)) {
        // The bounds check keeps a pattern from being compared with bytes
        // beyond the text when the text ends in half a character.
        if (text[p] == pattern[0] && pattern.size() <= length - p &&
            text.compare(p, pattern.size(), pattern) == 0) {
            return static_cast<int>(p);
        }
    }
    return -1;
}

int EucString::index(std::string_view pattern) const { return find(pattern, 0) + 1; }

int EucString::count(std::string_view pattern) const
{
    int matches = 0;
    for (int q = find(pattern, 0); q >= 0; q = find(pattern, q + characterLength(*this, q))) {
        ++matches;
    }
    return matches;
}

EucString EucString::replaceAll(std::string_view from, std::string_view to) const
{
    if (from.empty() || std::string_view(*this).find(from) == std::string_view::npos) {
        return *this;
    }
    EucString copy(*this);
    for (int q = copy.find(from, 0); q >= 0;
         q = copy.find(from, q + static_cast<int>(to.size()))) {
        copy.std::string::replace(q, from.size(), to);
    }
    return copy;
}

EucString EucString::trim() const
{
    const std::size_t first = find_first_not_of(' ');
    if (first == npos) {
        return EucString();
    }
    const std::size_t last = find_last_not_of(' ');
    return EucString(std::string_view(*this).substr(first, last - first + 1));
}

EucString EucString::trimSpaces() const
{
    if (empty() || size() >= TRIM_BUFFER_SIZE) {
        return *this;
    }
    const std::string_view text(*this);
    std::size_t first = 0;
    while (first < text.size()) {
        if (text[first] == ' ') {
            first += 1;
        } else if (isFullWidthSpaceAt(text, first)) {
            first += 2;
        } else {
            break;
        }
    }
    if (first >= text.size()) {
        return EucString();
    }
    // One past the last byte of the last character that is no space; a
    // trailing half character counts as a character of its own.
    std::size_t end = first;
    for (std::size_t p = first; p < text.size();) {
        const std::size_t next = std::min(p + characterLength(text, p), text.size());
        if (text[p] != ' ' && !isFullWidthSpaceAt(text, p)) {
            end = next;
        }
        p = next;
    }
    return EucString(text.substr(first, end - first));
}

void EucString::stripNewlines()
{
    if (std::string::find_first_of("\r\n") == npos) {
        return;
    }
    std::string rebuilt;
    rebuilt.reserve(size());
    for (char c : *this) {
        if (c == '\0') {
            break;
        }
        if (c != '\n' && c != '\r') {
            rebuilt.push_back(c);
        }
    }
    assign(std::move(rebuilt));
}

int EucString::toInt() const
{
    // atoi's result is undefined beyond int's range; strtol reports it.
    const long value = std::strtol(c_str(), nullptr, 10);
    if (value > INT_MAX) {
        return INT_MAX;
    }
    if (value < INT_MIN) {
        return INT_MIN;
    }
    return static_cast<int>(value);
}

EucString EucString::cutToken(std::string_view separator)
{
    if (empty()) {
        return EucString();
    }
    const int b = index(separator);
    if (b == 0) {
        EucString whole(std::move(*this));
        clear();
        return whole;
    }
    EucString token = subString(1, b - 1);
    const int restFrom = b + static_cast<int>(separator.size());
    assign(subString(restFrom, static_cast<int>(size())));
    return token.trim();
}

EucString EucString::cutTrimmedToken(std::string_view separator)
{
    if (empty()) {
        return EucString();
    }
    const bool found = index(separator) > 0;
    EucString token = cutToken(separator);
    if (found) {
        assign(trimSpaces());
    }
    return token;
}

std::vector<std::string> tokenize(EucString text, std::string separator)
{
    std::vector<std::string> items;
    while (!text.empty()) {
        items.push_back(text.cutToken(separator));
    }
    return items;
}

std::vector<std::string> splitString(std::string text, std::string_view separator)
{
    std::vector<std::string> items;
    if (text.empty()) {
        return items;
    }
    if (separator.empty()) {
        items.push_back(std::move(text));
        return items;
    }
    std::size_t from = 0;
    while (from < text.size()) {
        const std::size_t at = text.find(separator, from);
        if (at == std::string::npos) {
            items.push_back(text.substr(from));
            break;
        }
        items.push_back(text.substr(from, at - from));
        from = at + separator.size();
    }
    return items;
}

}  // namespace quibo
