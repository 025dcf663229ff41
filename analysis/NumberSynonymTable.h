// Words that stand for a range of quantities (数個 for two to nine pieces),
// read from "numsyn.txt", so that a numeral word such as ３個 also matches
// every word whose interval holds its value.
//
// File: EUC-JP lines of at most 1023 bytes ended by LF; "#" starts a comment
// line; every ASCII space is removed; the word runs up to the first TAB and
// the interval text (IntervalWUnit) follows it.
#pragma once

#include "analysis/IntervalWUnit.h"

#include <map>
#include <string>
#include <vector>

namespace quibo {

class NumberSynonymTable {
public:
    // Reads the file into the table: 0, or -1 (reported on the console) when
    // it cannot be opened.  A line with a malformed interval is reported and
    // skipped; a line longer than 1023 bytes is skipped; a word already in
    // the table keeps its first interval.
    short load(const std::string& path);

    // The words, in word order, whose interval holds the numeral word: its
    // leading full-width digits are the value, the rest is the unit.  A word
    // without leading full-width digits has none.
    std::vector<std::string> lookup(const std::string& numeralWord) const;

    const std::map<std::string, IntervalWUnit>& entries() const { return m_entries; }

private:
    std::map<std::string, IntervalWUnit> m_entries;
};

}  // namespace quibo
