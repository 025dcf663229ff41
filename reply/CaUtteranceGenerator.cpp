// How the generator's words map onto the reply record (ReplyRecord):
//   input items            units          item type            unit kind
//   item's group           unit target    item's sentence form unit matchCode
//   item's count           unit groupType item's last number   unit logCandidateId
//   word class             hitLevel       history key number   topicId
//   expression ids         ids            knowledge-check      spareText1, spareText2
//   record texts           wordsX, wordsY visitor text         text
//   second text            fullText       reply-kind word      replyKind
//   mark word, repeat flag, flag byte: markWord, repeatFlag, flagByte (the
//   record had no member for them).
//
// An item's count is the value its group answers for the sentence form: the
// group's type id (1, 64, 256 or 32; 0 for no group), the same number the
// reply selector stores in the slot and the dialogue history classifies a
// turn by.  So "a count of 1" names an ordinary reply group (never an empty
// one), and the history-aware composer tells the state kinds apart by it.
//
// The reply template is the utterance's label: the text the knowledge
// author wrote, which the greeting shows too.  The entry's text member holds
// its id ("table_N"), which the fetch step and the history read and the
// session log records as srv.
//
// An input item's knowledge object, where a back-channel remembers one, is
// the object its group was made from (the group title's first centre).
#include "reply/CaUtteranceGenerator.h"

#include "analysis/LanguageAnalyzer.h"
#include "conversation/ChatSession.h"
#include "conversation/DialogueHistory.h"
#include "conversation/ReplyState.h"
#include "conversation/RuleManager.h"
#include "conversation/SessionLog.h"
#include "knowledge/CDictionary.h"
#include "knowledge/Entity.h"
#include "knowledge/TopicTitle.h"
#include "platform/Random.h"
#include "reply/TemplateExpander.h"

#include <algorithm>
#include <climits>

namespace quibo {

namespace {

constexpr int NEWEST = -1;
constexpr std::int32_t FORM_D = 'd';
constexpr std::int32_t FORM_N = 'n';
constexpr std::int32_t ORDINARY_GROUP = 1;
constexpr std::int32_t REFLEX_STATE = 16;
constexpr std::int32_t REFLEX_MARK = 16;

const char* const CA_ENTITY = "ＣＡ発話";
const char* const EXIT_ENTITY = "発話出口";
const char* const ASK_BACK_ENTITY = "聞き返し";
const char* const NO_ANSWER_ENTITY = "回答不能";
const char* const ANY = "＊";
const char* const HIERARCHY = "Ｎ辞書階層";
const char* const PARROT = "鸚鵡返し";
const char* const BACK_CHANNEL = "蓄積相槌ＣＡ";
const char* const REFLEX_CA = "反射ＣＡ";
const char* const SILENT_CA = "黙りＣＡ";
const char* const CONFIRM_CA = "確認ＣＡ";
const char* const CONTENT_WORD_KEY = "自立語";
const char* const UNKNOWN_WORD_KEY = "未知語";

// The group key of a word class 1..4; "" for any other.
const std::string& wordClassKey(std::int32_t wordClass)
{
    static const std::vector<std::string> keys = {"", UNKNOWN_WORD_KEY, "多候補", CONTENT_WORD_KEY, "特殊語"};
    static const std::string none;
    return wordClass >= 1 && wordClass <= 4 ? keys[static_cast<std::size_t>(wordClass)] : none;
}

bool holds(const std::vector<std::int32_t>& ids, std::int32_t id)
{
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

MorphemeList contentWordsOf(const MorphemeList& words)
{
    return words.selectWords(3, 7, 0);
}

// The whole group of a form, with the fallback to 'd' of a missing form.
std::vector<ReplyEntry> utterancesOf(const TopicTitle* group, std::int32_t form)
{
    return group ? group->getReplyGroup(form, 1).entries() : std::vector<ReplyEntry>();
}

std::int32_t groupTypeOf(const TopicTitle* group, std::int32_t form)
{
    return group ? group->getReplyGroup(form, 1).getTypeId() : 0;
}

std::string templateOf(const ReplyEntry& entry)
{
    return entry.label() ? *entry.label() : std::string();
}

// The surface of the group title's first word, which names the kind of
// utterance group: "ＣＡ発話", "発話出口" or a topic's own words.
std::string groupWord(const TopicTitle* group)
{
    if (!group)
        return std::string();
    const MorphemeList words = group->getWords();
    return words.empty() ? std::string() : std::string(words.words().front().surfaceRef());
}

}  // namespace

// --- generate ------------------------------------------------------------------

std::string CaUtteranceGenerator::generate(std::vector<ReplyRecord> records, DialogueHistory& history,
                                           ReplyState& state, bool expandTemplates)
{
    // Without a record there is nothing to build from: nothing is said and
    // nothing remembered.
    if (records.empty())
        return std::string();

    std::string focusText;
    const std::vector<KeyWordInfo>& recentKeys = records.front().recentKeys;
    if (!recentKeys.empty()) {
        const KeyWordInfo& newest = recentKeys.back();
        focusText = !newest.keyWord.empty() ? newest.keyWord : !newest.headText.empty() ? newest.headText
                                                                                       : newest.headSurface;
    }
    state.setRecentKeys(recentKeys);

    // The reply selector hands over one record; when the candidate selector
    // ended with several equally good candidates, that record says so, and
    // the engine asks back as it does over several records.  The record is
    // made from the request's first candidate, which need not be one of the
    // tied ones: the tie alone decides.
    CaUtterance utterance;
    if (records.front().manyCandidates)
        utterance = askBack(records, history, state);
    else if (needsComposition(records))
        utterance = records.size() == 1 ? composeFromRecord(records.front(), history, state)
                                        : askBack(records, history, state);
    else
        utterance = buildCaUtterance(records.front(), history, state, focusText);
    if (utterance.visitorText.empty())
        utterance = buildCaUtterance(records.front(), history, state, focusText);

    const std::string text = templateOf(utterance.utterance);
    const std::string replyText =
        expandTemplates ? expandTemplate(text, utterance.visitorText, utterance.words, m_session.getKnowledge()) : text;

    noteBackChannel(utterance, records, state);
    state.setCurrentReply(utterance, replyText, m_session.getKnowledge());
    writeLog(utterance, replyText);
    return replyText;
}

void CaUtteranceGenerator::noteBackChannel(const CaUtterance& utterance, const std::vector<ReplyRecord>& records,
                                           ReplyState& state) const
{
    if (groupWord(utterance.sourceGroup) != CA_ENTITY) {
        state.clearUtterances();
        return;
    }
    const MorphemeList words = contentWordsOf(utterance.words);
    if (!anyWordInText(words, utterance.secondText))
        return;
    KeyRow row;
    if (utterance.sourceGroup->slotText(3) == BACK_CHANNEL) {
        for (const ReplyRecord& record : records) {
            if (!(record.replyKind & 0x0E000000u))
                continue;
            for (const ReplyUnit& item : record.units) {
                const std::vector<KnowledgeObject*> centres =
                    item.target ? item.target->getCentres() : std::vector<KnowledgeObject*>();
                if (!centres.empty() && centres.front())
                    row.items().push_back(centres.front());
            }
        }
    }
    state.addUtterance(utterance.secondText, wordsInText(words, utterance.secondText), row);
}

void CaUtteranceGenerator::writeLog(const CaUtterance& utterance, const std::string& replyText) const
{
    SessionLog* log = SessionLogRegistry::get(m_session.getKey(), "", "", "");
    if (const TopicTitle* group = utterance.sourceGroup) {
        const std::string word = groupWord(group);
        log->setHit(word != CA_ENTITY && word != EXIT_ENTITY, NEWEST);
        log->setSelCandId(utterance.candidateId, NEWEST);
        log->setAddSent(group->sourceText(), NEWEST);
        log->setSelSent(group->getAuxText(), NEWEST);
        log->setSentForm(utterance.sentenceForm, NEWEST);
    }
    log->setExtText(utterance.utterance.joinNames(), NEWEST);
    log->setAnsSent(replyText, NEWEST);
    log->setSrv(utterance.utterance.text(), NEWEST);
}

// --- fetchUtterance --------------------------------------------------------------

std::string CaUtteranceGenerator::fetchUtterance(const ReplyRecord& record, ReplyState& state, std::int32_t index)
{
    if (record.units.empty() || !record.units.front().target || index < 0)
        return std::string();
    TopicTitle* group = record.units.front().target;
    const auto position = static_cast<std::size_t>(index);

    // Replies of form 'd' are paged alone; without them the 'i' replies come
    // first and the 'n' replies after them.
    std::int32_t form = FORM_D;
    std::vector<ReplyEntry> list = utterancesOf(group, FORM_D);
    std::size_t picked = position;
    if (list.empty()) {
        form = 'i';
        list = utterancesOf(group, form);
        if (position >= list.size()) {
            picked = position - list.size();
            form = FORM_N;
            list = utterancesOf(group, form);
        }
    }
    if (picked >= list.size())
        return std::string();

    const CaUtterance utterance = CaUtterance::fromRecord(record, list[picked]);
    if (index != 0)
        state.rememberChoice(group, form, index);
    state.clearUtterances();
    // The fetched text goes to the page as a reply does: its variables are
    // filled, so that no "&[" name ever reaches a visitor.
    const std::string text = expandTemplate(templateOf(utterance.utterance), utterance.visitorText, utterance.words,
                                            m_session.getKnowledge());
    state.setCurrentReply(utterance, text, m_session.getKnowledge());
    return text;
}

// --- Composition over the history -------------------------------------------------

bool CaUtteranceGenerator::needsComposition(const std::vector<ReplyRecord>& records) const
{
    return std::any_of(records.begin(), records.end(), [](const ReplyRecord& r) { return r.hitLevel == 0; });
}

CaUtterance CaUtteranceGenerator::composeFromRecord(ReplyRecord& record, DialogueHistory& history, ReplyState& state)
{
    const std::uint64_t kind = record.replyKind;
    if (kind & 0xCE0000FFu) {
        CaUtterance result;
        if (kind & 0xC000002Au)
            result = composeWithHistory(record, history, state);
        if (kind & 0x81u)
            result = composeWithHistory(record, history, state);
        if (kind & 0x54u) {
            history.rewind(0, 0, 0);
            TopicTitle* group = record.units.empty() ? nullptr : record.units.front().target;
            result = utteranceFromGroup(record, group, 0, history, state, false);
        }
        return result;
    }
    CaUtterance result = composeWithHistory(record, history, state);
    if (result.visitorText.empty() && !record.units.empty() && record.units.front().target &&
        record.units.front().groupType == ORDINARY_GROUP)
        result = pickRandom(record, history, state);
    return result;
}

CaUtterance CaUtteranceGenerator::askBack(std::vector<ReplyRecord>& records, DialogueHistory& history,
                                          ReplyState& state)
{
    TopicTitle* group = findGroup(ASK_BACK_ENTITY, ASK_BACK_ENTITY, "択一", ANY);
    return utteranceFromGroup(records.front(), group, 0, history, state, false);
}

CaUtterance CaUtteranceGenerator::composeWithHistory(ReplyRecord& record, DialogueHistory& history,
                                                     ReplyState& state)
{
    const std::int32_t current = history.currentKind();
    const ReplyContext* context = state.getReplyContext();
    const TopicTitle* previous = context ? context->getSource() : nullptr;
    const std::int32_t previousCount = context ? groupTypeOf(previous, context->getMatchCode()) : ORDINARY_GROUP;
    const std::int32_t key = (record.topicId & 0x70000000) ? (record.topicId & 0x0FFFFFFF) : 0;

    auto fillFrom = [&record](const TopicRecord& stored, std::int32_t form) {
        CaUtterance utterance = CaUtterance::fromRecord(record, stored.entry);
        utterance.sourceGroup = stored.source;
        utterance.itemType = CaUtterance::FROM_HISTORY;
        utterance.sentenceForm = form;
        utterance.candidateId = record.logCandidateId;
        return utterance;
    };
    // A reply taken from another state than the last reply's is marked, by
    // the type of the group the last reply came from.
    auto markLeaving = [&](const TopicRecord& stored, bool largeNeedsState) {
        if (stored.source == previous)
            return;
        const bool large = (previousCount & 0xFF) >= 32 && (!largeNeedsState || (current & 3));
        record.markWord |= large ? 4u : 8u;
    };

    if (!record.units.empty()) {
        const ReplyUnit& item = record.units.front();
        switch (item.groupType) {
        case 16: case 32: case 64: case 128: {
            const TopicRecord stored = history.lookUp(key);
            return stored.source ? fillFrom(stored, item.matchCode) : CaUtterance();
        }
        case 256: case 512: {
            const TopicRecord stored = history.partB().lookUp(0);
            return stored.source ? fillFrom(stored, history.partB().lastValue()) : CaUtterance();
        }
        default:
            return CaUtterance();
        }
    }

    const std::uint64_t kind = record.replyKind;
    // A stored entry without a group has nothing to say; it yields no
    // utterance, so that the caller's fallbacks still run.
    if (kind != 0 && (kind & 0x81u)) {
        if (!(current & 0xF))
            return CaUtterance();
        const TopicRecord stored = history.lookUp(key);
        if (!stored.source)
            return CaUtterance();
        markLeaving(stored, true);
        return fillFrom(stored, FORM_D);
    }
    if (kind != 0 && !(current & 0xF)) {
        if ((current & 0xF0) && !record.repeatFlag)
            return utteranceFromGroup(record, history.lookUp(key).source, 0, history, state, false);
        if (current & 0xF00)
            return utteranceFromGroup(record, history.lookUp(key).secondTitle, 0, history, state, false);
        return CaUtterance();
    }
    if (kind == 0 && !(current & 7))
        return CaUtterance();
    const TopicRecord stored = history.lookUp(key);
    if (!stored.source)
        return CaUtterance();
    markLeaving(stored, false);
    return fillFrom(stored, FORM_D);
}

CaUtterance CaUtteranceGenerator::utteranceFromGroup(const ReplyRecord& record, TopicTitle* group,
                                                     std::int32_t index, DialogueHistory& history, ReplyState& state,
                                                     bool useHistoryForm)
{
    if (!group)
        return CaUtterance();
    ReplyRecord copy = record;
    copy.replyKind = 0;
    copy.topicId = 0;
    copy.units.clear();

    std::int32_t form = useHistoryForm ? history.partB().lastValue() : FORM_D;
    if (record.flagWord & 8) {
        form = FORM_D;
        if ((record.flagByte & 2) && group->hasReplyKind(FORM_N))
            form = FORM_N;
    }
    ReplyUnit item;
    item.kind = CaUtterance::FROM_GROUP;
    item.target = group;
    item.matchCode = form;
    item.groupType = groupTypeOf(group, form);
    item.hitValue = TopicRecord::NO_HIT;
    item.score = INT_MAX;
    item.logCandidateId = record.logCandidateId;
    copy.units.push_back(item);

    std::vector<ReplyRecord> turn{copy};
    history.update(turn, state, index);
    return composeFromRecord(turn.front(), history, state);
}

CaUtterance CaUtteranceGenerator::pickRandom(const ReplyRecord& record, DialogueHistory& history, ReplyState& state)
{
    if (record.units.empty())
        return CaUtterance();
    TopicTitle* group = record.units.front().target;
    const std::int32_t form = record.units.front().matchCode;
    const std::vector<ReplyEntry> list = utterancesOf(group, form);
    // An empty group says nothing (and never divides by its size).
    if (list.empty())
        return CaUtterance();
    std::size_t picked = 0;
    if (list.size() > 1) {
        picked = static_cast<unsigned>(platform::random().next()) % list.size();
        state.rememberChoice(group, form, static_cast<std::int32_t>(picked));
    }
    if ((history.currentKind() & 0xF0) && record.replyKind == 512)
        history.rewind(240, 0, 0);
    return CaUtterance::fromRecord(record, list[picked]);
}

// --- Conversation acts --------------------------------------------------------------

CaUtterance CaUtteranceGenerator::buildCaUtterance(ReplyRecord& record, DialogueHistory& history, ReplyState& state,
                                                   const std::string& focusText)
{
    CDictionary* knowledge = m_session.getKnowledge();
    const bool hasCaEntity = knowledge && knowledge->findEntity(CA_ENTITY, false);
    if (hasCaEntity) {
        CaUtterance checked = checkKnowledge(record, history, state);
        if (!checked.visitorText.empty())
            return checked;
        CaUtterance repeated = parrot(record, history, state);
        if (!repeated.visitorText.empty())
            return repeated;
    }

    std::string caKind;
    if (RuleManager* rules = RuleManager::instance())
        rules->caKind(caKind, record.ids);
    // A question repeats an earlier one only when it names the focus word
    // itself: the key-word search may pick a word of the context that the
    // network links to the visitor's head word ("個室は？" after "場所は
    // どこですか" finds 場所), and that word is always in the context.
    // Taken for a repeat, a new polite question would be answered with the
    // act kept for a visitor who presses the same point.
    std::string visitorText;
    for (const Morpheme& word : record.words.words())
        visitorText += word.surfaceRef();
    const bool focusSeen =
        visitorText.find(focusText) != std::string::npos && wordSeenInContext(state, focusText);

    // Reflex repeat: the visitor answered a scenario step with a reflex;
    // the next step of the same scenario follows.
    const auto& scenarios = history.partB().entries();
    if (history.currentKind() == REFLEX_STATE && !scenarios.empty() && scenarios.back().target) {
        const bool reflexClass = record.hitLevel == 1 || record.hitLevel == 3 || record.hitLevel == 4;
        if (record.repeatFlag || (reflexClass && caKind == REFLEX_CA)) {
            TopicTitle* group = scenarios.back().target;
            const std::int32_t last = history.partB().newestValue();
            const auto steps = static_cast<std::int32_t>(utterancesOf(group, history.partB().lastValue()).size());
            history.rewind(240, 0, 0);
            // A scenario whose last step was given is over: the remark is
            // answered as any other, and the last step (a confirmation) is
            // never said again for it.
            if (last + 1 < steps) {
                CaUtterance next = utteranceFromGroup(record, group, last + 1, history, state, true);
                next.mark = REFLEX_MARK;
                if (!next.visitorText.empty())
                    return next;
            }
        }
    }

    if (record.replyKind & 0x0E000000u) {
        CaUtterance utterance =
            utteranceFromGroup(record, findGroup(CA_ENTITY, CA_ENTITY, ANY, BACK_CHANNEL), 0, history, state, false);
        if (utterance.visitorText.empty())
            fallbackUtterance(record, history, state, utterance);
        return utterance;
    }

    if (wordClassKey(record.hitLevel).empty()) {
        CaUtterance utterance;
        fallbackUtterance(record, history, state, utterance);
        return utterance;
    }
    if (!hasCaEntity)
        return CaUtterance();
    return wordClassUtterance(record, history, state, caKind, focusSeen, focusText);
}

CaUtterance CaUtteranceGenerator::checkKnowledge(ReplyRecord& record, DialogueHistory& history, ReplyState& state)
{
    int xCount = 0;
    int yCount = 0;
    std::string xKey;
    std::string yKey;
    for (const Morpheme& word : contentWordsOf(record.words).words()) {
        LanguageAnalyzer* analyzer = LanguageAnalyzer::instance();
        if (!analyzer || analyzer->getRelations(std::string(word.keyFormRef())).empty())
            continue;
        if (word.getFlags() & Morpheme::FLAG_X) {
            ++xCount;
            xKey = word.keyFormRef();
        }
        if (word.getFlags() & Morpheme::FLAG_Y) {
            ++yCount;
            yKey = word.keyFormRef();
        }
        if (xCount > 1 || yCount > 1)
            break;
    }
    if (xCount != 1 || yCount != 1 || !(holds(record.ids, 67) || holds(record.ids, 140)))
        return CaUtterance();

    record.spareText1 = xKey;
    record.spareText2 = yKey;
    int direction = 0;
    LanguageAnalyzer* analyzer = LanguageAnalyzer::instance();
    const bool found = analyzer && analyzer->searchPath(xKey, yKey, direction, 3) != 0;
    const char* key = !found ? "誤" : direction >= 0 ? "正" : "逆";
    TopicTitle* group = findGroup(CA_ENTITY, CA_ENTITY, HIERARCHY, key);
    if (utterancesOf(group, FORM_D).empty())
        return CaUtterance();
    return utteranceFromGroup(record, group, 0, history, state, false);
}

CaUtterance CaUtteranceGenerator::parrot(const ReplyRecord& record, DialogueHistory& history, ReplyState& state)
{
    const ReplyContext* context = state.getReplyContext();
    if (!context)
        return CaUtterance();
    const MorphemeList& said = context->getItemWords();
    const MorphemeList heard = contentWordsOf(record.words);
    // Both sides must have the words to compare: an empty side never counts
    // as a match.
    auto sameWords = [&](int head) {
        const MorphemeList a = said.selectWords(6, head, 0);
        const MorphemeList b = heard.selectWords(6, head, 0);
        return !a.empty() && !b.empty() && a.isMutuallyCovered(b);
    };
    if (!sameWords(1) || !sameWords(2))
        return CaUtterance();

    std::string key = ANY;
    for (const MeanContent& item : context->getActiveItems()) {
        if ((item.dcaCode == 67 || item.dcaCode == 133) && holds(record.ids, 140))
            key = "感謝";
        if (item.dcaCode == 140) {
            for (std::int32_t id : record.ids) {
                if (id == 67 || id == 140)
                    key = "怒";
                else if (id == 94)
                    key = "喜";
                else if (id == 95 || id == 96)
                    key = "哀";
            }
        }
    }
    TopicTitle* group = findGroup(CA_ENTITY, CA_ENTITY, PARROT, key);
    if (utterancesOf(group, FORM_D).empty())
        return CaUtterance();
    return utteranceFromGroup(record, group, 0, history, state, false);
}

CaUtterance CaUtteranceGenerator::wordClassUtterance(const ReplyRecord& record, DialogueHistory& history,
                                                     ReplyState& state, const std::string& caKind, bool focusSeen,
                                                     const std::string& focusText)
{
    const std::string& classKey = wordClassKey(record.hitLevel);
    std::string kind = caKind;
    if (kind == CONFIRM_CA && classKey == CONTENT_WORD_KEY && focusSeen)
        kind = SILENT_CA;
    bool wordSeen = false;
    if (classKey == UNKNOWN_WORD_KEY) {
        const Morpheme word = findFlaggedWord(contentWordsOf(record.words), focusText);
        const ReplyContext* context = state.getReplyContext();
        if (context && !word.surfaceRef().empty()) {
            const auto& said = context->getItemWords().words();
            wordSeen = std::any_of(said.begin(), said.end(),
                                   [&](const Morpheme& w) { return w.surfaceRef() == word.surfaceRef(); });
        }
        if (wordSeen && kind == CONFIRM_CA)
            kind = SILENT_CA;
    }
    // A knowledge base that keeps no group for the word class answers with
    // the content-word group of the same act.
    TopicTitle* group = findGroup(CA_ENTITY, CA_ENTITY, classKey, kind);
    if (!group)
        group = findGroup(CA_ENTITY, CA_ENTITY, CONTENT_WORD_KEY, kind);
    CaUtterance utterance = utteranceFromGroup(record, group, 0, history, state, false);
    utterance.flag = wordSeen ? 1 : 0;
    return utterance;
}

void CaUtteranceGenerator::fallbackUtterance(const ReplyRecord& record, DialogueHistory& history, ReplyState& state,
                                             CaUtterance& utterance)
{
    utterance.visitorText.clear();
    if (!m_session.getKnowledge() || !m_session.getKnowledge()->findEntity(NO_ANSWER_ENTITY, false))
        return;
    TopicTitle* group = findGroup(NO_ANSWER_ENTITY, NO_ANSWER_ENTITY, ANY, ANY);
    utterance = utteranceFromGroup(record, group, 0, history, state, false);
}

// --- Words ------------------------------------------------------------------------------

bool CaUtteranceGenerator::wordSeenInContext(const ReplyState& state, const std::string& text) const
{
    const ReplyContext* context = state.getReplyContext();
    if (text.empty() || !context)
        return false;
    auto has = [&text](const MorphemeList& words) {
        return std::any_of(words.words().begin(), words.words().end(),
                           [&text](const Morpheme& w) { return w.surfaceRef() == text; });
    };
    return has(contentWordsOf(context->getWords())) || has(context->getItemWords());
}

bool CaUtteranceGenerator::anyWordInText(const MorphemeList& words, const std::string& text)
{
    return std::any_of(words.words().begin(), words.words().end(), [&text](const Morpheme& w) {
        return !w.surfaceRef().empty() && text.find(w.surfaceRef()) != std::string::npos;
    });
}

MorphemeList CaUtteranceGenerator::wordsInText(const MorphemeList& words, const std::string& text)
{
    MorphemeList found;
    for (const Morpheme& word : words.words()) {
        if (!word.surfaceRef().empty() && text.find(word.surfaceRef()) != std::string::npos)
            found.push_back(word);
    }
    return found;
}

Morpheme CaUtteranceGenerator::findFlaggedWord(const MorphemeList& words, const std::string& surface)
{
    const auto& list = words.words();
    const auto named = std::find_if(list.begin(), list.end(), [&](const Morpheme& w) { return w.surfaceRef() == surface; });
    if (named != list.end() && named->hasFlags(Morpheme::FLAG_U))
        return *named;
    const auto last = std::find_if(list.rbegin(), list.rend(), [](const Morpheme& w) { return w.hasFlags(Morpheme::FLAG_U); });
    return last != list.rend() ? *last : Morpheme();
}

TopicTitle* CaUtteranceGenerator::findGroup(const char* entityName, const std::string& x, const std::string& y,
                                            const std::string& z) const
{
    CDictionary* knowledge = m_session.getKnowledge();
    const Entity* entity = knowledge ? knowledge->findEntity(entityName, false) : nullptr;
    return entity ? entity->findTopicTitle(x, y, z) : nullptr;
}

}  // namespace quibo
