// How the knowledge model moves through a knowledge-file stream: the body of
// every stored class, field by field in its fixed order.  Objects carried
// through pointers specialise CdrBody (numbering and back-references are the
// codec's); records held by value (word lists, reply groups, reply entries)
// are moved by their own body routines inside their holder's body.  Bodies
// that meet pointers are coroutines run from the codec's work stack
// (CdrTask.h), so a stream nests as deeply as its object graph needs.
//
// A knowledge file is untrusted.  Reading checks what writing guarantees:
// - every object's type code agrees with its class (an entity carries the
//   entity code, a thesaurus one of the group codes, a predicative the
//   predicative code, and a plain object none of those), so that code which
//   chooses its behaviour by type code always meets the class it expects;
// - pointers declared as entities accept entities only (the codec's class
//   check), except the object a word is bound to, which may be any
//   knowledge object: an entity new to the stream is carried there, any
//   other object by its number, also when the stream carries it only later
//   (the number is settled once the stream has been read);
// - null pointers the stream states are kept, and every walker of the
//   loaded model skips them.
// Writing stores only what reading accepts: a centre or entity-set member
// that is no entity is not stored (the stored form holds entities there).
#pragma once

#include "analysis/Morpheme.h"
#include "analysis/MorphemeList.h"
#include "knowledge/CdrBody.h"
#include "knowledge/CdrTask.h"
#include "knowledge/Entity.h"
#include "knowledge/KnowledgeObject.h"
#include "knowledge/ObjectArena.h"
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
    static CdrTask write(const KnowledgeObject& object, CdrWriter& out);
    static CdrTask read(KnowledgeObject& object, CdrReader& in);
    static KnowledgeObject* create(ObjectArena& arena);

    // The fields every knowledge object's body starts with; the type code
    // read must be one that `accepts` takes (`what` names the class).
    static CdrTask writeHead(const KnowledgeObject& object, CdrWriter& out);
    static CdrTask readHead(KnowledgeObject& object, bool (*accepts)(std::int32_t), const char* what, CdrReader& in);
};

template <>
struct CdrBody<Entity> {
    static CdrTask write(const Entity& entity, CdrWriter& out);
    static CdrTask read(Entity& entity, CdrReader& in);
    static Entity* create(ObjectArena& arena);
};

template <>
struct CdrBody<Predicative> {
    static CdrTask write(const Predicative& predicative, CdrWriter& out);
    static CdrTask read(Predicative& predicative, CdrReader& in);
    static Predicative* create(ObjectArena& arena);
};

template <>
struct CdrBody<Thesaurus> {
    static CdrTask write(const Thesaurus& thesaurus, CdrWriter& out);
    static CdrTask read(Thesaurus& thesaurus, CdrReader& in);
    static Thesaurus* create(ObjectArena& arena);
};

template <>
struct CdrBody<ParsedText> {
    static CdrTask write(const ParsedText& text, CdrWriter& out);
    static CdrTask read(ParsedText& text, CdrReader& in);
    static ParsedText* create(ObjectArena& arena);
};

// The word vector of a list (its trailing int is not carried).  A word's
// bound object is carried only under the current version text.
//
// Most word lists name no object new to the stream, and a file holds more
// of them than of anything else: read takes the words at once, and only at
// the first word bound to a new object does the rest of the list become a
// body to run (an empty task otherwise).
template <>
struct CdrBody<MorphemeList> {
    static CdrTask write(const MorphemeList& words, CdrWriter& out);
    static CdrTask read(MorphemeList& words, CdrReader& in);

private:
    // The fields before the bound object, and those after it.
    static void readHead(Morpheme& word, CdrReader& in);
    static void readTail(Morpheme& word, CdrReader& in);
    // Word `at` of `count` is bound to `bound`, new to the stream, whose body
    // runs first; then the rest of that word and the words after it.
    static CdrTask readRest(MorphemeList& words, CdrReader& in, std::uint32_t at, std::uint32_t count,
                            KnowledgeObject* bound, CdrTask boundBody);
};

template <>
struct CdrBody<Topic> {
    static CdrTask write(const Topic& topic, CdrWriter& out);
    static CdrTask read(Topic& topic, CdrReader& in);
};

// Centres are carried under the current version text, the centre index's
// keys under any other.
template <>
struct CdrBody<TopicTitle> {
    static CdrTask write(const TopicTitle& title, CdrWriter& out);
    static CdrTask read(TopicTitle& title, CdrReader& in);
    static TopicTitle* create(ObjectArena& arena);
};

template <>
struct CdrBody<ReplyTable> {
    static CdrTask write(const ReplyTable& table, CdrWriter& out);
    static CdrTask read(ReplyTable& table, CdrReader& in);
};

template <>
struct CdrBody<ReplyEntryGroup> {
    static CdrTask write(const ReplyEntryGroup& group, CdrWriter& out);
    static CdrTask read(ReplyEntryGroup& group, CdrReader& in);
};

template <>
struct CdrBody<ReplyEntry> {
    static CdrTask write(const ReplyEntry& entry, CdrWriter& out);
    static CdrTask read(ReplyEntry& entry, CdrReader& in);
};

// A string carried through a pointer (reply labels and names).
template <>
struct CdrBody<std::string> {
    static void write(const std::string& text, CdrWriter& out);
    static void read(std::string& text, CdrReader& in);
};

}  // namespace quibo
