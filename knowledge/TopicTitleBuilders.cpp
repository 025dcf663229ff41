// The topic's title builders: titles made from slots, and the search key
// made from a visitor's utterance.
#include "knowledge/Topic.h"

#include "analysis/ConsoleLine.h"
#include "analysis/Vocabulary.h"
#include "knowledge/CDictionary.h"
#include "knowledge/TopicTitle.h"
#include "meaning/MeanEntry.h"

#include <memory>

namespace quibo {

namespace {

// Print fields of the word lists written beside the console diagnostics:
// key form and POS name for an unknown word, with the flags for an
// utterance that cannot be searched.
constexpr int UNKNOWN_WORD_FIELDS = 12;
constexpr int UNSEARCHABLE_FIELDS = 76;

bool isUnrecognised(const Morpheme& word)
{
    return (word.hasFlags(Morpheme::FLAG_U) || (word.isProperNoun() && !word.isUnknownAlphabet())) &&
           !word.isSingleKanaByte() && (word.getPosCode() & pos::ADVERB) == 0;
}

// The first word of the list whose key form is the C mark, appended to the
// core words; false when there is none.
bool addCMarkWord(const MorphemeList& list, MorphemeList& core)
{
    for (const Morpheme& word : list.words()) {
        if (word.keyFormRef() == C_MARK) {
            core.push_back(word);
            return true;
        }
    }
    return false;
}

}  // namespace

TopicTitle* Topic::addSoaTitle(KnowledgeObject* object, const MorphemeList& xWords, const MorphemeList& yWords,
                               const MorphemeList& aWords)
{
    auto title = std::make_unique<TopicTitle>(this, object);
    title->setXWords(xWords);
    title->setSWords(xWords);
    title->setYWords(yWords);
    title->setOWords(yWords);
    title->setAWords(aWords);
    title->setType(topic_title_type::S_O_A);
    return adoptTitle(std::move(title));
}

TopicTitle* Topic::addXaaTitle(KnowledgeObject* object, const std::string& sourceText, const MorphemeList& words)
{
    auto title = std::make_unique<TopicTitle>(this, object);
    title->setWords(words);
    title->setSourceText(sourceText);
    title->setXWords(words);
    title->setSWords(words);
    title->setYWords(EMPTY_WORD_LIST);
    title->setOWords(EMPTY_WORD_LIST);
    title->setAWords(EMPTY_WORD_LIST);
    title->setType(topic_title_type::X_A_A);
    return adoptTitle(std::move(title));
}

TopicTitle* Topic::buildUtteranceTitle(const std::string& text, std::string& message, const MorphemeList& words,
                                       CDictionary& dictionary, const MeanEntry* judgement)
{
    if (words.empty())
        return nullptr;
    message.clear();
    auto title = std::make_unique<TopicTitle>(this, nullptr);
    title->setWords(words);
    title->setSourceText(text);

    std::string unrecognised;
    for (const Morpheme& word : words.words()) {
        const std::string key = std::string(word.keyFormRef()) + ":" + std::string(word.posName());
        if (dictionary.reportedWords().count(key) || !isUnrecognised(word))
            continue;
        if (!unrecognised.empty())
            unrecognised += ",";
        unrecognised += word.keyFormRef();
        writeConsoleLine("未知語:" + std::string(word.posName()) + "\t" + std::string(word.keyFormRef()));
        words.print(text, UNKNOWN_WORD_FIELDS);
        dictionary.reportedWords().insert(key);
    }
    if (!unrecognised.empty())
        message = "単語<" + unrecognised + ">が認識できませんでした。ユーザー辞書に登録するか表現を変えてください。: ";

    bool searchable = words.hasContentWordWithoutU();
    if (!searchable && message.empty()) {
        message = "システムで認識できないユーザー発話の可能性があります: ";
        words.print("検索否:" + text, UNSEARCHABLE_FIELDS);
    }

    MorphemeList xList;
    MorphemeList yList;
    for (const Morpheme& word : words.words()) {
        if (word.hasFlags(Morpheme::FLAG_X))
            xList.push_back(word);
        else if (word.hasFlags(Morpheme::FLAG_Y))
            yList.push_back(word);
    }
    if (xList.empty() && yList.empty()) {
        // Without head marks the last content word decides the slot.
        const Morpheme* last = nullptr;
        for (const Morpheme& word : words.words())
            if (word.isContentWord())
                last = &word;
        if (last && (last->getEffectivePosCode() & pos::NOUN) != 0)
            xList = words;
        else
            yList = words;
    }

    MorphemeList xCore = xList.distinctContentWords();
    MorphemeList yCore = yList.distinctContentWords();
    if (addCMarkWord(xList, xCore))
        searchable = false;
    if (addCMarkWord(yList, yCore))
        searchable = false;
    // Nothing to search with: the title must not be searched either.
    if (xCore.empty() && yCore.empty())
        searchable = false;
    title->setSearchAble(searchable);

    if (!xCore.empty() && !yCore.empty()) {
        title->setType(topic_title_type::X_Y_N);
    } else if (!xCore.empty()) {
        title->setType(topic_title_type::X_A_N);
    } else if (!yCore.empty()) {
        title->setType(topic_title_type::A_Y_N);
    } else {
        writeConsoleLine("No JIRITSU-GO:" + words.joinSurfaces());
        message = "自立語(名詞や動詞)がありません: ";
        title->setType(topic_title_type::X_A_N);
    }
    title->setXWords(xCore);
    title->setYWords(yCore);
    title->setSWords(xCore);
    title->setOWords(yCore);

    MorphemeList both = xCore;
    for (const Morpheme& word : yCore.words())
        both.push_back(word);
    title->setComplete(both.hasFewContentWords());
    title->setCompleteImi(both.hasFewRequiredWords());

    if (judgement) {
        title->setPolarity1(judgement->getPolarity());
        title->setPolarity2(judgement->getPolarityX());
        title->setPolarity3(judgement->getPolarityY());
        title->setDcaBits(judgement->getCodeBits());
    }
    title->setDerivation(words.getListNumber());
    return adoptTitle(std::move(title));
}

}  // namespace quibo
