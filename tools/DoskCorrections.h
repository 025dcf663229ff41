// Corrections that the dictionary compiler applies to the JUMAN sources
// before compiling them (data/dosk_corrections.txt): connection costs
// raised or lowered between classes of words, word costs changed, entries
// added, and the loanwords that the left-out lexicon files hold.  Everything
// here works on the sources' own text (UTF-8 CSV rows, left-id.def names), so
// that the same corrected sources can also feed MeCab in the benchmarks.
//
// The file, one directive a line, # to the end of a line a comment:
//   connect LEFT RIGHT DELTA     add DELTA to the connection cost of every
//                                left class matching LEFT to every right
//                                class matching RIGHT
//   cost KEY CLASS DELTA         add DELTA to the word cost of the rows of
//                                KEY whose class matches CLASS
//   entry KEY CLASS BASE READING COST
//                                add a word (CLASS names its classes exactly)
//   loanwords FILE CLASS...      take the rows of FILE (a lexicon file the
//                                dictionary otherwise leaves out) whose key
//                                is katakana of at least three characters,
//                                is listed nowhere else and whose class
//                                matches one of the CLASSes
//   whole-katakana MARGIN CLASS...
//                                make every katakana word of three
//                                characters or more whose class matches one
//                                of the CLASSes cost at least MARGIN less
//                                than its cheapest reading as two listed
//                                katakana words (the word cost of both and
//                                their connection), so that a loanword the
//                                dictionary lists whole is read whole
// A CLASS is up to four comma-separated fields (POS, sub-POS, conjugation
// type, conjugation form; * or a missing field matches any) or EOS, the
// beginning or end of the sentence.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quibo {

struct DoskClassPattern {
    bool sentenceEdge = false;
    std::array<std::string, 4> fields;  // "*": any
    // `fields4` is a class's four fields, "POS,sub,type,form".
    bool matches(const std::vector<std::string>& fields4) const;
};

struct DoskCorrections {
    struct Connection {
        DoskClassPattern left, right;
        int delta = 0;
    };
    struct CostChange {
        std::string key;
        DoskClassPattern pattern;
        int delta = 0;
    };
    struct Entry {
        std::string key, className, baseForm, reading;
        int cost = 0;
    };
    struct Loanwords {
        std::string file;
        std::vector<DoskClassPattern> patterns;
    };
    std::vector<Connection> connections;
    std::vector<CostChange> costs;
    std::vector<Entry> entries;
    std::vector<Loanwords> loanwords;
    struct WholeKatakana {
        int margin = 0;
        std::vector<DoskClassPattern> patterns;
    };
    std::vector<WholeKatakana> wholeKatakana;
};

// The fields of one CSV line ("" inside quotes is a quote).
std::vector<std::string> splitCsv(std::string_view line);

// Reads the corrections file; false with a message naming the line on a
// malformed directive.
bool readDoskCorrections(const std::string& path, DoskCorrections& corrections, std::string& error);

// The context names of left-id.def, by id: the whole feature text (UTF-8);
// id 0 is the sentence edge.
bool readContextNames(const std::string& sourceDir, std::vector<std::string>& names);

// Applies the word directives to the lexicon rows (CSV lines, UTF-8): costs
// changed in place, loanwords and entries appended, then the katakana words
// priced over `matrix`, the corrected contexts x contexts matrix.  `added`
// counts the appended rows.
bool correctLexicon(const DoskCorrections& corrections, const std::string& sourceDir,
                    const std::vector<std::string>& contextNames, const std::vector<std::int16_t>& matrix,
                    std::vector<std::string>& rows, int& added, std::string& error);

// Applies the connect directives to a contexts x contexts matrix (row: left
// context).
void correctMatrix(const DoskCorrections& corrections, const std::vector<std::string>& contextNames,
                   std::vector<std::int16_t>& matrix);

}  // namespace quibo
