#include "meaning/MeanEntry.h"

#include "meaning/MeanCodeTables.h"
#include "analysis/ConsoleLine.h"

#include <utility>

namespace quibo {

MeanEntry::~MeanEntry() = default;

std::vector<MeanContent>& MeanEntry::getMeanContents()
{
    return m_contents;
}

std::string MeanEntry::getTermX() const
{
    return m_termX;
}

std::string MeanEntry::getTermY() const
{
    return m_termY;
}

std::string MeanEntry::getTermZ() const
{
    return m_termZ;
}

void MeanEntry::dump(const std::string& prefix) const
{
    const std::string lead = prefix.empty() ? std::string() : prefix + "\t";
    for (std::size_t i = 0; i < m_contents.size(); ++i) {
        const MeanContent& c = m_contents[i];
        std::string line = lead + "mean_contents[" + std::to_string(i) + "] = ";
        line += featureName(c.dcaCode) + " " + std::to_string(c.dcaGate) + " " + featureName(c.pcaCode) + " " +
                unitName(c.unit) + " " + c.representativeWord + " " + posName(c.representativePosCode) + " " +
                std::to_string(c.meStartOffset) + " " + c.matchedText + " " + std::to_string(c.spanStart) + " " +
                std::to_string(c.spanEnd);
        writeConsoleLine(line);
    }
    const std::pair<const char*, const std::string*> terms[] = {
        {"term_X = ", &m_termX}, {"term_Y = ", &m_termY}, {"term_Z = ", &m_termZ}};
    for (const auto& [label, term] : terms) {
        if (!term->empty()) {
            writeConsoleLine(lead + label + *term);
        }
    }
}

std::string MeanEntry::unitName(int code) const
{
    if (code < MeanUnit::InputForm || code > MeanUnit::InputFormSequence) {
        return "誤りの判定単位";
    }
    return std::string(JUDGEMENT_UNIT_NAMES[code]);
}

std::string MeanEntry::featureName(int code) const
{
    return std::string(meaningFeatureName(code));
}

std::string MeanEntry::posName(int code) const
{
    return std::string(meanPosName(code));
}

std::uint8_t MeanEntry::getPolarity() const
{
    return m_polarity;
}

std::uint8_t MeanEntry::getPolarityX() const
{
    return m_polarityX;
}

std::uint8_t MeanEntry::getPolarityY() const
{
    return m_polarityY;
}

int MeanEntry::getCodeBits() const
{
    return m_codeBits;
}

void MeanEntry::setCodeBits(int bits)
{
    m_codeBits = bits;
}

void MeanEntry::setTerms(std::string termX, std::string termY, std::string termZ)
{
    m_termX = std::move(termX);
    m_termY = std::move(termY);
    m_termZ = std::move(termZ);
}

void MeanEntry::setPolarities(std::uint8_t sentence, std::uint8_t termX, std::uint8_t termY)
{
    m_polarity = sentence;
    m_polarityX = termX;
    m_polarityY = termY;
}

}  // namespace quibo
