// The EUC-JP text utilities, the numeral normaliser and the interval parser
// over arbitrary bytes (text that ends in half a character, stray one-byte
// characters, separators inside double-byte characters).  The input is the
// text, a NUL, then the pattern.  Nothing may crash, and the results must
// keep what callers rely on.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "analysis/EucString.h"
#include "analysis/IntervalWUnit.h"
#include "analysis/NumeralNormalizer.h"

namespace {

void check(bool holds)
{
    if (!holds) {
        std::abort();
    }
}

bool isCharacterStart(const std::string& text, int pos)
{
    int p = 0;
    while (p < pos) {
        p += static_cast<unsigned char>(text[p]) < 0x80 ? 1 : 2;
    }
    return p == pos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t nul = input.find('\0');
    const quibo::EucString text(input.substr(0, nul));
    const std::string pattern = nul == std::string::npos ? std::string(",") : input.substr(nul + 1);

    const int found = text.find(pattern, 0);
    if (found >= 0) {
        check(isCharacterStart(text, found));
        check(text.compare(found, pattern.size(), pattern) == 0);
    }
    check(text.index(pattern) == found + 1);
    check(text.count(pattern) <= static_cast<int>(text.size()));
    if (!pattern.empty() && isCharacterStart(pattern, static_cast<int>(pattern.size()))) {
        // Inserted text is never searched again: doubling each match of a
        // pattern of whole characters grows the text by at most one pattern
        // per match.
        const std::size_t grown = text.replaceAll(pattern, pattern + pattern).size() - text.size();
        check(grown % pattern.size() == 0);
        check(grown / pattern.size() <= static_cast<std::size_t>(text.count(pattern)));
    }
    const quibo::EucString trimmed = text.trimSpaces();
    check(trimmed.size() <= text.size() && text.std::string::find(trimmed) != std::string::npos);
    check(text.trim().size() <= text.size());

    std::size_t total = 0;
    for (const std::string& item : quibo::tokenize(text, pattern)) {
        total += item.size();
    }
    check(total <= text.size());
    total = 0;
    for (const std::string& item : quibo::splitString(text, pattern)) {
        total += item.size();
    }
    check(total <= text.size());

    quibo::EucString cut = text;
    cut.cutTrimmedToken(pattern);
    check(cut.size() <= text.size());

    // Every result is bounded: a value below 10^16 or a canonical form no
    // more than twice as long as the text (one-byte characters stay so).
    check(quibo::normalizeNumeral(text).size() <= 2 * text.size() + 32);

    const quibo::IntervalWUnit interval(text);
    interval.contains(quibo::IntervalWUnit(pattern));
    return 0;
}
