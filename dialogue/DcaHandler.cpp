// What the handlers read of the knowledge base, by the names used here:
//   the candidate's words          the sentence's base word list
//                                  (AnalyzedSentence::wordList(false))
//   the sentence's mark byte       MeanEntry::getPolarity of its judgement
//   a title's mark byte            TopicTitle::getPolarity1
//   a title's feature word         TopicTitle::getDcaBits
//   a title's two word lists       TopicTitle::getXWords, getYWords
//   a title's bound entry          TopicTitle::getOwner (its topic)
//   the analyser's hit search      Entity::matchTopicTitlesOf of the analyser's
//                                  dummy entity; the hit value is the search mode
//   an entity's hit search         Entity::matchTopicTitles, the sentence as
//                                  the exact text
//   the sentence's word map        its words bound to entities, in order
//   a recent key row's object      the entity's title (its name, "＊", "＊");
//                                  an object without one counts for nothing
#include "dialogue/DcaHandler.h"

#include "analysis/LanguageAnalyzer.h"
#include "conversation/Candidate.h"
#include "conversation/ChatSession.h"
#include "knowledge/AnalyzedSentence.h"
#include "knowledge/CDictionary.h"
#include "knowledge/Entity.h"
#include "knowledge/ParsedText.h"
#include "knowledge/Topic.h"
#include "knowledge/TopicTitle.h"

#include <algorithm>
#include <set>

namespace quibo {

namespace {

constexpr std::int32_t NO_HIT = TopicUnit::NO_HIT;
// The level of a hit that only the knowledge words make (a graded match's).
constexpr std::int32_t WEAKEST_HIT = 6;
const std::uint64_t VALUE_2000 = 0x2000;
const std::uint64_t VALUE_4000 = 0x4000;
const std::uint64_t VALUE_80000 = 0x80000;
const std::uint64_t VALUE_CHIDIOM = 0x40000000;
const std::uint64_t VALUE_REARR = 0x20000000;
const std::uint64_t VALUE_8 = 0x8;

// The language analyser's search of one title's topic for the sentence.
TopicTitleHits analyserHits(const AnalyzedSentence* sentence, TopicTitle* title, std::int32_t hitValue)
{
    LanguageAnalyzer* analyzer = LanguageAnalyzer::instance();
    Entity* dummy = analyzer ? analyzer->dummyEntity() : nullptr;
    return dummy ? dummy->matchTopicTitlesOf(sentence, title, hitValue) : TopicTitleHits();
}

Entity* entityOf(KnowledgeObject* object)
{
    return dynamic_cast<Entity*>(object);
}

// The entity's own title: its name with any words after it.
TopicTitle* ownTitle(const Entity& entity)
{
    return entity.findTopicTitle(entity.getTitleText(), "＊", "＊");
}

// The entities the sentence's words are bound to, each once, in word order.
std::vector<Entity*> boundEntities(const AnalyzedSentence& sentence)
{
    std::vector<Entity*> entities;
    std::set<const Entity*> seen;
    for (const Morpheme& word : sentence.words().words()) {
        Entity* entity = word.isKnowledgeWord() ? entityOf(word.getKnowledgeObject()) : nullptr;
        if (entity && seen.insert(entity).second)
            entities.push_back(entity);
    }
    return entities;
}

Entity* firstBoundEntityWithFlag(const AnalyzedSentence& sentence, std::int32_t flag)
{
    for (Entity* entity : boundEntities(sentence))
        if (entity->hasFlag(flag))
            return entity;
    return nullptr;
}

// A kind-1 unit on the own title of the first entity of the flag that the
// sentence's words name; that entity, or null (nothing appended) when there
// is none or it has no title of its own.
const Entity* appendOwnTitleUnit(Candidate* candidate, std::int32_t entityFlag, std::int32_t matchCode)
{
    const AnalyzedSentence* sentence = candidate ? candidate->getKnowledge() : nullptr;
    const Entity* entity = sentence ? firstBoundEntityWithFlag(*sentence, entityFlag) : nullptr;
    TopicTitle* target = entity ? ownTitle(*entity) : nullptr;
    if (!target)
        return nullptr;
    TopicUnit unit;
    unit.setKind1Target(target);
    unit.kind() = TopicUnit::KIND_ONE;
    unit.matchCode() = matchCode;
    candidate->topicUnits().push_back(unit);
    return entity;
}

// The X words followed by the Y words.
MorphemeList bothSides(const MorphemeList& x, const MorphemeList& y)
{
    std::vector<Morpheme> words = x.words();
    words.insert(words.end(), y.words().begin(), y.words().end());
    return MorphemeList(std::move(words));
}

MorphemeList knowledgeWords(const MorphemeList& words)
{
    std::vector<Morpheme> bound;
    for (const Morpheme& word : words.words())
        if (word.isKnowledgeWord())
            bound.push_back(word);
    return MorphemeList(std::move(bound));
}

// A noun that names a thing: not a question word (何, a numeral; どこ, a
// demonstrative), not an action (a noun of する: 出力, 変更) and not an
// ignorable word.
bool namesThing(const Morpheme& word)
{
    const PosCode code = word.getPosCode();
    return (code & pos::NOUN) && code != pos::NUMERAL && code != pos::SAHEN_NOUN && !(code & pos::DEMONSTRATIVE) &&
           !word.isIgnorable();
}

// The word is a proper noun that goes on with the name of the knowledge
// word before it, over blanks and brackets only (Ｐｌａｔｅ of 「Ｓｏｒａ　Ｐｌａｔｅ」,
// where Ｓｏｒａ names the entity): a question naming the entity names it.
bool continuesName(const std::vector<Morpheme>& words, std::size_t index)
{
    if (words[index].getPosCode() != pos::PROPER_NOUN)
        return false;
    for (std::size_t k = index; k-- > 0;) {
        if (words[k].isKnowledgeWord())
            return true;
        if (!(words[k].getPosCode() & pos::SPECIAL))
            return false;
    }
    return false;
}

// A verb or an adjective that says something (not an ignorable word).
bool predicates(const Morpheme& word)
{
    const PosCode code = word.getPosCode();
    return (code == pos::VERB || code == pos::ADJECTIVE) && !word.isIgnorable();
}

// A predicate that frames a question in any domain without saying what it
// is about: being there, doing, becoming, being all right (…はありますか,
// どうすればいいですか, …にしたい).
bool framesOnly(const Morpheme& word)
{
    static const std::set<std::string_view> LIGHT = {"ある", "いる", "する", "なる", "やる", "いい", "よい", "良い"};
    return LIGHT.count(word.keyFormRef()) != 0;
}

// The sentence ends with ね (…ですね, …なんですね, whatever words the
// analyser makes of it): a remark that asks for agreement, not a question.
bool asksAgreement(const MorphemeList& words)
{
    static const std::string NE = "ね";
    for (std::size_t k = words.size(); k-- > 0;) {
        const Morpheme& word = words.at(k);
        if (word.getPosCode() & pos::SPECIAL)
            continue;
        const std::string_view surface = word.surfaceRef();
        return surface.size() >= NE.size() && surface.substr(surface.size() - NE.size()) == NE;
    }
    return false;
}

// The sentence asks something (a question word, a question's ending, a
// request to explain or to be told): the meaning codes 何, 誰, 時間, 場所,
// 比較, 様態, 疑問, 照会, 方法, 質問, いくつ, 説明 and 原因.
bool asksSomething(const AnalyzedSentence& sentence)
{
    static const std::set<int> ASKING = {1, 3, 4, 5, 6, 7, 67, 103, 107, 133, 135, 140, 200};
    const std::vector<MeanContent>& contents = sentence.meanContents();
    return std::any_of(contents.begin(), contents.end(),
                       [](const MeanContent& content) { return ASKING.count(content.dcaCode) != 0; });
}

// The question's words less those its judgement took as what it asks (何,
// いつ, どこ, 方法 and the like: features of the meaning rules' question
// kinds), which name no thing a title must hold, and less the predicates
// any of its meaning rules took as its frame (教えていただけ, でき, 知り):
// they say how it asks, not what.
MorphemeList withoutAskingWords(const MorphemeList& words, const AnalyzedSentence* sentence)
{
    static const std::set<int> ASKING = {1, 2, 3, 4, 5, 6, 7, 107, 135};
    std::set<std::string> asking;
    std::set<std::string> framing;
    if (sentence)
        for (const MeanContent& content : sentence->judgement().getMeanContents()) {
            framing.insert(content.meSurfaces.begin(), content.meSurfaces.end());
            if (ASKING.count(content.dcaCode))
                asking.insert(content.meSurfaces.begin(), content.meSurfaces.end());
        }
    std::vector<Morpheme> kept;
    for (const Morpheme& word : words.words()) {
        const std::string surface(word.surfaceRef());
        if (word.isKnowledgeWord() || (!asking.count(surface) && !(predicates(word) && framing.count(surface))))
            kept.push_back(word);
    }
    return MorphemeList(std::move(kept));
}

// The question's words less those by which the base tells none of its
// topics from another.  A noun that no title or term of the base uses or
// relates to, modifying what the question asks about (近くの or 自分で
// beside the things a title names), says more of what the visitor has in
// mind, not which topic answers; so does the counter right after a number
// (一斤, １０畳), which measures how much of a thing is asked for.  Such a
// noun still counts where the question asks about it, after の or a
// predicate (おすすめの映画, 合う飲み物: a film, not the recommendation);
// so does a noun that some title uses, so that a title lacking it stays
// behind those that hold it, and a word of time (朝, 夜), which tells the
// hours asked for apart even where no title names it.
NamedWords withoutWordsNoTitleUses(const MorphemeList& words, const AnalyzedSentence* sentence,
                                   const CDictionary* base)
{
    if (!base || !sentence)
        return {words, false, {}, {}, {}, {}, false};
    const CDictionary::TitleVocabulary& used = base->titleVocabulary();
    auto unused = [&](const Morpheme& word) {
        return !word.correlatesWithAny(used.words, true) && used.texts.find(word.surfaceRef()) == std::string::npos &&
               used.texts.find(word.keyFormRef()) == std::string::npos;
    };
    static const std::string NO = "の";
    static const std::string WHAT = "何";
    static const std::string TOPIC = "は";
    static const std::string ALSO = "も";
    static const std::string BY = "で";
    static const std::string AT = "に";
    std::set<std::string_view> counters;
    std::set<std::string_view> heads;
    std::set<std::string_view> scenes;
    std::set<std::string> means;
    std::set<std::string> settings;
    const std::vector<Morpheme>& said = sentence->words().words();
    for (std::size_t k = 1; k < said.size(); ++k) {
        const PosCode before = said[k - 1].getPosCode();
        if (said[k].getPosCode() & pos::PARTICLE) {
            if (said[k].surfaceRef() == BY)
                means.emplace(said[k - 1].surfaceRef());
            else if (said[k].surfaceRef() == AT)
                settings.emplace(said[k - 1].surfaceRef());
        }
        if (before == pos::TEMPORAL_NOUN && (said[k].getPosCode() & pos::PARTICLE) &&
            (said[k].surfaceRef() == TOPIC || said[k].surfaceRef() == ALSO))
            scenes.insert(said[k - 1].surfaceRef());
        if (before == pos::NUMERAL && !said[k - 1].surfaceRef().starts_with(WHAT))
            counters.insert(said[k].surfaceRef());
        if (((before & pos::PARTICLE) && said[k - 1].surfaceRef() == NO) ||
            (before & (pos::VERB | pos::ADJECTIVE)))
            heads.insert(said[k].surfaceRef());
    }
    std::vector<Morpheme> kept;
    for (const Morpheme& word : words.words()) {
        const std::string_view surface = word.surfaceRef();
        const bool tellsNothing = !word.isKnowledgeWord() && namesThing(word) &&
                                  word.getPosCode() != pos::TEMPORAL_NOUN &&
                                  (counters.count(surface) || (!heads.count(surface) && unused(word)));
        if (!tellsNothing)
            kept.push_back(word);
    }
    const bool leftOut = kept.size() != words.size();
    std::vector<std::string> order;
    for (const Morpheme& word : said)
        order.emplace_back(word.surfaceRef());
    return {.words = MorphemeList(std::move(kept)),
            .leftOut = leftOut,
            .scene = {scenes.begin(), scenes.end()},
            .means = std::move(means),
            .settings = std::move(settings),
            .said = std::move(order)};
}

// The word names an entity its author listed for the title's topic alone
// (不在票 of the topic 再配達): the author says the word asks for that
// topic, whatever words its titles use.  An entity listed for several
// topics (営業時間 of both the hours and the weekend opening) picks none of
// them: their titles' own words decide.
bool namesTopicOf(const Morpheme& word, const TopicTitle& title)
{
    const auto* entity = dynamic_cast<const Entity*>(word.getKnowledgeObject());
    const Topic* topic = title.getOwner();
    return entity && topic && entity->topics().size() == 1 && entity->topics().front() == topic;
}

bool namesSeveralTopics(const Morpheme& word)
{
    const auto* entity = dynamic_cast<const Entity*>(word.getKnowledgeObject());
    return entity && entity->topics().size() > 1;
}

// Where no title holds all the things a question names, a thing its author
// listed for one topic alone (戸籍謄本, 婚姻届) outweighs the things beside
// it that only other topics' titles hold: 戸籍謄本の手数料 asks about the
// certificate, whose titles say nothing of the fee, not about the fee of
// another certificate.  The specific thing must be what the question is
// about, not the means or place of it (電話で予約: the booking is asked
// about, not the telephone).  A thing beside it that names another topic
// alone may be left only as the setting of the question (婚姻届を土日に出す:
// the marriage form, not the weekend opening); a thing listed for several
// topics (手数料, 予約 of several bookings) tells none of them apart, and
// may be left; a thing listed for no topic may not (祭り beside 桜 names no
// festival of the base).  What is left comes after the specific thing: a
// piece of the conversation put before the question (営業時間、駐車場は) is
// no part of what it asks.
bool specificOutweighs(const NamedWords& asked, const MorphemeList& named, const std::vector<Morpheme>& strays,
                       const TopicTitle& title)
{
    if (!asked.specificOutweighs)
        return false;
    auto said = [](const std::set<std::string>& words, const Morpheme& word) {
        return words.count(std::string(word.surfaceRef())) != 0;
    };
    auto place = [&](const Morpheme& word) {
        return std::find(asked.said.begin(), asked.said.end(), word.surfaceRef()) - asked.said.begin();
    };
    const std::vector<Morpheme>& words = named.words();
    const auto specific = std::find_if(words.begin(), words.end(), [&](const Morpheme& word) {
        return namesTopicOf(word, title) && !said(asked.means, word) && !said(asked.settings, word);
    });
    if (specific == words.end())
        return false;
    return std::all_of(strays.begin(), strays.end(), [&](const Morpheme& word) {
        return place(word) > place(*specific) && (namesSeveralTopics(word) || said(asked.settings, word));
    });
}

// The knowledge words, where two of them name in turn what one of the
// other side's names as one (the question's ハンコの登録, ハンコ a synonym of
// 印鑑, for the title's 印鑑登録; the title's 住所の変更 for the question's
// 住所変更): the two stand for that one word, as a compound is taken apart
// with の on either side.
MorphemeList joinedAsNamesOf(const MorphemeList& named, const MorphemeList& held)
{
    std::vector<Morpheme> words = named.words();
    auto nameOf = [](const Morpheme& word) {
        const KnowledgeObject* object = word.getKnowledgeObject();
        return object ? object->getTitleText() : std::string();
    };
    for (const Morpheme& compound : held.words()) {
        const std::string whole = nameOf(compound);
        bool joined = false;
        for (std::size_t a = 0; a < words.size() && !joined; ++a) {
            const std::string head = nameOf(words[a]);
            if (head.empty() || head.size() >= whole.size() || !whole.starts_with(head))
                continue;
            for (std::size_t b = a + 1; b < words.size(); ++b) {
                if (head.size() + nameOf(words[b]).size() != whole.size() || !whole.ends_with(nameOf(words[b])))
                    continue;
                words.erase(words.begin() + static_cast<long>(b));
                words[a] = compound;
                joined = true;
                break;
            }
        }
    }
    return MorphemeList(std::move(words));
}

bool bothHaveFeature(const Candidate& candidate, std::int32_t mask)
{
    return candidate.hasFocusFeature(mask) && candidate.hasSentenceFeature(mask);
}

}  // namespace

int DcaHandler::grade(Candidate& candidate, TopicTitle* title, const MorphemeList& words) const
{
    const AnalyzedSentence* sentence = candidate.getKnowledge();
    if (!title)
        return 1;
    const MeanEntry* judgement = sentence ? &sentence->judgement() : nullptr;
    const std::uint64_t match = title->gradeMatch(words, judgement);
    const auto low = static_cast<std::uint32_t>(match);
    const auto high = static_cast<std::uint32_t>(match >> 32);
    const bool blocked = judgement && (judgement->getPolarity() & 0x80) && (title->getPolarity1() & 0x80);
    const bool clash = (low & 0x80000010) == 0x80000010 || ((low & 0x80) && (high & 0x4)) ||
                       ((low & 0x100) && (high & 0x8));
    return !blocked && clash ? 2 : 1;
}

bool DcaHandler::matchWordLists(MorphemeList a, MorphemeList b) const
{
    if (a.empty() || b.empty())
        return false;
    std::vector<Morpheme>& as = a.words();
    std::vector<Morpheme>& bs = b.words();
    while (!bs.empty()) {
        const Morpheme& word = bs.back();
        bool paired = false;
        for (std::size_t k = as.size(); k-- > 0;) {
            int distance = 0;
            if (as[k].getCorrelation(word, false, distance) != 0) {
                as.erase(as.begin() + static_cast<long>(k));
                paired = true;
                break;
            }
        }
        if (!paired)
            return false;
        bs.pop_back();
    }
    return as.empty();
}

bool DcaHandler::matchWordSets(const MorphemeList& a, const MorphemeList& b, const MorphemeList& c,
                               const MorphemeList& d) const
{
    return (matchWordLists(a, c) && matchWordLists(b, d)) || (matchWordLists(a, d) && matchWordLists(b, c)) ||
           (b.empty() && d.empty() && matchWordLists(a, c)) || (b.empty() && c.empty() && matchWordLists(a, d)) ||
           (a.empty() && c.empty() && matchWordLists(b, d)) || (a.empty() && d.empty() && matchWordLists(b, c));
}

void DcaHandler::filterTopicUnits(Candidate& candidate, const CDictionary* base) const
{
    const AnalyzedSentence* sentence = candidate.getKnowledge();
    const MorphemeList words = sentence ? sentence->words() : MorphemeList();
    const MorphemeList xWords = words.selectWords(3, 1, 0);
    const MorphemeList yWords = words.selectWords(3, 2, 0);
    std::vector<TopicUnit> survivors;
    for (const TopicUnit& unit : candidate.topicUnits()) {
        const TopicTitle* title = unit.getHit().title;
        if (title && matchWordSets(xWords, yWords, title->getXWords(), title->getYWords()))
            survivors.push_back(unit);
    }
    // A question in the visitor's own words puts its words on either side
    // of its particle and frames the question with other words (教えて,
    // ありますか, できますか) than the title: when no title pairs off word
    // for word, the titles whose knowledge words pair off with the
    // question's stay.
    // Failing those, a question that leaves out what a title adds to its
    // things reaches the titles that add the least.
    if (survivors.empty() && !asksAgreement(words)) {
        const NamedWords asked =
            withoutWordsNoTitleUses(withoutAskingWords(bothSides(xWords, yWords), sentence), sentence, base);
        int least = -1;
        for (const TopicUnit& unit : candidate.topicUnits()) {
            const TopicTitle* title = unit.getHit().title;
            const int added = title ? namesAlike(asked, *title) : -1;
            if (added < 0 || (least >= 0 && added > least))
                continue;
            if (added < least || least < 0)
                survivors.clear();
            least = added;
            survivors.push_back(unit);
        }
    }
    candidate.topicUnits() = std::move(survivors);
}

int DcaHandler::namesAlike(const NamedWords& asked, const TopicTitle& title) const
{
    const MorphemeList slots = bothSides(title.getXWords(), title.getYWords());
    const MorphemeList held = joinedAsNamesOf(knowledgeWords(slots), knowledgeWords(asked.words));
    const MorphemeList named = joinedAsNamesOf(knowledgeWords(asked.words), held);
    int added = 0;
    if (!matchWordLists(named, held)) {
        // A question may leave out what the title adds to its things (the
        // title's 購入した商品を返品する against the question's 返品): each
        // knowledge word of the question takes a correlated knowledge word of
        // the title of its own, and the title's others are counted.
        if (named.empty())
            return -1;
        std::vector<Morpheme> left = held.words();
        std::vector<Morpheme> strays;
        for (const Morpheme& word : named.words()) {
            int distance = 0;
            const auto paired = std::find_if(left.begin(), left.end(), [&](const Morpheme& other) {
                return word.getCorrelation(other, false, distance) != 0;
            });
            if (paired != left.end())
                left.erase(paired);
            else if (!namesTopicOf(word, title))
                strays.push_back(word);
        }
        if (!strays.empty() && !specificOutweighs(asked, named, strays, title))
            return -1;
        // A word of an entity listed for several topics (the place itself:
        // 市役所, 店) tells none of them apart: the title adds nothing the
        // question left out by holding it.
        const auto general = std::count_if(left.begin(), left.end(), namesSeveralTopics);
        added = left.empty() ? 1 : static_cast<int>(left.size() - static_cast<std::size_t>(general));
    }
    // A thing the question names beside them must be in the title too.  A
    // time the question sets its scene with (夜は, 朝も; not the 月 of 誕生月,
    // which names the thing, nor the 後 of 後から払う, which says when)
    // only narrows a question the title asks as a whole (夜は何時まで against
    // 何時まで): it may be left out when all else the question says is in
    // the title.
    const MorphemeList said = title.getWords();
    int distance = 0;
    auto inTitle = [&](const Morpheme& word) {
        return std::any_of(said.words().begin(), said.words().end(),
                           [&](const Morpheme& other) { return word.getCorrelation(other, false, distance) != 0; });
    };
    const std::vector<Morpheme>& askedWords = asked.words.words();
    const bool allSaidHeld = std::none_of(askedWords.begin(), askedWords.end(), [&](const Morpheme& word) {
        return !word.isKnowledgeWord() && predicates(word) && !framesOnly(word) && !inTitle(word);
    });
    const Morpheme* before = nullptr;
    for (const Morpheme& word : askedWords) {
        const bool compound = before && before->getO() + 1 == word.getO() && (before->getPosCode() & pos::NOUN);
        before = &word;
        if (word.isKnowledgeWord() || !namesThing(word))
            continue;
        if (!compound && asked.scene.count(std::string(word.surfaceRef())) && allSaidHeld)
            continue;
        if (!inTitle(word))
            return -1;
    }
    // A word the base cannot tell its topics apart by may be what the
    // visitor says in place of what a title adds or holds beside the
    // question's things (注文内容 against 大量注文 or 注文方法): with such a
    // word left out, only a title that names just what the question names
    // is taken for it.
    if (asked.leftOut) {
        if (added > 0)
            return -1;
        const std::vector<Morpheme>& titleWords = said.words();
        for (std::size_t k = 0; k < titleWords.size(); ++k) {
            const Morpheme& word = titleWords[k];
            if (word.isKnowledgeWord() || !namesThing(word) || continuesName(titleWords, k) ||
                std::any_of(asked.words.words().begin(), asked.words.words().end(), [&](const Morpheme& other) {
                    return other.getCorrelation(word, false, distance) != 0;
                }))
                continue;
            return -1;
        }
    }
    return added;
}

NamedWords DcaHandler::namedWords(const AnalyzedSentence& sentence, const CDictionary* base) const
{
    const MorphemeList& words = sentence.words();
    return withoutWordsNoTitleUses(
        withoutAskingWords(bothSides(words.selectWords(3, 1, 0), words.selectWords(3, 2, 0)), &sentence), &sentence,
        base);
}

void DcaHandler::addTitlesNamedAlike(const NamedWords& asked, const Topic* topic, TopicTitleHits& hits) const
{
    if (!topic)
        return;
    for (TopicTitle* title : topic->titles().titles())
        if (title && namesAlike(asked, *title) >= 0 &&
            std::none_of(hits.begin(), hits.end(), [&](const TopicTitleHit& hit) { return hit.title == title; }))
            hits.push_back({title, WEAKEST_HIT});
}

std::vector<TopicUnit> DcaHandler::removeDuplicateUnits(const std::vector<TopicUnit>& units) const
{
    if (units.size() < 2)
        return units;
    std::vector<TopicUnit> kept;
    std::set<const Topic*> topics;
    for (const TopicUnit& unit : units) {
        const TopicTitle* title = unit.getHit().title;
        if (topics.insert(title ? title->getOwner() : nullptr).second)
            kept.push_back(unit);
    }
    return kept;
}

void DcaHandler::resetItems(MorphemeList& words) const
{
    for (Morpheme& word : words.words()) {
        word.setM(0);
        word.setO(127);
    }
}

std::unique_ptr<DcaHandler> makeDcaHandler(std::uint64_t value, ChatSession* conversation)
{
    switch (value) {
    case 0x18: return std::make_unique<DcaHandler18>();
    case 0x40000000: return std::make_unique<ChidiomHandler>();
    case 0xFFFFFFFF80000000: return std::make_unique<DcaHandler80000000>();
    case 0x200: return std::make_unique<DcaHandler200>();
    case 0x2000: return std::make_unique<DcaHandler2000>(conversation);
    case 0x4000: return std::make_unique<DcaHandler4000>();
    case 0x400: return std::make_unique<DcaHandler400>(conversation);
    case 0x80000: return std::make_unique<DcaHandler80000>(conversation);
    case 0x100000: return std::make_unique<DcaHandler100000>();
    case 0x20000000: return std::make_unique<RearrHandler>(conversation);
    default: return nullptr;
    }
}

bool DcaHandler18::apply(Candidate* candidate, CDictionary* /*knowledge*/)
{
    TopicTitle* focus = candidate ? candidate->getTopicRecord().focus : nullptr;
    const AnalyzedSentence* sentence = candidate ? candidate->getKnowledge() : nullptr;
    if (!focus || !sentence)
        return false;
    const MorphemeList words = sentence->words().removeDuplicates(10, true);
    const bool featured = candidate->hasFocusFeature(0xC00000) && candidate->hasSentenceFeature(0xC00000) &&
                          words.size() > 1 && focus->getWords().size() > 1;
    if (featured && !bothHaveFeature(*candidate, 0x800000) && !bothHaveFeature(*candidate, 0x400000))
        return false;
    const TopicTitleHits hits = analyserHits(sentence, focus, candidate->lookupHitValue(VALUE_8));
    // Sharing a feature ties the pair even when the search finds nothing.
    if (!featured && (hits.empty() || grade(*candidate, focus, sentence->words()) != 1))
        return false;
    candidate->setHitValue(hits.empty() ? NO_HIT : hits.front().level);
    candidate->grade() = 1;
    candidate->flagWord() = static_cast<std::int32_t>(VALUE_8);
    return true;
}

bool ChidiomHandler::apply(Candidate* candidate, CDictionary* /*knowledge*/)
{
    if (!candidate)
        return false;
    const TopicRecord record = candidate->getTopicRecord();
    if (!record.source || !record.focus || !record.focus->hasCMark())
        return false;
    candidate->flagWord() = static_cast<std::int32_t>(VALUE_CHIDIOM);
    candidate->grade() = 1;
    candidate->setHitValue(NO_HIT);
    return true;
}

bool DcaHandler80000000::apply(Candidate* candidate, CDictionary* /*knowledge*/)
{
    TopicTitle* focus = candidate ? candidate->getTopicRecord().focus : nullptr;
    const AnalyzedSentence* sentence = candidate ? candidate->getKnowledge() : nullptr;
    if (!focus || !sentence || sentence->words().empty())
        return false;
    if (!bothHaveFeature(*candidate, 0x800000) && !bothHaveFeature(*candidate, 0x400000))
        return false;
    candidate->grade() = grade(*candidate, focus, sentence->words());
    candidate->flagWord() = static_cast<std::int32_t>(0x80000000u);
    candidate->setHitValue(NO_HIT);
    return true;
}

bool DcaHandler200::apply(Candidate* candidate, CDictionary* /*knowledge*/)
{
    TopicTitle* related = candidate ? candidate->getRelated() : nullptr;
    if (!related)
        return false;
    TopicUnit unit;
    unit.kind() = TopicUnit::KIND_HIT;
    unit.setHit(related, NO_HIT);
    unit.optionWord() = 0x200;
    unit.computeMatchCode(candidate->getKnowledge(), candidate->ruleFeatureWord());
    if (unit.matchCode() == match_code::NONE)
        return false;
    candidate->topicUnits().push_back(unit);
    candidate->flagWord() = 0x200;
    return true;
}

bool DcaHandler2000::apply(Candidate* candidate, CDictionary* knowledge)
{
    if (!candidate || !m_conversation || !candidate->getContext() || !candidate->getKnowledge())
        return false;
    const AnalyzedSentence* sentence = candidate->getKnowledge();
    TopicTitleHits hits = analyserHits(sentence, candidate->getContext(), candidate->lookupHitValue(VALUE_2000));
    // An answer to the last reply in other words than its titles' ("やっぱり
    // 〜の方で…") still names what they name; without this the same words
    // reach the thing's own topic, outside the conversation.  A question
    // about that thing is no such answer: its own topic answers it.
    if (hits.empty() && !asksAgreement(sentence->words()) && !asksSomething(*sentence))
        addTitlesNamedAlike(namedWords(*sentence, knowledge), candidate->getContext()->getOwner(), hits);
    if (hits.empty())
        return false;
    candidate->addHits(std::move(hits), VALUE_2000, MorphemeList());
    return true;
}

bool DcaHandler4000::apply(Candidate* candidate, CDictionary* knowledge)
{
    const AnalyzedSentence* sentence = candidate ? candidate->getKnowledge() : nullptr;
    if (!sentence || !knowledge)
        return false;
    bool found = false;
    for (KnowledgeObject* member : knowledge->getEntitySet2()->members()) {
        Entity* entity = entityOf(member);
        if (!entity)
            continue;
        MorphemeList words = sentence->words();
        // The entity's name goes after the visitor's words, so that their
        // order, which the in-order search reads, stays the visitor's own.
        if (entity->getTitleText() != "補完談話" && entity->getTitle()) {
            MorphemeList name = entity->getTitle()->morphemes();
            resetItems(name);
            words.words().insert(words.words().end(), name.words().begin(), name.words().end());
        }
        TopicTitleHits hits = entity->matchTopicTitles(words, sentence, candidate->lookupHitValue(VALUE_4000));
        if (hits.empty())
            continue;
        candidate->addHits(std::move(hits), VALUE_4000, words);
        found = true;
    }
    if (found)
        candidate->flagWord() = static_cast<std::int32_t>(VALUE_4000);
    return found;
}

bool DcaHandler400::apply(Candidate* candidate, CDictionary* /*knowledge*/)
{
    if (!appendOwnTitleUnit(candidate, 1, match_code::DIRECT))
        return false;
    candidate->flagWord() = 0x400;
    return true;
}

void DcaHandler80000::search(Candidate& candidate, Entity& entity, const MorphemeList& words, int mode) const
{
    const std::int32_t hitValue = candidate.lookupHitValue(mode == 1 ? VALUE_CHIDIOM : VALUE_80000);
    TopicTitleHits hits = entity.matchTopicTitles(words, candidate.getKnowledge(), hitValue);
    if (!hits.empty())
        candidate.addHits(std::move(hits), VALUE_80000, MorphemeList());
}

bool DcaHandler80000::apply(Candidate* candidate, CDictionary* knowledge)
{
    const AnalyzedSentence* sentence = candidate ? candidate->getKnowledge() : nullptr;
    if (!m_conversation || !sentence)
        return false;
    auto searchable = [](const Entity* entity) { return entity && !entity->hasFlag(4) && !entity->hasFlag(1); };

    for (Entity* entity : boundEntities(*sentence))
        if (searchable(entity))
            search(*candidate, *entity, sentence->words(), 0);
    if (!candidate->topicUnits().empty())
        filterTopicUnits(*candidate, knowledge);
    // A pass whose units the filter takes away has found nothing: success
    // with no unit would lower the dispatcher's limit for nothing.
    bool found = !candidate->topicUnits().empty();
    // A question in other words than any title's finds nothing by word
    // order: the titles of the named entities' topics whose knowledge words
    // pair off with the question's are its weakest hits.  Failing those, a
    // thing of one topic alone outweighs the things beside it that only
    // other topics' titles hold (specificOutweighs).
    if (!found && !asksAgreement(sentence->words())) {
        TopicTitleHits hits;
        NamedWords asked = namedWords(*sentence, knowledge);
        for (const bool specific : {false, true}) {
            asked.specificOutweighs = specific;
            for (Entity* entity : boundEntities(*sentence)) {
                if (!searchable(entity))
                    continue;
                for (const Topic* topic : entity->topics())
                    addTitlesNamedAlike(asked, topic, hits);
            }
            if (!hits.empty())
                break;
        }
        if (!hits.empty()) {
            candidate->addHits(std::move(hits), VALUE_80000, MorphemeList());
            found = true;
        }
    }
    if (!found && knowledge) {
        const NounClassList classes = sentence->classifyNouns(*knowledge);
        for (const NounClass& nounClass : classes.items()) {
            Entity* entity = entityOf(nounClass.classEntity());
            if (!searchable(entity))
                continue;
            search(*candidate, *entity, nounClass.words(), 1);
            if (!candidate->topicUnits().empty()) {
                found = true;
                break;
            }
        }
    }
    if (!found)
        return false;
    candidate->flagWord() = static_cast<std::int32_t>(VALUE_80000);
    candidate->topicUnits() = removeDuplicateUnits(candidate->topicUnits());
    return true;
}

bool DcaHandler100000::apply(Candidate* candidate, CDictionary* /*knowledge*/)
{
    const Entity* entity = appendOwnTitleUnit(candidate, 4, match_code::NONE);
    if (!entity)
        return false;
    candidate->flagWord() = 0x100000;
    candidate->handlerText() = entity->getTitleText();
    return true;
}

bool RearrHandler::apply(Candidate* candidate, CDictionary* /*knowledge*/)
{
    const AnalyzedSentence* sentence = candidate ? candidate->getKnowledge() : nullptr;
    if (!m_conversation || !sentence)
        return false;
    const MorphemeList words = sentence->words().uniqueContentWords(1);
    const std::vector<KeyRow> rows = m_conversation->getReplyState().getRecentKeyRows();
    TopicTitleHits hits;
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        for (KnowledgeObject* object : row->items()) {
            const Entity* entity = entityOf(object);
            TopicTitle* title = entity ? ownTitle(*entity) : nullptr;
            if (title && entity->getTitle() && words.allWordsMatch(entity->getTitle()->morphemes().uniqueContentWords(1)))
                hits.push_back({title, NO_HIT});
        }
        if (hits.size() == 1) {
            candidate->addHits(std::move(hits), VALUE_REARR, MorphemeList());
            return true;
        }
    }
    return false;
}

}  // namespace quibo
