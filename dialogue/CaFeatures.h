// The step of the turn that prepares the request's reply candidates for
// selection: it gathers candidates for the visitor's input (hit sentences of
// the knowledge base paired with the context titles and topic records),
// logs a condition entry for each, gives each a 64-bit feature word that
// describes its sentence, its topic data and the dialogue state, lets the
// rule tables turn that word into the DCA values to try, and prunes
// candidates that have nothing to try.  Through the expression map it turns
// the judgement ids of a sentence's meaning contents into expression bits.
//
// Its only state is the process-wide expression map, filled once.
#pragma once

#include "analysis/MorphemeList.h"
#include "conversation/Candidate.h"
#include "conversation/TopicRecord.h"
#include "meaning/MeanEntry.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quibo {

class CDictionary;
class ReplyContext;
class ReplyState;
class SessionLog;
class TopicTitle;
class TurnRequest;

class CaFeatures {
public:
    // Room made for the candidates of one collection.  The list never grows
    // past it: the session log names candidates by their address, which must
    // stay valid while the list is filled.
    static constexpr std::size_t CANDIDATE_ROOM = 500;
    // A limited pairing pass stops once the list holds this many.
    static constexpr std::size_t LIMITED_PASS_SIZE = 10;

    // Phrase-type bits of the expression map that the log names.
    static constexpr std::uint32_t AFFIRMATIVE = 0x1;
    static constexpr std::uint32_t NEGATIVE = 0x2;

    // Fills the expression map unless it is filled already.
    static void initExpressionBits();
    // The OR of the expression bits of the contents' judgement ids; ids the
    // map does not hold add nothing.
    static std::uint32_t expressionBits(const std::vector<MeanContent>& contents);

    // The candidate's feature word (high half, low half); also stores the
    // rule answer of the sentence's expressions as its rule feature word.
    // `kind` is the dialogue history's current kind word.
    static std::uint64_t computeFeatureBits(Candidate& candidate, std::int32_t kind, const ReplyState& state,
                                            CDictionary& knowledge);
    // The DCA values the feature word calls for, in priority order.
    static void applyRuleFilter(std::uint64_t featureWord, std::vector<std::uint64_t>& dcaValues);
    // 1 when the context title's words all occur in the words, plus 2 when
    // the words all occur in the other words.
    static int matchCode(const MorphemeList& words, const TopicTitle* context, const MorphemeList& otherWords);
    // From the last candidate towards the second, drops those without DCA
    // values until one is left; the first is never dropped.  The log's
    // condition entries follow the candidates that move down; those of the
    // dropped ones name no candidate any more.
    static void pruneCandidates(std::vector<Candidate>& candidates, SessionLog* log = nullptr);

    // One candidate for (sentence, context, record), appended unless an
    // ordinary candidate of the same sentence is already listed.  Whether it
    // was appended.
    static bool addCandidate(std::vector<Candidate>& list, std::int32_t number, const std::string& prefix,
                             const std::string& text, const std::shared_ptr<AnalyzedSentence>& sentence,
                             TopicTitle* related, TopicTitle* context, const TopicRecord& record);

    // What one pairing of hit sentences is given.
    struct Pairing {
        std::int32_t number = 0;
        std::string prefix;
        std::string text;
        TopicTitle* related = nullptr;
        // The first pass is not limited (the whole input, or the first
        // piece of a split one).
        bool firstPassUnlimited = true;
    };
    // Pairs every hit sentence with the context titles (none: one null
    // context) and the topic records, appending candidates to the list and
    // logging each.  Answers how many combinations were not tried because
    // the list was full.
    static std::size_t pairHits(std::vector<Candidate>& list, const std::vector<std::shared_ptr<AnalyzedSentence>>& hits,
                                const std::vector<TopicTitle*>& contexts, const std::vector<TopicRecord>& records,
                                const Pairing& pairing, SessionLog* log);
    // The newest utterance record gets a condition entry for the candidate.
    static void logCandidate(SessionLog* log, const Candidate& candidate, std::uint8_t first);
    // The candidates are gone (the turn starts another collection pass):
    // their condition entries stay in the log but name no candidate, so that
    // a later candidate at the same address finds only its own entry.
    static void detachConditions(SessionLog* log);

    // The context titles a reply context offers: its active items, each
    // resolved through the knowledge base's id map by its first text; items
    // without a title are left out.  None without a reply context.
    static std::vector<TopicTitle*> contextTitles(const ReplyContext* context, const CDictionary& knowledge);

    // Gathers the request's candidates.  Plain input (status 1) is searched
    // whole, after `prefix` (the context piece's text); split input (status
    // 2) piece by piece, each after `contextWords`.  `records` are the topic
    // records of the turn (the dialogue history's current state), paired
    // with every hit sentence.  Any other status gathers nothing.
    static void collectCandidates(CDictionary& knowledge, TurnRequest& request, const std::vector<TopicRecord>& records,
                                  const ReplyContext* context, SessionLog* log, const std::string& prefix,
                                  const MorphemeList& contextWords);
};

}  // namespace quibo
