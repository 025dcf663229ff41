// The look-ups and searches over the titles of an entity's topics.
#include "knowledge/Entity.h"

#include "knowledge/AnalyzedSentence.h"
#include "knowledge/GradeClassifier.h"
#include "knowledge/Topic.h"
#include "knowledge/TopicTitle.h"

#include <deque>

namespace quibo {

namespace {

// Every title of the topics, in topic order and then list order, until the
// visitor returns true.  Loaded lists may hold the nulls their file stated.
template <class Visit>
TopicTitle* findTitle(const std::vector<Topic*>& topics, Visit visit)
{
    for (const Topic* topic : topics) {
        if (!topic)
            continue;
        for (TopicTitle* title : topic->titles().titles())
            if (title && visit(*title))
                return title;
    }
    return nullptr;
}

std::int32_t hitLevel(int code)
{
    if (code == MorphemeList::NO_MATCH) return 7;
    if (code > 300) return 6;
    if (code > 200) return 5;
    if (code > 140) return 3;
    if (code > 130) return 2;
    if (code > 120) return 1;
    return 0;
}

// Keeps the titles of the best alignment offered so far: more required
// pairs first, then the lower code; among codes above 200 of one grade, more
// pairs of equal base forms.
class BestHits {
public:
    void offer(TopicTitle* title, int code, const GradeClassifier& record)
    {
        const int primary = record.getPrimary();
        const int secondary = record.getSecondary();
        if (primary < m_primary)
            return;
        if (primary == m_primary) {
            if (code > m_code)
                return;
            if (code == m_code) {
                if (code <= 200 || secondary == m_secondary) {
                    m_hits.push_back({title, hitLevel(code)});
                    return;
                }
                if (secondary < m_secondary)
                    return;
            }
        }
        m_primary = primary;
        m_code = code;
        m_secondary = secondary;
        m_hits.assign(1, {title, hitLevel(code)});
    }
    bool empty() const { return m_hits.empty(); }
    TopicTitleHits take() { return std::move(m_hits); }

private:
    int m_primary = 0;
    int m_secondary = 0;
    int m_code = MorphemeList::NO_MATCH;
    TopicTitleHits m_hits;
};

}  // namespace

bool Entity::hasTopicTitle(const std::string& x, const std::string& y, const std::string& z, int letter) const
{
    return findTitle(topics(), [&](const TopicTitle& title) {
               return title.getXWords().getText() == x && title.getYWords().getText() == y &&
                      title.getAWords().getText() == z && title.hasReplyKind(letter);
           }) != nullptr;
}

TopicTitle* Entity::findTopicTitle(const std::string& x, const std::string& y, const std::string& z) const
{
    return findTitle(topics(), [&](const TopicTitle& title) {
        return title.slotText(1) == x && title.slotText(2) == y && title.slotText(3) == z;
    });
}

TopicTitleHits Entity::matchTopicTitlesOf(const AnalyzedSentence* sentence, TopicTitle* title, int mode)
{
    topics().clear();
    if (!sentence)
        return TopicTitleHits();
    if (title)
        addTopic(title->getOwner());
    const MorphemeList query = sentence->words();
    return matchTopicTitles(query, sentence, mode);
}

TopicTitleHits Entity::matchTopicTitles(const MorphemeList& query, const AnalyzedSentence* exact, int mode)
{
    const std::string exactText = exact ? exact->getText() : std::string();
    struct Work {
        TopicTitle* title;
        MorphemeList words;
        std::vector<int> indexMap;
        GradeClassifier record;
    };
    // A deque: records stay where they are while later titles are added.
    std::deque<Work> work;
    BestHits best;

    for (const Topic* topic : topics()) {
        if (!topic)
            continue;
        for (TopicTitle* title : topic->titles().titles()) {
            if (!title)
                continue;
            if (exact && title->sourceText() == exactText)
                return TopicTitleHits{{title, 0}};
            Work& w = work.emplace_back();
            w.title = title;
            w.words = title->getWords().contentWords();
            w.indexMap.assign(w.words.size(), -1);
            const int code = w.words.matchSequence(query, w.indexMap, w.record);
            if (code != MorphemeList::NO_MATCH)
                best.offer(title, code, w.record);
        }
    }
    if (!best.empty() || mode == 0)
        return best.take();

    for (Work& w : work) {
        const int code = w.words.alignWords(query, w.indexMap, w.record);
        if (code != MorphemeList::NO_MATCH)
            best.offer(w.title, code, w.record);
    }
    if (!best.empty() || mode <= 3)
        return best.take();

    for (Work& w : work) {
        const int code = w.words.alignLoosely(query, w.indexMap, w.record);
        if (code != MorphemeList::NO_MATCH)
            best.offer(w.title, code, w.record);
    }
    if (!best.empty() || mode == 5)
        return best.take();

    for (Work& w : work) {
        const int code = w.words.gradeWithLimit(query, w.record);
        if (code != MorphemeList::NO_MATCH)
            best.offer(w.title, code, w.record);
    }
    return best.take();
}

}  // namespace quibo
