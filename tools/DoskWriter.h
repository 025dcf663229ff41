// The one writer of Dosk dictionary files: the real dictionary compiled from
// the JUMAN sources and the small hand-made dictionaries of the tests both
// come from here.  Text comes in as EUC-JP; keys, class names and readings
// are stored as big-endian UCS-2 code units, every integer little-endian.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace quibo {

struct DoskSourceClass {
    std::string firstName;          // kept in the file, not used by the analysis
    std::string name;               // its last ','-component is read as the form name
    std::array<std::uint8_t, 4> attributes{};  // POS class, subclass, conjugation type, form
};

struct DoskSourceRange {
    std::uint16_t from = 0;
    std::uint16_t to = 0;
    std::int16_t classId = 0;
    std::int16_t cost = 0;
};

// A part of a compound: the word of `key` whose chain holds an entry of
// class `classId` (its first such entry).
struct DoskSourcePart {
    std::string key;
    int classId = 0;
};

struct DoskSourceWord {
    std::string key;        // surface, EUC-JP
    int classId = 0;
    int cost = 0;
    std::string reading;    // katakana, EUC-JP; may be empty
    std::string baseForm;   // empty: the key is its own base form
    int compound = -1;      // compound byte K, -1 for none
    std::vector<DoskSourcePart> parts;  // with K >= 64, in text order
    std::vector<std::uint8_t> skippedFields;  // the bytes K says follow; written as given
};

struct DoskSource {
    std::array<std::uint8_t, 32> headerBlock{};
    std::vector<DoskSourceClass> classes;
    std::vector<DoskSourceRange> ranges;
    int matrixSize = 0;
    std::vector<std::int16_t> matrix;  // matrixSize^2, row = left class
    std::vector<DoskSourceWord> words;
};

struct DoskWriteReport {
    int written = 0;            // words in the file
    int droppedText = 0;        // key, reading or base form without a round trip
    int droppedReadingChars = 0;  // reading needs a 257th code-table unit
    int droppedLength = 0;      // key over 255 bytes or reading over 255 characters
    int droppedParts = 0;       // compound part that is not in the dictionary
    std::string error;          // why the image could not be made
};

// Builds the file image; empty (and report.error set) when it cannot be
// made (too many nodes for 24-bit node indexes, areas over 16 MB, ...).
std::vector<std::uint8_t> writeDoskImage(const DoskSource& source, DoskWriteReport& report);

// Writes the image to `path` (through a temporary file renamed into place).
bool writeDoskFile(const std::string& path, const DoskSource& source, DoskWriteReport& report);

}  // namespace quibo
