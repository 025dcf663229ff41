// The knowledge-base compiler: a readable source (UTF-8 text, one record a
// line, reply entries and topic titles in blocks under their table and
// topic) becomes a CDictionary built through the knowledge base's own
// operations, saved as a knowledge file and checked by reloading it.
//
// Source records ('#' starts a comment line; fields are separated by blanks,
// key=value fields may come in any order; texts hold no blanks - Japanese
// text uses full-width spaces):
//   entity NAME [flags=N]                 an entity (flag bits 1, 2, 4, 8 ...)
//   predicative NAME                      a predicative
//   thesaurus ES|EA|PS|PA TITLE REPRESENTATIVE
//                                         a synonym group of an entity or predicative
//   related ENTITY ENTITY                 the second becomes a relative of the first
//   term TEXT OBJECT                      TEXT recognises the entity or predicative OBJECT
//   string TEXT                           a pooled string
//   table NAME                            a reply table; the lines below fill it:
//   group KIND [type=T]                   a group of kind number KIND (0..11, 'd' 0, 'i' 9, 'n' 8)
//   entry LABEL [| NAMES [| IDS]]         a reply: its text, its ";"-separated extension
//                                         names, and ids (",") of titles it leads to
//   topic NAME [table=TABLE] [entities=E1,E2]
//   title TYPE source=TEXT [x=TEXT] [y=TEXT] [a=TEXT] [id=NAME] [priority=N]
//         [dca=HEX] [polarity=P1,P2,P3] [centres=E1,E2] [searchable=0|1] [complete=0|1]
//                                         a title of the last topic; TYPE is X_Y_N, ...
//                                         or a slot code in hexadecimal (0x29)
//   idtitle NAME TOPIC INDEX              lists title INDEX of TOPIC under NAME
#pragma once

#include "analysis/MorphemeList.h"

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

namespace quibo {

class CDictionary;

// A fault of the source, with its line number.
class KnowledgeSourceError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class KnowledgeCompiler {
public:
    // How a text (EUC-JP) is analysed: its words, and the analysed text.
    using Analysis = std::function<MorphemeList(const std::string& text, std::string& analysed)>;

    // The analysis of the process's LanguageAnalyzer.
    static Analysis languageAnalyzer();

    explicit KnowledgeCompiler(Analysis analysis);

    // Builds the knowledge base of a UTF-8 source text.  Throws
    // KnowledgeSourceError naming the line of the first fault.
    std::unique_ptr<CDictionary> compile(const std::string& utf8Source) const;

    // Compiles the source file and saves the knowledge file (through a
    // temporary file renamed into place), then reloads it and saves it again
    // in memory: the two streams must be the same bytes.  0, or -1 with the
    // reason on standard error.
    int compileFile(const std::string& sourcePath, const std::string& outputPath) const;

private:
    Analysis m_analysis;
};

}  // namespace quibo
