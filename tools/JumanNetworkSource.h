// Turns the semantic fields of the JUMAN dictionary's CSV files (MeCab
// layout: surface, ids, cost, POS, sub-POS, conjugation type and form, base
// form, reading, features) into the readable source of the semantic network
// (see tools/SemanticNetworkBuilder.h).  What the network means is written in
// tools/SemanticNetwork.md.
#pragma once

#include <cstddef>
#include <istream>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace quibo::tools {

struct JumanSourceReport {
    std::size_t lines = 0;             // CSV lines read
    std::size_t senseLines = 0;        // lines with a representative form
    std::size_t skippedNames = 0;      // names with no EUC-JP form or unusable in a key
    std::size_t unknownReferences = 0; // synonyms or antonyms naming no sense of the dictionary
    std::size_t unknownFields = 0;     // categories or domains without a concept word
    std::size_t droppedEntries = 0;    // list entries or links beyond the format's limits
    std::size_t senses = 0;
    std::size_t words = 0;
    std::size_t relations = 0;
    std::size_t relatedWords = 0;
    std::size_t links = 0;
};

class JumanNetworkSource {
public:
    // Reads one CSV file's lines.
    void addCsv(std::istream& csv);
    // Writes the network source: words, relations, related words, links.
    void write(std::ostream& out);

    const JumanSourceReport& report() const { return m_report; }

private:
    struct Sense {
        bool predicate = false;
        std::vector<std::string> variants;  // written base forms, first seen first
        std::set<std::string> categories;   // concept senses
        std::set<std::string> domains;      // concept senses
        std::set<std::string> synonyms;
        std::set<std::string> antonyms;
        std::set<std::string> potentialOf;  // base verbs of a potential verb (使える: 使う)
        std::set<std::string> potentials;   // potential verbs of a base verb (使う: 使える)
    };

    void addLine(const std::string& line);
    Sense& conceptSense(const std::string& representative);
    void completeRelations();

    std::map<std::string, Sense> m_senses;  // by representative form "書き/よみ"
    std::map<std::string, std::vector<std::string>> m_wordSenses;  // base form -> senses
    JumanSourceReport m_report;
};

}  // namespace quibo::tools
