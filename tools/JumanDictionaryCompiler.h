// Compiles the JUMAN dictionary in MeCab's CSV layout (Debian's
// mecab-jumandic-utf8) into a Dosk dictionary: one word class per context id
// (class 0 is BOS/EOS), three synthesised unknown-word classes, the
// connection matrix, the character-class ranges and the lexicon.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tools/DoskWriter.h"

namespace quibo {

struct JumanCompileOptions {
    std::string sourceDir = "/usr/share/mecab/dic/juman";
    // Without ranges every character the dictionary does not list is a
    // one-character word of the last class: the plain lattice that agrees
    // with MeCab's where MeCab finds no unknown word.
    bool characterRanges = true;
    // Ideographs as one range of common nouns.  Off in production (see
    // jumanRangeTable).
    bool kanjiRange = false;
    // Corrections applied to the sources before compiling (see
    // DoskCorrections.h); none when empty.
    std::string correctionsPath;
};

struct JumanCompileReport {
    int rows = 0;                // CSV rows read
    int droppedConversion = 0;   // rows not convertible to EUC-JP
    int fallbackRows = 0;        // rows whose form name came through the fallback table
    int latinLetterSymbols = 0;
    int correctionRows = 0;      // rows the corrections added  // one-letter 記号 rows left to the Latin letters' range
    std::vector<std::string> unmatchedNames;  // class names whose attributes stayed 0
    DoskWriteReport write;
    std::string error;
};

// The nearest named form for each conjugation form name that the shared form
// table does not name (EUC-JP).
const std::vector<std::pair<std::string_view, std::string_view>>& conjugationFormFallbacks();

// Id of a form name: its place in the shared table, else that of its
// fallback; 0 for "*" or the empty name; -1 when neither knows it.
int jumanConjugationFormId(std::string_view name);

// POS class and subclass ids of a JUMAN POS and sub-POS name ("*" for none);
// false when the names are unknown.
bool jumanPosIds(std::string_view pos, std::string_view subPos, int& posClass, int& posSubclass);

// The lexicon files the dictionary is compiled from, sorted: every CSV file
// of the source folder but Emoticon, Wikipedia and Auto.
std::vector<std::filesystem::path> jumanLexiconFiles(const std::string& sourceDir);

// Builds the Dosk source from the JUMAN files (without writing it).
bool buildJumanSource(const JumanCompileOptions& options, DoskSource& source, JumanCompileReport& report);

// Builds and writes the dictionary file.
bool compileJumanDictionary(const JumanCompileOptions& options, const std::string& outputPath,
                            JumanCompileReport& report);

}  // namespace quibo
