#include "knowledge/TopicTitle.h"

#include "analysis/ConsoleLine.h"
#include "analysis/Vocabulary.h"
#include "knowledge/Entity.h"
#include "knowledge/KnowledgeObject.h"
#include "knowledge/ReplyKind.h"
#include "knowledge/ReplyTable.h"
#include "knowledge/Topic.h"

#include <cstdio>

namespace quibo {

namespace {

// Words in print form: every field but the line feed before the words and
// the knowledge-words-only filter.
constexpr int PRINT_FIELDS = 0x17F;

std::string printForm(const MorphemeList& words)
{
    return words.dump("", PRINT_FIELDS);
}

// writeConsoleLine ends the line itself.
void writeConsoleText(const std::string& eucText)
{
    if (!eucText.empty() && eucText.back() == '\n')
        writeConsoleLine(eucText.substr(0, eucText.size() - 1));
    else if (!eucText.empty())
        writeConsoleLine(eucText);
}

}  // namespace

TopicTitle::TopicTitle(Topic* owner, KnowledgeObject* object) : m_owner(owner)
{
    if (object)
        appendCentre(object);
}

std::set<std::string> TopicTitle::centreTexts() const
{
    std::set<std::string> texts;
    for (const KnowledgeObject* centre : m_centres) {
        if (centre)
            texts.insert(centre->getTitleText());
    }
    return texts;
}

std::set<std::string> TopicTitle::centreIndex() const
{
    return m_centreSetsFilled ? m_centreIndex : centreTexts();
}

bool TopicTitle::appendCentre(KnowledgeObject* object)
{
    if (!m_centreSetsFilled) {
        m_centreIndex = centreTexts();
        m_centreTitles.insert(m_centreIndex.begin(), m_centreIndex.end());
        m_centreSetsFilled = true;
    }
    std::string title = object->getTitleText();
    if (!m_centreTitles.insert(title).second)
        return false;
    m_centres.push_back(object);
    m_centreIndex.insert(std::move(title));
    return true;
}

void TopicTitle::addCentre(KnowledgeObject* object)
{
    if (!object || !appendCentre(object))
        return;
    // Related sets belong to entities; another kind of object brings none.
    const auto* entity = dynamic_cast<const Entity*>(object);
    if (!entity)
        return;
    for (KnowledgeObject* related : entity->entitySet(6).members()) {
        if (related && !appendCentre(related))
            break;
    }
}

namespace {

bool sameWord(const Morpheme& a, const Morpheme& b)
{
    if (a.keyFormRef() != b.keyFormRef() || a.getAttributeWord() != b.getAttributeWord())
        return false;
    if (a.getPosCode() == b.getPosCode())
        return true;
    return a.isKnowledgeWord() && b.isKnowledgeWord() && !a.isKnowledgePair(b.getPosCode());
}

bool sameWords(const MorphemeList& a, const MorphemeList& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t k = 0; k < a.size(); ++k) {
        if (!sameWord(a.words()[k], b.words()[k]))
            return false;
    }
    return true;
}

}  // namespace

bool TopicTitle::isSame(const TopicTitle& other) const
{
    return m_type == other.m_type && m_dcaBits == other.m_dcaBits && sameWords(m_xWords, other.m_xWords) &&
           sameWords(m_yWords, other.m_yWords) && m_polarity[0] == other.m_polarity[0] &&
           m_polarity[1] == other.m_polarity[1] && m_polarity[2] == other.m_polarity[2];
}

bool TopicTitle::hasCMark() const
{
    const std::size_t at = m_sourceText.rfind(C_MARK);
    return at != std::string::npos && at != 0 && at + C_MARK.size() == m_sourceText.size();
}

bool TopicTitle::hasReplyKind(int letter) const
{
    if (!m_owner)
        return false;
    return (m_owner->getReplyKinds() & replyKindFlag(letter)) != 0;
}

ReplyEntryGroup TopicTitle::getReplyGroup(int letter, int fallback) const
{
    if (!hasReplyKind(letter) && fallback == 1)
        letter = 'd';
    if (hasReplyKind(letter)) {
        if (const ReplyTable* table = m_owner->getReplyTable()) {
            if (const ReplyEntryGroup* group = table->findGroup(letter))
                return *group;
        }
    }
    return ReplyEntryGroup();
}

bool TopicTitle::sameReplyTable(const TopicTitle* other) const
{
    if (!other || !m_owner || !other->m_owner)
        return false;
    return m_owner->getReplyTable() == other->m_owner->getReplyTable();
}

std::string TopicTitle::slotText(int which) const
{
    int filledBit = 0;
    int anyBit = 0;
    const MorphemeList* words = nullptr;
    switch (which) {
    case 1: filledBit = 0x20, anyBit = 0x10, words = &m_xWords; break;
    case 2: filledBit = 0x08, anyBit = 0x04, words = &m_yWords; break;
    case 3: filledBit = 0x02, anyBit = 0x01, words = &m_aWords; break;
    default: return std::string();
    }
    if (m_type & filledBit)
        return words->getText();
    if (m_type & anyBit)
        return std::string(WILDCARD_WORD);
    return std::string(NULL_WORD);
}

std::string TopicTitle::typeName(int type)
{
    switch (type) {
    case topic_title_type::A_Y_N: return "A_Y_N";
    case topic_title_type::A_Y_A: return "A_Y_A";
    case topic_title_type::X_A_N: return "X_A_N";
    case topic_title_type::X_A_A: return "X_A_A";
    case topic_title_type::X_Y_N: return "X_Y_N";
    case topic_title_type::S_O_A: return "S_O_A";
    default: {
        char hex[16];
        std::snprintf(hex, sizeof hex, "%x", static_cast<unsigned>(type));
        return hex;
    }
    }
}

std::string TopicTitle::dumpText(const std::string& header) const
{
    char bits[16];
    std::snprintf(bits, sizeof bits, "%x", static_cast<unsigned>(m_dcaBits));
    std::string text;
    if (!header.empty())
        text = header + "\t";
    text += "( type=" + typeName(m_type) + " dcaBits=" + bits + " searchAbleFlg=" + (isSearchAble() ? "1" : "0") +
            " completeFlg=" + (isComplete() ? "1" : "0") + " completeFlgImi=" + (isCompleteImi() ? "1" : "0") +
            ")\n";
    text += "・S: " + printForm(m_sWords) + "・O: " + printForm(m_oWords) + "・A: (" + slotText(3) + " )\n";
    text += "関連名詞\t[";
    for (const KnowledgeObject* centre : m_centres)
        if (centre)  // a loaded title may hold a null its file stated
            text += centre->getTitleText() + ";";
    return text + "]\n";
}

void TopicTitle::dump(const std::string& header) const
{
    writeConsoleText(dumpText(header));
}

std::string TopicTitle::toString(const std::string& header) const
{
    std::string text = "DEBUG:\t";
    if (!header.empty())
        text += header + "\t";
    return text + "( type=" + typeName(m_type) + " " + printForm(m_sWords) + printForm(m_oWords) + "\n";
}

}  // namespace quibo
