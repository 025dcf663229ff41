#include "knowledge/AnalyzedSentence.h"

#include "analysis/LanguageAnalyzer.h"
#include "knowledge/CDictionary.h"
#include "knowledge/Entity.h"

#include <map>
#include <set>

namespace quibo {

namespace {

constexpr std::int32_t ENTITY_FLAG_CLASS = 0x08;

// Head flags X, Y or Z: selectWords' "any head class" value.
constexpr int ANY_HEAD = 7;
constexpr int CONTENT_WORDS = 3;
constexpr int REQUIRED_CONTENT_WORDS = 5;

std::string trimmedBlanks(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The network's comma-separated word lists; an empty token ends the list.
template <class Visit>
void forEachName(const std::string& text, Visit&& visit)
{
    std::size_t from = 0;
    while (from <= text.size()) {
        const std::size_t comma = text.find(',', from);
        const std::string token =
            trimmedBlanks(text.substr(from, comma == std::string::npos ? std::string::npos : comma - from));
        if (token.empty())
            return;
        visit(token);
        if (comma == std::string::npos)
            return;
        from = comma + 1;
    }
}

std::vector<std::string> splitAtCommaBlank(const std::string& text)
{
    std::vector<std::string> tokens;
    std::size_t from = 0;
    for (;;) {
        const std::size_t at = text.find(", ", from);
        tokens.push_back(text.substr(from, at == std::string::npos ? std::string::npos : at - from));
        if (at == std::string::npos)
            return tokens;
        from = at + 2;
    }
}

bool isHiraganaAt(const std::string& text, std::size_t at)
{
    return static_cast<unsigned char>(text[at]) == 0xA4;
}

// One character, or two of which one is hiragana: too slight a word to
// carry a reply.
bool isSlightWord(const std::string& token)
{
    return token.size() == 2 || (token.size() == 4 && (isHiraganaAt(token, 0) || isHiraganaAt(token, 2)));
}

}  // namespace

AnalyzedSentence::AnalyzedSentence(std::string text, const MorphemeList& words)
    : m_text(std::move(text)), m_words(words)
{
}

AnalyzedSentence::~AnalyzedSentence() = default;

MorphemeList AnalyzedSentence::selectWords(bool strict) const
{
    return m_words.selectWords(strict ? REQUIRED_CONTENT_WORDS : CONTENT_WORDS, ANY_HEAD, 0);
}

void AnalyzedSentence::setMeanContents(const std::vector<MeanContent>& contents)
{
    m_judgement.getMeanContents() = contents;
}

NounClassList AnalyzedSentence::classifyNouns(CDictionary& dictionary) const
{
    NounClassList classes;
    const MorphemeList selected = m_words.selectWords(CONTENT_WORDS, ANY_HEAD, 0);

    int knowledgeWords = 0;
    int optional = 0;
    for (const Morpheme& word : selected.words()) {
        if (word.isKnowledgeWord()) {
            ++knowledgeWords;
            if (word.hasFlags(Morpheme::FLAG_I))
                ++optional;
        }
    }
    if (knowledgeWords - optional != 1 && knowledgeWords >= 4)
        return classes;

    LanguageAnalyzer* analyzer = LanguageAnalyzer::instance();
    if (!analyzer)
        return classes;
    for (std::size_t position = 0; position < selected.size(); ++position) {
        const Morpheme& word = selected.at(position);
        const PosCode code = word.getPosCode();
        // A word bound to a thesaurus carries the representative as key
        // form; its own text is the surface.
        const std::string name(code == pos::ENTITY_THESAURUS || code == pos::ENTITY_SYNONYMS ? word.surfaceRef()
                                                                                             : word.keyFormRef());
        // The network can name thousands of words around a general noun and
        // only a few are class entities: each name is looked up as it comes,
        // and the classes found are kept by name, once each, in name order.
        std::map<std::string, Entity*> classesByName;
        const auto lookUp = [&](const std::string& className) {
            if (classesByName.count(className))
                return;
            Entity* classEntity = dictionary.findByName(className, false);
            if (classEntity && classEntity->hasFlag(ENTITY_FLAG_CLASS))
                classesByName.emplace(className, classEntity);
        };
        if (word.isKnowledgeWord()) {
            for (const SenseRecord& relation : analyzer->getRelations(name)) {
                if (relation.kind == 'N' && relation.polarity == '0' && relation.relatedWord != name)
                    forEachName(relation.relatedWord, lookUp);
            }
        }
        for (int depth : {1, 2, -1}) {
            if (NetworkText reachable = analyzer->reachableWords(name, depth, 0))
                forEachName(reachable.get(), lookUp);
        }
        for (const auto& [className, classEntity] : classesByName) {
            Morpheme classWord(classEntity);
            classWord.setFlags(word.getFlags());
            classWord.setAttributeWord(word.getAttributeWord());
            classWord.setO(word.getO());
            classWord.setM(word.getM());
            MorphemeList replaced = selected;
            replaced.at(position) = classWord;
            classes.items().emplace_back(classEntity, std::move(replaced));
        }
    }
    return classes;
}

KeyWordInfo AnalyzedSentence::searchKeyWord(const std::vector<std::string>& contextTexts) const
{
    KeyWordInfo info;
    int head = m_words.lastNounIndex(Morpheme::FLAG_Y);
    if (head < 0)
        head = m_words.lastNounIndex(Morpheme::FLAG_X);
    if (head < 0)
        return info;
    info.headSurface = m_words.at(static_cast<std::size_t>(head)).surfaceRef();
    info.headText = m_words.affixedSurface(static_cast<std::size_t>(head));

    LanguageAnalyzer* analyzer = LanguageAnalyzer::instance();
    if (!analyzer)
        return info;
    int best = 7;
    for (int t = 0; t <= 3 && t < best; ++t) {
        NetworkText reachable = analyzer->reachableWords(info.headSurface, t, -1);
        if (!reachable)
            break;
        for (const std::string& token : splitAtCommaBlank(reachable.get())) {
            if (token.empty() || isSlightWord(token))
                continue;
            for (auto context = contextTexts.rbegin(); context != contextTexts.rend(); ++context) {
                if (context->empty())
                    continue;
                int d = 0;
                if (analyzer->searchPath(token, *context, d, 3) == 0)
                    continue;
                if (d < 0) {
                    if (t - d < best) {
                        best = t - d;
                        info.keyWord = token;
                        if (t > 0) {
                            info.contextWord = *context;
                            info.depth = t;
                            info.distance = -d;
                        } else {
                            info.depth = -d;
                            info.distance = -1;
                        }
                    }
                } else if (t + d < best) {
                    best = t + d;
                    if (t > 0) {
                        info.keyWord = token;
                        info.contextWord = *context;
                        info.depth = t;
                        info.distance = d;
                    } else {
                        info.keyWord = *context;
                        info.depth = d;
                        info.distance = -1;
                    }
                }
            }
        }
    }
    return info;
}

}  // namespace quibo
