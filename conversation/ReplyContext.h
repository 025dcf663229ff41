// The context of the conversation's last reply: the chosen utterance with its
// reply entry, the sentence it answered, its match code and word class, and
// the meaning of the reply's own text, which the next turn asks about.
#pragma once

#include "analysis/MorphemeList.h"
#include "conversation/CaUtterance.h"
#include "knowledge/ReplyEntry.h"
#include "meaning/MeanEntry.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quibo {

class CDictionary;
class TopicTitle;

class ReplyContext {
public:
    // The reply text is analysed here, when an analyser is running.
    ReplyContext(const CaUtterance& utterance, const std::string& replyText, CDictionary* knowledge,
                 std::int32_t startingWordClass);
    ReplyContext(const ReplyContext&) = delete;
    ReplyContext& operator=(const ReplyContext&) = delete;

    std::vector<std::int32_t> getIdList() const { return m_ids; }
    void clearIds() { m_ids.clear(); }
    TopicTitle* getSource() const { return m_source; }
    std::int32_t getSentenceIndex() const { return m_sentenceIndex; }
    std::int32_t getNumber() const { return m_number; }
    std::int32_t getMatchCode() const { return m_matchCode; }
    // 1, 2, 4 or 8; 0 when none is known.
    std::int32_t getContextKind() const { return m_contextKind; }
    std::int32_t getWordClass() const { return m_wordClass; }
    void setWordClass(std::int32_t wordClass) { m_wordClass = wordClass; }
    const std::string& getText() const { return m_text; }
    const std::string& getSecondText() const { return m_secondText; }
    ReplyEntry getReplyEntry() const { return m_entry; }
    MorphemeList getWords() const { return m_words; }

    // The meaning of the reply text: its judgement, its meaning contents,
    // those that are active (kind 1), and its words.
    const MeanEntry& getItemInfo() const { return m_itemInfo; }
    const std::vector<MeanContent>& getItemList() const { return m_itemInfo.getMeanContents(); }
    std::vector<MeanContent> getActiveItems() const;
    const MorphemeList& getItemWords() const { return m_itemWords; }

private:
    ReplyEntry m_entry;
    std::string m_text;
    std::int32_t m_sentenceIndex = 0;
    MorphemeList m_words;
    std::string m_secondText;
    std::int32_t m_number = 0;
    std::int32_t m_matchCode = 0;
    TopicTitle* m_source = nullptr;  // borrowed
    MorphemeList m_itemWords;
    MeanEntry m_itemInfo;
    std::vector<std::int32_t> m_ids;
    std::int32_t m_contextKind = 0;
    std::int32_t m_wordClass = 0;
};

}  // namespace quibo
