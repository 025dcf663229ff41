// Builds the semantic-network file "pstorage" from a readable text source.
//
// The source is UTF-8, one statement a line, fields separated by TABs; blank
// lines and lines starting with '#' are ignored:
//
//   word      KEY  FLAGS              a word record
//   relation  FROM TO POLARITY [off]  an entry of FROM's relation list
//   related   FROM TO POLARITY        an entry of FROM's related-word list
//   link      FROM TO TYPE            a link of FROM's node (type 1, 2 or 3)
//
// A KEY names a record; the record's name is the key up to its first '/', so
// "生/なま" and "生/せい" are two senses of the written word 生.  FLAGS are
// letters, or "-" for none: P (P mark), N (N mark), p (P listing flag),
// n (N listing flag), * (the record has a node).  POLARITY is 0 or 1; "off"
// disables the relation for path searches.  Names are stored in EUC-JP.
// What the marks mean in the network built from JUMAN is written in
// tools/SemanticNetwork.md.
//
// Records are sorted by their EUC-JP name; links of one node, and the lists
// of one word, keep the order of the source.
#pragma once

#include <cstddef>
#include <istream>
#include <string>
#include <vector>

namespace quibo::tools {

struct SemanticNetworkBuildReport {
    std::size_t words = 0;
    std::size_t nodes = 0;
    std::size_t links = 0;
    std::size_t relations = 0;
    std::size_t relatedWords = 0;
    std::size_t bytes = 0;  // plaintext size
    std::vector<std::string> errors;  // "line N: ..." or a limit of the format
};

// The deciphered file image in `plaintext`; false (with the reasons in the
// report) when the source is malformed or exceeds a limit of the format:
// 255 relations and 255 related words per word, 65535 links per node, name
// pool below 0x3FFFFFFE bytes, whole file within a signed 32-bit length.
bool buildSemanticNetwork(std::istream& source, std::string& plaintext, SemanticNetworkBuildReport& report);

// Builds and writes the enciphered file; 0, or 1 with the reasons in the report.
int buildSemanticNetworkFile(const std::string& sourcePath, const std::string& outPath,
                             SemanticNetworkBuildReport& report);

}  // namespace quibo::tools
