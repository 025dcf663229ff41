#include "conversation/UtteranceRecord.h"

#include "analysis/MorphemeList.h"

namespace quibo {
namespace {

std::uintptr_t identity(const void* object) { return reinterpret_cast<std::uintptr_t>(object); }

}  // namespace

std::string formCodeText(std::int32_t code)
{
    switch (code) {
    case 'd': return "既定";
    case 'i': return "肯定";
    case 'n': return "否定";
    default: return std::string();
    }
}

int UtteranceRecord::addCond(std::int32_t id, const void* object)
{
    m_conds.push_back(CondEntry{id, {}, {}, identity(object), 0});
    return static_cast<int>(m_conds.size()) - 1;
}

void UtteranceRecord::setCondInWords(const MorphemeList& words, int item)
{
    if (!hasCond(item))
        return;
    std::vector<std::string>& texts = m_conds[item].in_words;
    texts.clear();
    // Words with flag A stand in parentheses.
    for (const Morpheme& word : words.words())
        texts.push_back(word.lacksFlagA() ? word.getSurface() : "(" + word.getSurface() + ")");
}

void UtteranceRecord::setCondPhTypes(std::uint32_t flags, int item)
{
    if (!hasCond(item))
        return;
    std::vector<std::string>& types = m_conds[item].ph_types;
    types.clear();
    if (flags & 0x1)
        types.push_back("肯定句");
    if (flags & 0x2)
        types.push_back("否定句");
}

void UtteranceRecord::setCondObject(const void* object, int item)
{
    if (hasCond(item))
        m_conds[item].object = identity(object);
}

void UtteranceRecord::setCondFlag(std::uint8_t flag, int item)
{
    if (hasCond(item))
        m_conds[item].flag = flag;
}

int UtteranceRecord::findCondId(const void* object) const
{
    const int index = findCondIndex(object);
    return index < 0 ? -1 : m_conds[index].id;
}

int UtteranceRecord::findCondIndex(const void* object) const
{
    for (std::size_t i = 0; i < m_conds.size(); ++i)
        if (m_conds[i].object == identity(object))
            return static_cast<int>(i);
    return -1;
}

int UtteranceRecord::addCand(std::int32_t candId, std::int32_t condId, std::int32_t formCode,
                             std::int32_t searchProcNo, std::int32_t hitLevel, const std::string& candSent,
                             const std::string& candNote)
{
    m_cands.push_back(CandEntry{candId, condId, formCodeText(formCode), searchProcNo, hitLevel, candSent, candNote,
                                {}, {}});
    return static_cast<int>(m_cands.size()) - 1;
}

void UtteranceRecord::setCandCorrels(const CorrelPairs& pairs, int item)
{
    if (hasCand(item))
        m_cands[item].correls = pairs;
}

void UtteranceRecord::setCandWordPairs(const std::vector<WordPair>& pairs, int item)
{
    if (hasCand(item))
        m_cands[item].word_pairs = pairs;
}

int UtteranceRecord::getCandId(int item) const { return hasCand(item) ? m_cands[item].cand_id : -1; }

}  // namespace quibo
