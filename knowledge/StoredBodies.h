// How the knowledge model moves through a knowledge-file stream: the body of
// every stored class, field by field in its fixed order.  Objects carried
// through pointers specialise CdrBody (numbering and back-references are the
// codec's); records held by value (words, reply groups, reply entries) are
// moved by their own body routines inside their holder's body.
//
// A knowledge file is untrusted.  Reading checks what writing guarantees:
// - every object's type code agrees with its class (an entity carries the
//   entity code, a thesaurus one of the group codes, a predicative the
//   predicative code, and a plain object none of those), so that code which
//   chooses its behaviour by type code always meets the class it expects;
// - pointers declared as entities accept entities only (the codec's class
//   check); null pointers the stream states are kept, and every walker of
//   the loaded model skips them.
// Writing stores only what reading accepts: a word bound to an object that
// is no entity, and a centre or entity-set member that is no entity, are not
// stored (the stored form holds entities there).
#pragma once

#include "analysis/Morpheme.h"
#include "analysis/MorphemeList.h"
#include "knowledge/CdrBody.h"
#include "knowledge/Entity.h"
#include "knowledge/KnowledgeObject.h"
#include "knowledge/ParsedText.h"
#include "knowledge/Predicative.h"
#include "knowledge/ReplyEntry.h"
#include "knowledge/ReplyEntryGroup.h"
#include "knowledge/ReplyTable.h"
#include "knowledge/Thesaurus.h"
#include "knowledge/Topic.h"
#include "knowledge/TopicTitle.h"

#include <memory>
#include <string>

namespace quibo {

class CdrReader;
class CdrWriter;

template <>
struct CdrBody<KnowledgeObject> {
    static void write(const KnowledgeObject& object, CdrWriter& out);
    static void read(KnowledgeObject& object, CdrReader& in);
    static std::unique_ptr<KnowledgeObject> create();
};

template <>
struct CdrBody<Entity> {
    static void write(const Entity& entity, CdrWriter& out);
    static void read(Entity& entity, CdrReader& in);
    static std::unique_ptr<Entity> create();
};

template <>
struct CdrBody<Predicative> {
    static void write(const Predicative& predicative, CdrWriter& out);
    static void read(Predicative& predicative, CdrReader& in);
    static std::unique_ptr<Predicative> create();
};

template <>
struct CdrBody<Thesaurus> {
    static void write(const Thesaurus& thesaurus, CdrWriter& out);
    static void read(Thesaurus& thesaurus, CdrReader& in);
    static std::unique_ptr<Thesaurus> create();
};

template <>
struct CdrBody<ParsedText> {
    static void write(const ParsedText& text, CdrWriter& out);
    static void read(ParsedText& text, CdrReader& in);
    static std::unique_ptr<ParsedText> create();
};

// Held by value.  The bound entity is carried only under the current
// version text.
template <>
struct CdrBody<Morpheme> {
    static void write(const Morpheme& word, CdrWriter& out);
    static void read(Morpheme& word, CdrReader& in);
};

// The word vector of a list (its trailing int is not carried).
template <>
struct CdrBody<MorphemeList> {
    static void write(const MorphemeList& words, CdrWriter& out);
    static void read(MorphemeList& words, CdrReader& in);
};

template <>
struct CdrBody<Topic> {
    static void write(const Topic& topic, CdrWriter& out);
    static void read(Topic& topic, CdrReader& in);
};

// Centres are carried under the current version text, the centre index's
// keys under any other.
template <>
struct CdrBody<TopicTitle> {
    static void write(const TopicTitle& title, CdrWriter& out);
    static void read(TopicTitle& title, CdrReader& in);
    static std::unique_ptr<TopicTitle> create();
};

template <>
struct CdrBody<ReplyTable> {
    static void write(const ReplyTable& table, CdrWriter& out);
    static void read(ReplyTable& table, CdrReader& in);
};

template <>
struct CdrBody<ReplyEntryGroup> {
    static void write(const ReplyEntryGroup& group, CdrWriter& out);
    static void read(ReplyEntryGroup& group, CdrReader& in);
};

template <>
struct CdrBody<ReplyEntry> {
    static void write(const ReplyEntry& entry, CdrWriter& out);
    static void read(ReplyEntry& entry, CdrReader& in);
};

// A string carried through a pointer (reply labels and names).
template <>
struct CdrBody<std::string> {
    static void write(const std::string& text, CdrWriter& out);
    static void read(std::string& text, CdrReader& in);
};

}  // namespace quibo
