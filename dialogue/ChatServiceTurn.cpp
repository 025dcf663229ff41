// The turn of one prepared utterance: collection passes over context pieces
// until the candidate selector chooses a (candidate, unit) pair, then the
// reply selector and the dialogue history.  Plain and pre-analysed input run
// the same passes; their pieces are brought to one form here.
#include "dialogue/ChatService.h"

#include "conversation/SessionLog.h"
#include "dialogue/CaFeatures.h"
#include "knowledge/AnalyzedSentence.h"
#include "knowledge/ReplyEntryGroup.h"
#include "knowledge/TopicTitle.h"
#include "reply/CaUtteranceGenerator.h"
#include "reply/ReplySelector.h"

namespace quibo {
namespace {

constexpr int NEWEST = -1;
constexpr std::size_t LONG_INPUT_BYTES = 100;
constexpr std::size_t TOPIC_RECORD_ROOM = 500;
// A pass over a context piece leaves out sentences of more content words.
constexpr std::size_t CONTEXT_SENTENCE_WORDS = 10;
// With remembered context, the pass without it chooses only when some
// candidate may take this DCA value.
constexpr std::uint64_t CONTEXT_FREE_DCA = 0x400;
// A history kind with this bit lets the passes only collect.
constexpr std::int32_t COLLECT_ONLY_KIND = 0x4;
constexpr std::int32_t FETCH_FLAG_WORD = 0x80000;

// One context piece in either mode: the remembered text with its word count
// (plain), or the remembered words and their surfaces (pre-analysed).
struct Piece {
    std::string text;
    std::int32_t wordCount = 0;
    MorphemeList words;
};

// The context pieces of a turn: none for long input; otherwise the
// remembered ones between two empty pieces, or the empty piece alone.
template <class Source, class Convert>
std::vector<Piece> passPieces(bool longInput, const std::vector<Source>& remembered, Convert convert)
{
    std::vector<Piece> pieces;
    if (!longInput && !remembered.empty()) {
        pieces.emplace_back();
        for (const Source& piece : remembered)
            pieces.push_back(convert(piece));
    }
    pieces.emplace_back();
    return pieces;
}

SelectionEntry runPasses(ChatSession& session, const std::vector<Piece>& pieces, bool analysed)
{
    SelectionEntry result;
    CDictionary* knowledge = session.getKnowledge();
    if (!knowledge)
        return result;
    TurnRequest& request = session.getRequest();
    CandidateList& candidates = request.candidates();
    const ReplyState& state = session.getReplyState();

    std::vector<TopicRecord> records;
    records.reserve(TOPIC_RECORD_ROOM);
    session.getHistory().loadTopicRecords(records);
    const std::int32_t kind = session.getHistory().currentKind();
    SessionLog* log = SessionLogRegistry::get(session.getKey(), "", "", "");

    for (std::size_t p = 0; p < pieces.size(); ++p) {
        const Piece& piece = pieces[p];
        if (!candidates.empty())
            candidates.releaseKnowledgeObjects();
        candidates.candidates().clear();
        CaFeatures::detachConditions(log);
        request.setPassMark(-1);
        if (analysed)
            CaFeatures::collectCandidates(*knowledge, request, records, state.getReplyContext(), log, "", piece.words);
        else
            CaFeatures::collectCandidates(*knowledge, request, records, state.getReplyContext(), log, piece.text,
                                          MorphemeList());
        if (kind & COLLECT_ONLY_KIND)
            continue;

        ChatService::judgeCandidates(session, kind, piece.wordCount, analysed);

        if (pieces.size() > 1 && p == 0 && !candidates.anyHasDcaValue(CONTEXT_FREE_DCA))
            continue;
        result = CandidateSelector(session).evaluateCandidates(knowledge);
        if (result.candidate != -1 && result.unit != -1) {
            log->setAnsweredSent(piece.text, NEWEST);
            break;
        }
    }
    return result;
}

}  // namespace

int ChatService::processTurn(std::string /*key*/, ChatSession& session)
{
    TurnRequest& request = session.getRequest();
    SelectionEntry result;
    if (request.status() == TurnRequest::PLAIN) {
        if (request.sentences().empty())
            return 0;
        if (isResetCommand(m_creationText, *request.sentences().begin())) {
            resetDialogue(session);
            return 0;
        }
        result = runPlainTurn(session);
    } else {
        if (request.analysedSentences().empty() || request.analysedSentences().front().empty())
            return 0;
        result = runAnalysedTurn(session);
    }

    std::vector<ReplyRecord> records = ReplySelector::select(session, result);
    session.getHistory().update(records, session.getReplyState(), 0);
    session.getTurnReply().setReplyText(
        CaUtteranceGenerator(session).generate(records, session.getHistory(), session.getReplyState(), true));

    if (const ReplyContext* context = session.getReplyState().getReplyContext()) {
        TurnReply& reply = session.getTurnReply();
        reply.setMatchCode(context->getMatchCode());
        reply.setReplyEntry(context->getReplyEntry());
        reply.setFocus(context->getSource());
    }
    return 0;
}

void ChatService::judgeCandidates(ChatSession& session, std::int32_t kind, std::int32_t pieceWordCount,
                                  bool analysed)
{
    CDictionary* knowledge = session.getKnowledge();
    std::vector<Candidate>& candidates = session.getRequest().candidates().candidates();
    if (!knowledge)
        return;
    for (Candidate& candidate : candidates) {
        const AnalyzedSentence* sentence = candidate.getKnowledge();
        if (!analysed && pieceWordCount > 0 && sentence && sentence->selectWords(false).size() > CONTEXT_SENTENCE_WORDS)
            continue;
        const MorphemeList scratch;
        candidate.setMatchCode(CaFeatures::matchCode(sentence ? sentence->wordList(true) : MorphemeList(),
                                                     candidate.getContext(), scratch));
        const std::uint64_t bits =
            CaFeatures::computeFeatureBits(candidate, kind, session.getReplyState(), *knowledge);
        CaFeatures::applyRuleFilter(bits, candidate.dcaValues());
    }
    if (analysed)
        CaFeatures::pruneCandidates(candidates, SessionLogRegistry::get(session.getKey(), "", "", ""));
}

SelectionEntry ChatService::runPlainTurn(ChatSession& session)
{
    CaFeatures::initExpressionBits();
    const std::vector<Piece> pieces = passPieces(
        isLongInput(session.getRequest()), session.getReplyState().getContextPieces(),
        [](const ContextPiece& piece) { return Piece{piece.text, piece.wordCount, MorphemeList()}; });
    return runPasses(session, pieces, false);
}

SelectionEntry ChatService::runAnalysedTurn(ChatSession& session)
{
    CaFeatures::initExpressionBits();
    const std::vector<Piece> pieces =
        passPieces(isLongInput(session.getRequest()), session.getReplyState().getAnalysedPieces(),
                   [](const MorphemeList& words) { return Piece{words.joinSurfaces(), 0, words}; });
    return runPasses(session, pieces, true);
}

bool ChatService::isLongInput(const TurnRequest& request)
{
    std::size_t bytes = 0;
    if (request.status() == TurnRequest::PLAIN) {
        for (const std::string& text : request.sentences())
            bytes += text.size();
    } else if (request.status() == TurnRequest::PRE_ANALYSED) {
        if (request.analysedSentences().empty())
            return false;
        for (const Morpheme& word : request.analysedSentences().front().words())
            bytes += word.surfaceRef().size();
    }
    return bytes >= LONG_INPUT_BYTES;
}

bool ChatService::isResetCommand(const std::string& command, const std::string& text)
{
    return !command.empty() && command == text;
}

void ChatService::resetDialogue(ChatSession& session)
{
    session.getHistory().rewind(0, 0, 0);
    session.getReplyState().reset(session.getKnowledge());
}

int ChatService::fetchTurn(const std::string& /*key*/, ChatSession& session, TopicTitle* title, std::int32_t index,
                           std::string& out)
{
    session.getHistory().rewind(0, 0, 0);
    ReplyUnit unit;
    unit.kind = TopicUnit::KIND_HIT;
    unit.target = title;
    unit.matchCode = match_code::DIRECT;
    unit.groupType = 1;
    unit.hitValue = 0;
    unit.score = 0;
    chooseFetchCode(title, index, unit.matchCode, unit.groupType);

    ReplyRecord record;
    record.units.push_back(unit);
    record.flagWord = FETCH_FLAG_WORD;
    record.hitValue = 0;
    record.hitLevel = 0;
    std::vector<ReplyRecord> records{record};
    session.getHistory().update(records, session.getReplyState(), index);
    out = CaUtteranceGenerator(session).fetchUtterance(records.front(), session.getReplyState(), index);
    session.getTurnReply().setReplyText(out);
    return 0;
}

void ChatService::chooseFetchCode(const TopicTitle* title, std::int32_t index, std::int32_t& code,
                                  std::int32_t& typeId)
{
    if (!title)
        return;
    if (title->hasReplyKind(match_code::DIRECT)) {
        code = match_code::DIRECT;
    } else {
        code = match_code::NEXT;
        const std::size_t indexed = title->getReplyGroup(match_code::INDEXED, 0).entries().size();
        if (title->hasReplyKind(match_code::INDEXED) && static_cast<std::int64_t>(indexed) > index)
            code = match_code::INDEXED;
    }
    typeId = title->getReplyGroup(code, 1).getTypeId();
}

}  // namespace quibo
