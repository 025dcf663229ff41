// EUC-JP text held in an ordinary byte string, with searches and cuts that
// never match in the middle of a double-byte character.
//
// A byte below 0x80 is a one-byte character, any other byte starts a
// two-byte character.  A scan from a character boundary that steps over
// characters that way visits exactly the character starts; the searches
// below only match at such starts.  Text may end in half a character (a lead
// byte with nothing after it): no operation reads beyond the last byte.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quibo {

class EucString : public std::string {
public:
    using std::string::string;
    EucString() = default;
    EucString(const std::string& text) : std::string(text) {}
    EucString(std::string&& text) : std::string(std::move(text)) {}
    explicit EucString(std::string_view text) : std::string(text) {}

    // Bytes from..to, 1-based and inclusive; empty when from <= 0, to < from
    // or to > length.
    EucString subString(int from, int to) const;

    // 0-based offset of the first character-aligned match at or after
    // `start`, or -1.  `start` must be a character boundary.  (Hides the byte
    // search of std::string on purpose: engine text is searched by character.)
    int find(std::string_view pattern, int start = 0) const;
    // 1-based position of the first match, 0 when absent.
    int index(std::string_view pattern) const;
    // Character-aligned matches, overlapping ones included.
    int count(std::string_view pattern) const;

    // Every match of `from` replaced by `to`; inserted text is never searched
    // again, so replacing "a" by "aa" ends.
    EucString replaceAll(std::string_view from, std::string_view to) const;

    // Without leading and trailing ASCII spaces (not TABs).
    EucString trim() const;
    // Without leading and trailing ASCII and full-width (A1 A1) spaces; a
    // text of 1024 bytes or more comes back unchanged.
    EucString trimSpaces() const;
    // Drops every LF and CR byte in place.  When it drops any, the text also
    // ends at its first NUL byte.
    void stripNewlines();
    // The leading decimal number as the C library reads it (0 when there is
    // none); a number beyond int's range gives INT_MAX or INT_MIN.
    int toInt() const;

    // Cuts the text up to the first `separator`, which is removed with it,
    // and returns the cut part trimmed of ASCII spaces.  Without a separator
    // the whole text is returned untrimmed and the text becomes empty.
    EucString cutToken(std::string_view separator);
    // As cutToken; when a separator was found the rest of the text is also
    // passed through trimSpaces.
    EucString cutTrimmedToken(std::string_view separator);
};

// Cuts `text` at each character-aligned `separator` (see cutToken): a leading
// or doubled separator gives an empty item, a trailing one no item; every
// item but the last is trimmed of ASCII spaces.
std::vector<std::string> tokenize(EucString text, std::string separator);

// Cuts `text` at each byte match of `separator`, without character alignment
// or trimming.  A leading or doubled separator gives an empty item, a
// trailing one no item.  An empty separator gives the whole text as the one
// item.
std::vector<std::string> splitString(std::string text, std::string_view separator);

}  // namespace quibo
