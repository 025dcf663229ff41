#include "knowledge/MeanDictionaryBody.h"

#include "knowledge/CdrReader.h"
#include "knowledge/CdrWriter.h"

#include <cstring>

namespace quibo {

namespace {

// Smallest stored sizes, so that a count is refused before anything is
// allocated for elements the remaining octets cannot hold.
constexpr std::size_t INT_OCTETS = 4;
constexpr std::size_t STRING_OCTETS = 4;
constexpr std::size_t COUNT_OCTETS = 4;
constexpr std::size_t DCA_DEFINITION_OCTETS = STRING_OCTETS + 4 * INT_OCTETS;
constexpr std::size_t COND_SPEC_OCTETS = INT_OCTETS + STRING_OCTETS + 3 * COUNT_OCTETS + STRING_OCTETS +
                                         2 * COUNT_OCTETS;
constexpr std::size_t TERM_SPEC_OCTETS = STRING_OCTETS + 3 * COUNT_OCTETS + STRING_OCTETS + 2 * COUNT_OCTETS;
constexpr std::size_t RULE_OCTETS = INT_OCTETS + COUNT_OCTETS + 5 * INT_OCTETS + 2 * STRING_OCTETS +
                                    3 * COND_SPEC_OCTETS + 2 * TERM_SPEC_OCTETS;
constexpr std::size_t WORD_REF_OCTETS = 2 * INT_OCTETS;

// Words of the rule lines never hold a NUL; one that did would end there, as
// the stored form always has.
void writeWord(const std::string& word, CdrWriter& out)
{
    out.writeString(word.c_str(), std::strlen(word.c_str()));
}

void writeInts(const std::vector<int>& values, CdrWriter& out)
{
    out.writeSequence(values, [](int value, CdrWriter& w) { w.writeInt32(value); });
}

std::vector<int> readInts(CdrReader& in)
{
    std::vector<int> values;
    in.readSequence([&](CdrReader& r) { values.push_back(r.readInt32()); }, INT_OCTETS);
    return values;
}

void writeIntSequences(const std::vector<std::vector<int>>& sequences, CdrWriter& out)
{
    out.writeSequence(sequences, [](const std::vector<int>& values, CdrWriter& w) { writeInts(values, w); });
}

std::vector<std::vector<int>> readIntSequences(CdrReader& in)
{
    std::vector<std::vector<int>> sequences;
    in.readSequence([&](CdrReader& r) { sequences.push_back(readInts(r)); }, COUNT_OCTETS);
    return sequences;
}

void writeWords(const std::vector<std::string>& words, CdrWriter& out)
{
    out.writeSequence(words, [](const std::string& word, CdrWriter& w) { writeWord(word, w); });
}

std::vector<std::string> readWords(CdrReader& in)
{
    std::vector<std::string> words;
    in.readSequence([&](CdrReader& r) { words.push_back(r.readString()); }, STRING_OCTETS);
    return words;
}

void writeWordSequences(const std::vector<std::vector<std::string>>& sequences, CdrWriter& out)
{
    out.writeSequence(sequences,
                      [](const std::vector<std::string>& words, CdrWriter& w) { writeWords(words, w); });
}

std::vector<std::vector<std::string>> readWordSequences(CdrReader& in)
{
    std::vector<std::vector<std::string>> sequences;
    in.readSequence([&](CdrReader& r) { sequences.push_back(readWords(r)); }, COUNT_OCTETS);
    return sequences;
}

void writeWordRef(const WordRef& ref, CdrWriter& out)
{
    out.writeInt32(ref.ruleNumber);
    out.writeInt32(ref.wordNumber);
}

WordRef readWordRef(CdrReader& in)
{
    WordRef ref;
    ref.ruleNumber = in.readInt32();
    ref.wordNumber = in.readInt32();
    return ref;
}

}  // namespace

void CdrBody<DcaDefinition>::write(const DcaDefinition& definition, CdrWriter& out)
{
    out.writeString(definition.name);
    out.writeInt32(definition.code);
    out.writeInt32(definition.value2);
    out.writeInt32(definition.bitNumber);
    out.writeInt32(definition.gate);
}

void CdrBody<DcaDefinition>::read(DcaDefinition& definition, CdrReader& in)
{
    definition.name = in.readString();
    definition.code = in.readInt32();
    definition.value2 = in.readInt32();
    definition.bitNumber = in.readInt32();
    definition.gate = in.readInt32();
}

void CdrBody<MeanCondSpec>::write(const MeanCondSpec& spec, CdrWriter& out)
{
    out.writeInt32(spec.unit);
    out.writeString(spec.position);
    writeInts(spec.posCodes, out);
    writeIntSequences(spec.posSequences, out);
    writeInts(spec.conjugationForms, out);
    out.writeString(spec.cueText);
    writeWords(spec.words, out);
    writeWordSequences(spec.wordSequences, out);
}

void CdrBody<MeanCondSpec>::read(MeanCondSpec& spec, CdrReader& in)
{
    spec.unit = in.readInt32();
    spec.position = in.readString();
    spec.posCodes = readInts(in);
    spec.posSequences = readIntSequences(in);
    spec.conjugationForms = readInts(in);
    spec.cueText = in.readString();
    spec.words = readWords(in);
    spec.wordSequences = readWordSequences(in);
}

void CdrBody<MeanTermSpec>::write(const MeanTermSpec& spec, CdrWriter& out)
{
    out.writeString(spec.variableName);
    writeInts(spec.posCodes, out);
    writeIntSequences(spec.posSequences, out);
    writeInts(spec.conjugationForms, out);
    out.writeString(spec.cueText);
    writeWords(spec.words, out);
    writeWordSequences(spec.wordSequences, out);
}

void CdrBody<MeanTermSpec>::read(MeanTermSpec& spec, CdrReader& in)
{
    spec.variableName = in.readString();
    spec.posCodes = readInts(in);
    spec.posSequences = readIntSequences(in);
    spec.conjugationForms = readInts(in);
    spec.cueText = in.readString();
    spec.words = readWords(in);
    spec.wordSequences = readWordSequences(in);
}

void CdrBody<MeanRule>::write(const MeanRule& rule, CdrWriter& out)
{
    out.writeInt32(rule.dcaCode);
    writeInts(rule.pcaCodes, out);
    out.writeInt32(rule.flagI);
    out.writeInt32(rule.flagE);
    out.writeInt32(rule.representativePosCode);
    out.writeInt32(rule.flagV);
    out.writeInt32(rule.flagM);
    out.writeString(rule.meaningInfo);
    out.writeString(rule.representativeWord);
    CdrBody<MeanCondSpec>::write(rule.meaningElement, out);
    CdrBody<MeanCondSpec>::write(rule.frontCondition, out);
    CdrBody<MeanCondSpec>::write(rule.backCondition, out);
    CdrBody<MeanTermSpec>::write(rule.frontTerm, out);
    CdrBody<MeanTermSpec>::write(rule.backTerm, out);
}

void CdrBody<MeanRule>::read(MeanRule& rule, CdrReader& in)
{
    rule.dcaCode = in.readInt32();
    rule.pcaCodes = readInts(in);
    rule.flagI = in.readInt32();
    rule.flagE = in.readInt32();
    rule.representativePosCode = in.readInt32();
    rule.flagV = in.readInt32();
    rule.flagM = in.readInt32();
    rule.meaningInfo = in.readString();
    rule.representativeWord = in.readString();
    CdrBody<MeanCondSpec>::read(rule.meaningElement, in);
    CdrBody<MeanCondSpec>::read(rule.frontCondition, in);
    CdrBody<MeanCondSpec>::read(rule.backCondition, in);
    CdrBody<MeanTermSpec>::read(rule.frontTerm, in);
    CdrBody<MeanTermSpec>::read(rule.backTerm, in);
}

void CdrBody<MeanDictionary>::write(const MeanDictionary& dictionary, CdrWriter& out)
{
    out.writeSequence(dictionary.m_rules,
                      [](const MeanRule& rule, CdrWriter& w) { CdrBody<MeanRule>::write(rule, w); });
    out.writeSequence(dictionary.m_posCodes, [](const auto& entry, CdrWriter& w) {
        w.writeString(entry.first);
        w.writeInt32(entry.second);
    });
    out.writeSequence(dictionary.m_dcaDefinitions, [](const DcaDefinition& definition, CdrWriter& w) {
        CdrBody<DcaDefinition>::write(definition, w);
    });
    writeWords(dictionary.m_noMeaningWords, out);
    out.writeSequence(dictionary.m_formTable, [](const ConjugationFormEntry& entry, CdrWriter& w) {
        w.writeString(entry.name);
        w.writeInt32(entry.index);
    });
    out.writeSequence(dictionary.m_variableCache, [](const auto& entry, CdrWriter& w) {
        w.writeString(entry.first);
        w.writeString(entry.second);
    });
    for (const MeanDictionary::WordIndexMap& index : dictionary.m_wordIndexes) {
        out.writeSequence(index, [](const auto& entry, CdrWriter& w) {
            w.writeString(entry.first);
            writeWordRef(entry.second, w);
        });
    }
    out.writeSequence(dictionary.m_posIndex, [](const auto& entry, CdrWriter& w) {
        w.writeInt32(entry.first);
        writeWordRef(entry.second, w);
    });
    out.writeSequence(dictionary.m_firstCharacters,
                      [](const std::string& text, CdrWriter& w) { w.writeString(text); });
    out.writeInt32(dictionary.m_longestTextLength);
    out.writeInt32(dictionary.m_shortestTextLength);
}

void CdrBody<MeanDictionary>::read(MeanDictionary& dictionary, CdrReader& in)
{
    in.readSequence(
        [&](CdrReader& r) {
            // Each rule starts from freshly constructed groups.
            MeanRule rule;
            CdrBody<MeanRule>::read(rule, r);
            dictionary.m_rules.push_back(std::move(rule));
        },
        RULE_OCTETS);
    in.readSequence(
        [&](CdrReader& r) {
            std::string name = r.readString();
            dictionary.m_posCodes.emplace(std::move(name), r.readInt32());
        },
        STRING_OCTETS + INT_OCTETS);
    in.readSequence(
        [&](CdrReader& r) {
            DcaDefinition definition;
            CdrBody<DcaDefinition>::read(definition, r);
            dictionary.m_dcaDefinitions.push_back(std::move(definition));
        },
        DCA_DEFINITION_OCTETS);
    dictionary.m_noMeaningWords = readWords(in);
    in.readSequence(
        [&](CdrReader& r) {
            ConjugationFormEntry entry;
            entry.name = r.readString();
            entry.index = r.readInt32();
            dictionary.m_formTable.push_back(std::move(entry));
        },
        STRING_OCTETS + INT_OCTETS);
    in.readSequence(
        [&](CdrReader& r) {
            std::string name = r.readString();
            dictionary.m_variableCache.emplace(std::move(name), r.readString());
        },
        2 * STRING_OCTETS);
    for (MeanDictionary::WordIndexMap& index : dictionary.m_wordIndexes) {
        in.readSequence(
            [&](CdrReader& r) {
                std::string key = r.readString();
                index.emplace(std::move(key), readWordRef(r));
            },
            STRING_OCTETS + WORD_REF_OCTETS);
    }
    in.readSequence(
        [&](CdrReader& r) {
            int code = r.readInt32();
            dictionary.m_posIndex.emplace(code, readWordRef(r));
        },
        INT_OCTETS + WORD_REF_OCTETS);
    in.readSequence([&](CdrReader& r) { dictionary.m_firstCharacters.insert(r.readString()); },
                    STRING_OCTETS);
    dictionary.m_longestTextLength = in.readInt32();
    dictionary.m_shortestTextLength = in.readInt32();
}

}  // namespace quibo
