// The meaning judgement of one sentence: every rule that matched (one
// `MeanContent` each), the term texts X, Y and Z, three polarity bytes and the
// DCA bit word.  The analyser hands it on with the analysed sentence; dialogue
// control and reply generation read it through the accessors.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace quibo {

// One matched rule.  Offsets are byte offsets in the concatenated surfaces of
// the sentence; span ends are exclusive.
struct MeanContent {
    int dcaCode = 0;
    int pcaCode = 0;  // the previous code that admitted the rule
    int flagI = 0;
    int flagV = 0;
    int flagM = 0;
    int flagE = 0;
    int unit = 0;     // unit of the meaning element
    int dcaGate = 0;
    std::string meaningInfo;
    std::string representativeWord;  // "＊" when the rule has none
    int representativePosCode = 0;
    int meStartOffset = 0;
    std::string matchedText;       // front;element;back
    std::string matchedPlainText;  // the same without separators
    std::vector<std::string> meSurfaces;
    int spanStart = 0;
    int spanEnd = 0;
    int meEndWordIndex = 0;
};

class MeanEntry {
public:
    MeanEntry() = default;
    MeanEntry(const MeanEntry&) = default;
    MeanEntry& operator=(const MeanEntry&) = default;
    virtual ~MeanEntry();

    virtual std::vector<MeanContent>& getMeanContents();
    const std::vector<MeanContent>& getMeanContents() const { return m_contents; }
    virtual std::string getTermX() const;
    virtual std::string getTermY() const;
    virtual std::string getTermZ() const;

    // Console listing: one line per content, then the non-empty terms.
    virtual void dump(const std::string& prefix) const;

    // Unit name; "誤りの判定単位" for a code outside 1-9.
    virtual std::string unitName(int code) const;
    // Meaning-feature name; "" for a code not in the table.
    virtual std::string featureName(int code) const;
    // POS name; "＊" for a code not in the table.
    virtual std::string posName(int code) const;

    virtual std::uint8_t getPolarity() const;
    virtual std::uint8_t getPolarityX() const;
    virtual std::uint8_t getPolarityY() const;
    virtual int getCodeBits() const;
    virtual void setCodeBits(int bits);

    // Filled once by the judgement.
    void setTerms(std::string termX, std::string termY, std::string termZ);
    void setPolarities(std::uint8_t sentence, std::uint8_t termX, std::uint8_t termY);
    std::array<int, 5>& judgementInts() { return m_judgementInts; }
    const std::array<int, 5>& judgementInts() const { return m_judgementInts; }

private:
    std::vector<MeanContent> m_contents;
    std::string m_termX;
    std::string m_termY;
    std::string m_termZ;
    std::uint8_t m_polarity = 0;
    std::uint8_t m_polarityX = 0;
    std::uint8_t m_polarityY = 0;
    // Set to -1, 0, -1, 0, 0 by the judgement and carried with the entry;
    // nothing in this subsystem reads them.
    std::array<int, 5> m_judgementInts{};
    int m_codeBits = 0;
};

}  // namespace quibo
