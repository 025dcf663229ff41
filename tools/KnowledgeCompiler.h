// The knowledge-base compiler: a readable source (UTF-8 text, one record a
// line, reply entries and topic titles in blocks under their table and
// topic) becomes a CDictionary built through the knowledge base's own
// operations, saved as a knowledge file and checked by reloading it.
//
// Source records ('#' starts a comment line; fields are separated by blanks,
// key=value fields may come in any order, each at most once):
//   entity NAME [flags=N]                 an entity (flag bits 1, 2, 4, 8 ...;
//                                         an entity of bit 2 is a centre of every
//                                         title that names it)
//   predicative NAME                      a predicative
//   thesaurus ES|EA|PS|PA TITLE REPRESENTATIVE
//                                         a synonym group of an entity or predicative
//   related ENTITY ENTITY [set=N]         the second joins entity set N (1..6) of
//                                         the first; set 6, the default, holds its
//                                         relatives
//   term TEXT OBJECT                      TEXT recognises the entity or predicative OBJECT
//   term2 TEXT OBJECT                     the same in the second term index
//   string TEXT                           a pooled string
//   table NAME                            a reply table; the lines below fill it:
//   group KIND [type=T]                   a group of kind KIND: a number 0..11 ('d' 0
//                                         and 11, 'w' 1, 'o' 2, 't' 3, 'p' 4, 'l' 5,
//                                         'c' 6, 'h' 7, 'n' 8, 'i' 9, 'e' 10) or a
//                                         letter, 'a' included; type 0..3 gives the
//                                         group value 1, 64, 256 or 32
//   entry LABEL [| NAMES [| IDS [| ID]]]  a reply: its text, its ";"-separated
//                                         extension names, the ids (",") of titles it
//                                         leads to, and the id of the one title it
//                                         answers (its title reference)
//   topic NAME [table=TABLE] [entities=E1,E2]
//   title TYPE source=TEXT [x=TEXT] [y=TEXT] [a=TEXT] [id=NAME] [priority=N]
//         [dca=HEX] [polarity=P1,P2,P3] [centres=E1,E2] [searchable=0|1] [complete=0|1]
//                                         a title of the last topic; TYPE is A_Y_N,
//                                         A_Y_A, X_A_N, X_A_A, X_Y_N, S_O_A or a slot
//                                         code in hexadecimal (0x29)
//   idtitle NAME TOPIC INDEX              lists title INDEX of TOPIC under NAME
//
// Texts.  A field ends at the first blank (space or TAB); a text that holds
// blanks is written in double quotes, as a field ("Red Hat") or as a value
// (source="Debian GNU/Linux とは何?"); inside quotes \" stands for a quote and
// \\ for a backslash.  An entry's parts are separated by a bar between
// blanks (" | "; "a | | b" leaves the second part empty); a part in quotes may
// hold " | " itself ("a | b").  Japanese text may use full-width
// spaces anywhere.  A quote inside an unquoted text is an ordinary character.
//
// Nothing is lost without a word: a field the record does not take, a field
// given twice, an unclosed quote, a text that is not UTF-8, a second group
// of one kind in a table and an id that names no title are refused with the
// line number; a character that has no EUC-JP form is stored as 〓 and
// reported as a warning with its line.  A UTF-8 byte-order mark may start the
// source.  Messages are UTF-8.
//
// Titles are analysed as the system analyses a visitor's sentence: each text
// (source, x, y and a) is judged as semanticIndex judges a visitor's words,
// so the title's words carry the judgement's flags (X, Y, I and the rest),
// and the source's judgement gives the title's polarities and its feature
// word (the expression bits of its contents, as the candidate selector
// compares them with a question's) unless polarity= and dca= state them.
// A searchable title (searchable=1, the default; 0 marks a title only the
// conversation reaches: its lookup keys, the answers to a reply's offer)
// is made reachable by its own text: x and y as written stand when they
// pair off with the X and Y content words of the source's reading, and
// are that reading's words otherwise or when both are left out; a word of
// the reading that holds the name of an entity of the title (a Latin name
// run together with the next word) becomes a term of that entity; and a
// plain entity the title is about gets flag 8, as a title centre.
#pragma once

#include "analysis/MorphemeList.h"

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace quibo {

class CDictionary;
class MeanEntry;

// A fault of the source, with its line number (UTF-8).
class KnowledgeSourceError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class KnowledgeCompiler {
public:
    // How a text (EUC-JP) is analysed: its words and the analysed text; with
    // a judgement asked for, the words are also judged, and the judgement
    // filled in.
    using Analysis = std::function<MorphemeList(const std::string& text, std::string& analysed, MeanEntry* judgement)>;
    // An analysis that knows no judgement (test stand-ins).
    using PlainAnalysis = std::function<MorphemeList(const std::string& text, std::string& analysed)>;

    // The analysis and judgement of the process's LanguageAnalyzer.
    static Analysis languageAnalyzer();

    explicit KnowledgeCompiler(Analysis analysis);
    explicit KnowledgeCompiler(PlainAnalysis analysis);

    // Builds the knowledge base of a UTF-8 source text.  Throws
    // KnowledgeSourceError naming the line of the first fault; appends the
    // warnings (UTF-8, each with its line) to `warnings` when given.
    std::unique_ptr<CDictionary> compile(const std::string& utf8Source,
                                         std::vector<std::string>* warnings = nullptr) const;

    // Compiles the source file and saves the knowledge file (through a
    // temporary file renamed into place), then reloads it and saves it again
    // in memory: the two streams must be the same bytes.  Warnings go to
    // standard error.  0, or -1 with the reason on standard error.
    int compileFile(const std::string& sourcePath, const std::string& outputPath) const;

    // What a conversation over the base would lack: the refusal (UTF-8)
    // when it has no greeting, "" otherwise, with a warning appended when
    // it has no reply for questions it has no topic for.  compileFile
    // refuses a base that gets a refusal.
    static std::string conversationGaps(CDictionary& base, std::vector<std::string>& warnings);

private:
    Analysis m_analysis;
};

}  // namespace quibo
