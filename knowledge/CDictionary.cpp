#include "knowledge/CDictionary.h"

#include "analysis/EucString.h"
#include "analysis/LanguageAnalyzer.h"
#include "analysis/Vocabulary.h"
#include "knowledge/Entity.h"
#include "knowledge/ParsedText.h"
#include "knowledge/Predicative.h"
#include "knowledge/Thesaurus.h"

namespace quibo {

CDictionary::CDictionary()
{
    for (std::size_t k = 0; k < CONJUGATION_TYPE_NAMES.size(); ++k)
        m_conjugationTypeIndex.emplace(std::string(CONJUGATION_TYPE_NAMES[k]), static_cast<int>(k));
    // "基本連体形", the last form, is no entry of the stored index.
    for (std::size_t k = 0; k + 1 < CONJUGATION_FORM_NAMES.size(); ++k)
        m_conjugationFormIndex.emplace(std::string(CONJUGATION_FORM_NAMES[k]), static_cast<int>(k));
}

// The maps only borrow; the objects and texts go with their owners.
CDictionary::~CDictionary() = default;

std::string CDictionary::normalised(const std::string& text) const
{
    std::string surfaces;
    LanguageAnalyzer* analyzer = LanguageAnalyzer::instance();
    if (analyzer)
        analyzer->analyze(text, surfaces);
    return surfaces;
}

ParsedText* CDictionary::getParsedText(const std::string& text)
{
    if (EucString(text).trim().empty())
        return nullptr;
    auto found = m_parsedTexts.find(text);
    if (found != m_parsedTexts.end())
        return found->second.get();
    std::string analysed;
    MorphemeList words;
    if (LanguageAnalyzer* analyzer = LanguageAnalyzer::instance())
        words = analyzer->analyze(text, analysed);
    std::string input = analysed == text ? std::string() : text;
    auto parsed = std::make_unique<ParsedText>(std::move(analysed), std::move(words), std::move(input));
    ParsedText* stored = parsed.get();
    m_parsedTexts.emplace(text, std::move(parsed));
    return stored;
}

Thesaurus* CDictionary::findThesaurus(ParsedText* title, int typeId, KnowledgeObject* representative)
{
    const std::string key = title ? title->getText() : std::string();
    auto range = m_thesauri.equal_range(key);
    for (auto it = range.first; it != range.second; ++it) {
        if (it->second->getRepresentative() == representative && it->second->getTypeId() == typeId)
            return it->second;
    }
    auto thesaurus = std::make_unique<Thesaurus>(typeId, title, representative);
    thesaurus->makeReading();
    return addThesaurus(key, std::move(thesaurus));
}

Entity* CDictionary::findEntity(const std::string& text, bool normalise)
{
    return findByName(text, normalise);
}

Entity* CDictionary::addEntity(const std::string& name, std::unique_ptr<Entity> entity)
{
    Entity* stored = entity.get();
    m_objects.push_back(std::move(entity));
    m_entities.emplace(name, stored);
    return stored;
}

Predicative* CDictionary::addPredicative(const std::string& name,
                                         std::unique_ptr<Predicative> predicative)
{
    Predicative* stored = predicative.get();
    m_objects.push_back(std::move(predicative));
    m_predicatives.emplace(name, stored);
    return stored;
}

Thesaurus* CDictionary::addThesaurus(const std::string& title, std::unique_ptr<Thesaurus> thesaurus)
{
    Thesaurus* stored = thesaurus.get();
    m_objects.push_back(std::move(thesaurus));
    m_thesauri.emplace(title, stored);
    return stored;
}

const std::string* CDictionary::internString(const std::string& text)
{
    return &*m_stringPool.insert(text).first;
}

const std::string* CDictionary::internText(const std::string& text)
{
    auto [pooled, inserted] = m_textPool.insert(text);
    if (inserted) {
        // An address at the very start has no scheme before it and is not
        // taken.
        std::size_t from = 0;
        for (std::size_t at; (at = text.find("://", from)) != std::string::npos;) {
            const std::size_t start = at + 3;
            const std::size_t end = text.find_first_of("/, ", start);
            if (at != 0)
                m_hostNames.insert(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
            if (end == std::string::npos)
                break;
            from = end + 1;
        }
    }
    return &*pooled;
}

namespace {

// Equal names stay in insertion order; a look-up takes the first of them.
template <class Map>
typename Map::mapped_type firstUnder(const Map& map, const std::string& name)
{
    auto found = map.lower_bound(name);
    return found != map.end() && found->first == name ? found->second : nullptr;
}

}  // namespace

Entity* CDictionary::findByName(const std::string& text, bool normalise)
{
    return firstUnder(m_entities, normalise ? normalised(text) : text);
}

Predicative* CDictionary::findPredicative(const std::string& text, bool normalise)
{
    return firstUnder(m_predicatives, normalise ? normalised(text) : text);
}

}  // namespace quibo
