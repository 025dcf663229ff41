// The loaded Dosk dictionary image and the lattice search over it.  The
// image is mapped read-only and shared by name; only the class table's names
// and ranges and the extra header bytes are copied.  After loading the
// builder is read-only, so every search is independent.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/DoskCodeUnits.h"
#include "analysis/DoskSection.h"
#include "analysis/DoskTrie.h"
#include "platform/SharedFileMapping.h"

namespace quibo {

// Name under which every analyser shares the dictionary mapping.
inline constexpr const char* DOSK_MAPPING_NAME = "DOSK_DIC_SHARED_MEMORY";

struct LatticeNode {
    std::int16_t classId = 0;
    std::int16_t length = 0;     // bytes of the word that ends here
    std::int32_t entry = -1;     // -1: word without entry
    std::int32_t cost = 0;       // best path ending with this word
    std::int32_t predecessor = -1;  // node index in the lattice, -1: none
};

// One word of the best path.
struct DoskWord {
    std::int16_t offset = 0;   // bytes into the code-unit buffer
    std::int16_t length = 0;   // bytes
    std::int32_t classId = 0;
    std::int32_t entry = -1;
};

class LatticeBuilder {
public:
    LatticeBuilder();
    ~LatticeBuilder();
    LatticeBuilder(const LatticeBuilder&) = delete;
    LatticeBuilder& operator=(const LatticeBuilder&) = delete;

    // Maps the file (or borrows the mapping of the same name) and checks
    // every size, count and offset of the image against it; false, with
    // nothing held, when the image is not a whole dictionary.
    bool load(const std::string& filePath, int codeType,
              const std::string& mappingName = DOSK_MAPPING_NAME);

    // Segments a sentence of code units; false (and no words) when no path
    // reaches its end.  Sentences over 16383 units are refused: word offsets
    // are 16-bit byte counts.
    bool build(const CodeUnits& units, std::vector<DoskWord>& words) const;

    // Spells the reading of a word without entry from dictionary words of
    // the same class; false when some piece has none (the reading then holds
    // the pieces found before it).
    bool composeReading(std::string& reading, std::string_view surface, int classId) const;

    // 0 when the entry is not split, else K >> 6 of its compound byte; with
    // 1 the parts' lengths, classes and entries are filled.
    int splitCompound(std::int32_t entry, int wordLength, std::vector<int>& lengths,
                      std::vector<int>& classes, std::vector<std::int32_t>& entries) const;

    const DoskTrie& trie() const { return m_trie; }
    const DoskClassTable& classTable() const { return m_classTable; }
    const DoskConnectionMatrix& connectionMatrix() const { return m_matrix; }
    int codeType() const { return m_codeType; }
    const std::array<std::uint8_t, 32>& headerBlock() const { return m_header; }
    const std::vector<std::uint8_t>& extraHeaderBytes() const { return m_extraHeader; }
    int sectionCount() const { return m_sectionCount; }
    int sectionSize(int i) const { return i >= 0 && i < 13 ? m_sectionSizes[i] : 0; }

    // Entry text helpers for the analysis: the reading and the base-form
    // key of an entry as host text; false when the entry has none or it is
    // damaged.
    bool entryReading(std::int32_t entry, std::string& reading) const;
    bool entryBaseForm(std::int32_t entry, std::string& baseForm) const;
    // Both, from one decoding of the entry: the reading as entryReading
    // leaves it, and the result of entryBaseForm.
    bool entryForms(std::int32_t entry, std::string& baseForm, std::string& reading) const;

private:
    bool parse();
    void release();
    bool readingOf(const DoskEntry& entry, std::string& reading) const;
    bool baseFormOf(const DoskEntry& entry, std::string& baseForm) const;
    bool search(const CodeUnits& units, std::vector<DoskWord>& words, bool mendDeadEnds) const;
    int connection(int left, int right) const { return m_matrix.cost(left, right); }

    std::unique_ptr<platform::SharedFileMapping> m_mapping;
    std::array<std::uint8_t, 32> m_header{};
    int m_headerAreaSize = 64;
    int m_block0Size = 0;
    int m_sectionCount = 0;
    int m_sectionSizes[13] = {};
    std::vector<std::uint8_t> m_extraHeader;
    DoskTrie m_trie;
    std::vector<DoskSection*> m_sections;  // borrowed: the members below
    DoskClassTable m_classTable;
    DoskConnectionMatrix m_matrix;
    LatticeNode m_beginOfSentence;
    LatticeNode m_endOfSentence;
    int m_codeType = CODE_TYPE_EUC;
    // Host text of each code-table entry (at most two bytes), so that
    // readings are spelled by concatenation.
    struct CodeText {
        char bytes[2] = {};
        std::uint8_t size = 0;
    };
    std::array<CodeText, 256> m_codeText;
};

}  // namespace quibo
