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

TopicTitle::TopicTitle(Topic* owner, KnowledgeObject* object) : m_owner(owner)
{
    if (object) {
        m_centres.push_back(object);
        m_centreIndex.insert(object->getTitleText());
    }
}

bool TopicTitle::appendCentre(KnowledgeObject* object)
{
    const std::string title = object->getTitleText();
    for (const KnowledgeObject* centre : m_centres) {
        if (centre && centre->getTitleText() == title)
            return false;
    }
    m_centres.push_back(object);
    m_centreIndex.insert(title);
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
    // Per slot: the bit of a filled slot, the bit of a slot that matches
    // anything, and the words of a filled slot.
    struct Slot {
        int filled;
        int any;
        const MorphemeList* words;
    };
    const Slot slots[] = {{0x20, 0x10, &m_xWords}, {0x08, 0x04, &m_yWords}, {0x02, 0x01, &m_aWords}};
    if (which < 1 || which > 3)
        return std::string();
    const Slot& slot = slots[which - 1];
    if (m_type & slot.filled)
        return slot.words->getText();
    if (m_type & slot.any)
        return std::string(WILDCARD_WORD);
    return std::string(NULL_WORD);
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

// The words as the console's word-list form prints them.
constexpr int PRINT_FIELDS = 0x17F;

}  // namespace

bool TopicTitle::isSame(const TopicTitle& other) const
{
    return m_type == other.m_type && m_dcaBits == other.m_dcaBits && sameWords(m_xWords, other.m_xWords) &&
           sameWords(m_yWords, other.m_yWords) && m_polarity1 == other.m_polarity1 &&
           m_polarity2 == other.m_polarity2 && m_polarity3 == other.m_polarity3;
}

bool TopicTitle::hasCMark() const
{
    const std::size_t at = m_sourceText.rfind(C_MARK);
    return at != std::string::npos && at != 0 && at + C_MARK.size() == m_sourceText.size();
}

std::string TopicTitle::typeName(int type)
{
    switch (type) {
    case TYPE_A_Y_N: return "A_Y_N";
    case TYPE_A_Y_A: return "A_Y_A";
    case TYPE_X_A_N: return "X_A_N";
    case TYPE_X_A_A: return "X_A_A";
    case TYPE_X_Y_N: return "X_Y_N";
    case TYPE_S_O_A: return "S_O_A";
    default: {
        char hex[16];
        std::snprintf(hex, sizeof hex, "%x", static_cast<unsigned>(type));
        return hex;
    }
    }
}

std::string TopicTitle::dumpText(const std::string& header) const
{
    char dca[16];
    std::snprintf(dca, sizeof dca, "%x", static_cast<unsigned>(m_dcaBits));
    std::string text;
    if (!header.empty())
        text += header + "\t";
    text += "( type=" + typeName(m_type) + " dcaBits=" + dca + " searchAbleFlg=" + (isSearchAble() ? "1" : "0") +
            " completeFlg=" + (isComplete() ? "1" : "0") + " completeFlgImi=" + (isCompleteImi() ? "1" : "0") +
            ")\n";
    text += "・S: " + m_sWords.dump("", PRINT_FIELDS) + "・O: " + m_oWords.dump("", PRINT_FIELDS) + "・A: (" +
            slotText(3) + " )\n";
    text += "関連名詞\t[";
    for (const KnowledgeObject* centre : m_centres) {
        if (centre)
            text += centre->getTitleText() + ";";
    }
    return text + "]\n";
}

void TopicTitle::dump(const std::string& header) const
{
    std::string text = dumpText(header);
    text.pop_back();  // writeConsoleLine ends the last line
    writeConsoleLine(text);
}

std::string TopicTitle::toString(const std::string& header) const
{
    std::string text(DEBUG_PREFIX);
    if (!header.empty())
        text += header + "\t";
    return text + "( type=" + typeName(m_type) + " " + m_sWords.dump("", PRINT_FIELDS) +
           m_oWords.dump("", PRINT_FIELDS) + "\n";
}

}  // namespace quibo
