// The DCA handlers: one class per cohesion method (結束方式) by which a reply
// candidate may be tied to the input.  A handler searches the knowledge base
// for topic titles that link the candidate's sentence with the input,
// records what it found as topic units or in the candidate's topic record,
// and stamps the candidate's flag word with the value it succeeded with.
// The dispatcher builds a handler for one value, applies it and drops it.
//
// A handler writes to the candidate only on its way to success (the 0x80000
// handler may leave its hits' flag word behind and still fail).  Titles and
// entities are borrowed from the loaded knowledge base; the conversation is
// borrowed too.
#pragma once

#include "analysis/MorphemeList.h"
#include "conversation/TopicUnit.h"

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace quibo {

class AnalyzedSentence;
class CDictionary;
class Candidate;
class ChatSession;
class Entity;
class TopicTitle;

// What a question names (its X and Y words less those that ask), and
// whether words by which the base tells none of its topics apart were left
// out of it.
struct NamedWords {
    MorphemeList words;
    bool leftOut = false;
    // The times the question sets its scene with (夜は, 朝も).
    std::set<std::string> scene;
    // The things it names as the means or place of what it asks (電話で,
    // コンビニで) and as its setting (土日に, 窓口に).
    std::set<std::string> means;
    std::set<std::string> settings;
    // The question's words as said, in order.
    std::vector<std::string> said;
    // A word of a topic's own (namesTopicOf) that is neither may carry
    // things only other topics' titles hold (the second round of the search
    // by things named alike: no title held all the question's things).
    bool specificOutweighs = false;
};

class DcaHandler {
public:
    virtual ~DcaHandler() = default;

    // Ties the candidate to the input by this handler's method; false for a
    // null candidate and whenever a requirement is missing.
    virtual bool apply(Candidate* candidate, CDictionary* knowledge) = 0;

    // 2 when the title's grade against the words shows a polarity clash
    // that the sentence's and the title's marks do not both block; else 1.
    int grade(Candidate& candidate, TopicTitle* title, const MorphemeList& words) const;
    // Keeps the units whose hit title's X and Y words pair off with the
    // candidate's X and Y content words; failing those, the titles named
    // alike (namesAlike) by the words that tell the base's topics apart
    // (namedWords; without a base, by all the words).
    void filterTopicUnits(Candidate& candidate, const CDictionary* base) const;
    // a~c and b~d, or crosswise, or one pair matching with the other pair
    // both empty (x~y: matchWordLists).
    bool matchWordSets(const MorphemeList& a, const MorphemeList& b, const MorphemeList& c,
                       const MorphemeList& d) const;
    // Every word of b, from the last, takes a correlated word of a (from the
    // last), and no word of a is left over; false when either is empty.
    bool matchWordLists(MorphemeList a, MorphemeList b) const;
    // The question's named words (`asked`) and the title's x and y words
    // name the same things: every other noun of the question that names a
    // thing (not a question word, an action or an ignorable word) has a
    // correlated word in the title's words, and the knowledge words pair
    // off one to one (0), or each of the question's has a correlated one in
    // the title, which adds others (their number, at least 1; not when
    // words were left out of the question).  -1: they do not.
    int namesAlike(const NamedWords& asked, const TopicTitle& title) const;
    // The sentence's X and Y words less those that ask and those that tell
    // none of the base's topics apart (a noun that no title or term of the
    // base uses or relates to, unless the question asks about it; the
    // counter after a number): what it names.
    NamedWords namedWords(const AnalyzedSentence& sentence, const CDictionary* base) const;
    // The titles of the topic named alike by asked (namedWords), each added
    // once to hits as the weakest hit: what a question in other words than
    // any title's still finds.  Callers searching several topics read the
    // sentence's words once.
    void addTitlesNamedAlike(const NamedWords& asked, const Topic* topic, TopicTitleHits& hits) const;
    // The first unit of each hit title's topic, order kept.
    std::vector<TopicUnit> removeDuplicateUnits(const std::vector<TopicUnit>& units) const;
    // Marks and positions cleared, so that the words link to nothing.
    void resetItems(MorphemeList& words) const;
};

// The handler of a DCA value (the value as the candidate lists it, so
// 0x80000000 only sign-extended); null for a value no handler takes.
std::unique_ptr<DcaHandler> makeDcaHandler(std::uint64_t value, ChatSession* conversation);

// A handler that holds the conversation it ties candidates for.
class ConversationDcaHandler : public DcaHandler {
public:
    explicit ConversationDcaHandler(ChatSession* conversation) : m_conversation(conversation) {}

protected:
    ChatSession* m_conversation;
};

// 0x18: the focus title's topic answers the sentence itself.
class DcaHandler18 : public DcaHandler {
public:
    bool apply(Candidate* candidate, CDictionary* knowledge) override;
};

// 0x40000000: the focus is a "＿Ｃ＿" idiom title.
class ChidiomHandler : public DcaHandler {
public:
    bool apply(Candidate* candidate, CDictionary* knowledge) override;
};

// 0xFFFFFFFF80000000: focus title and sentence share a DCA feature.
class DcaHandler80000000 : public DcaHandler {
public:
    bool apply(Candidate* candidate, CDictionary* knowledge) override;
};

// 0x200: the title of the last reply answers in some form.
class DcaHandler200 : public DcaHandler {
public:
    bool apply(Candidate* candidate, CDictionary* knowledge) override;
};

// 0x2000: the context title's topic answers the sentence.
class DcaHandler2000 : public ConversationDcaHandler {
public:
    using ConversationDcaHandler::ConversationDcaHandler;
    bool apply(Candidate* candidate, CDictionary* knowledge) override;
};

// 0x4000: the topics of the always-present entities answer the sentence,
// read as speaking of each of them.
class DcaHandler4000 : public DcaHandler {
public:
    bool apply(Candidate* candidate, CDictionary* knowledge) override;
};

// 0x400: the sentence names a thing of the domain that has a title of its
// own (the conversation is not consulted).
class DcaHandler400 : public ConversationDcaHandler {
public:
    using ConversationDcaHandler::ConversationDcaHandler;
    bool apply(Candidate* candidate, CDictionary* knowledge) override;
};

// 0x80000: the topics of the other entities the sentence names, or of the
// classes its nouns belong to.
class DcaHandler80000 : public ConversationDcaHandler {
public:
    using ConversationDcaHandler::ConversationDcaHandler;
    bool apply(Candidate* candidate, CDictionary* knowledge) override;

private:
    // Adds the entity's hits for the words; mode 1 searches a noun class.
    void search(Candidate& candidate, Entity& entity, const MorphemeList& words, int mode) const;
};

// 0x100000: the sentence names a conversation act that has a title.
class DcaHandler100000 : public DcaHandler {
public:
    bool apply(Candidate* candidate, CDictionary* knowledge) override;
};

// 0x20000000: exactly one object the recent replies named, newest first,
// covers the sentence's words.
class RearrHandler : public ConversationDcaHandler {
public:
    using ConversationDcaHandler::ConversationDcaHandler;
    bool apply(Candidate* candidate, CDictionary* knowledge) override;
};

}  // namespace quibo
