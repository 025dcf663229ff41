// Small hand-made Dosk dictionaries for the tests, written by the same
// writer as the real one.
#pragma once

#include <cstdio>
#include <string>
#include <unistd.h>

#include "tools/DoskWriter.h"

namespace quibo::testing {

// Word classes of the hand-made dictionaries (index = class id).
enum TestClass {
    BOS_EOS = 0,
    NOUN = 1,        // 名詞,普通名詞
    PARTICLE = 2,    // 助詞,格助詞
    VERB = 3,        // 動詞,*,子音動詞ラ行,基本形
    PLACE = 4,       // 名詞,地名
    SUFFIX = 5,      // 接尾辞,名詞性名詞接尾辞
    KATAKANA = 6,    // 未定義語,カタカナ (range class)
    NUMERAL = 7,     // 名詞,数詞 (range class)
    KANJI_RUN = 8,   // 名詞,普通名詞 used as the ideograph range class
    ALPHABET = 9,    // 未定義語,アルファベット (range class)
    OTHER = 10,      // 未定義語,その他: class N - 1
    CLASS_COUNT = 11
};

inline DoskSource baseSource()
{
    DoskSource source;
    const std::string header = "dosk test dictionary";
    std::copy(header.begin(), header.end(), source.headerBlock.begin());
    source.classes = {
        {"BOS/EOS", "BOS/EOS", {0, 0, 0, 0}},
        {"名詞", "名詞,普通名詞,*,*", {6, 1, 0, 0}},
        {"助詞", "助詞,格助詞,*,*", {9, 1, 0, 0}},
        {"動詞", "動詞,*,子音動詞ラ行,基本形", {2, 0, 10, 45}},
        {"名詞", "名詞,地名,*,*", {6, 4, 0, 0}},
        {"接尾辞", "接尾辞,名詞性名詞接尾辞,*,*", {14, 2, 0, 0}},
        {"未定義語", "未定義語,カタカナ,*,*", {15, 2, 0, 0}},
        {"名詞", "名詞,数詞,*,*", {6, 7, 0, 0}},
        {"名詞", "名詞,普通名詞,*,*", {6, 1, 0, 0}},
        {"未定義語", "未定義語,アルファベット,*,*", {15, 3, 0, 0}},
        {"未定義語", "未定義語,その他,*,*", {15, 1, 0, 0}},
    };
    source.matrixSize = CLASS_COUNT;
    source.matrix.assign(CLASS_COUNT * CLASS_COUNT, 0);
    return source;
}

inline void setConnection(DoskSource& source, int left, int right, int cost)
{
    source.matrix[static_cast<std::size_t>(left) * source.matrixSize + right] = static_cast<std::int16_t>(cost);
}

inline void addWord(DoskSource& source, const std::string& key, int classId, int cost,
                    const std::string& reading, const std::string& baseForm = "")
{
    DoskSourceWord word;
    word.key = key;
    word.classId = classId;
    word.cost = cost;
    word.reading = reading;
    word.baseForm = baseForm;
    source.words.push_back(word);
}

// A file under the build folder, removed when the object goes away.
class TemporaryDictionary {
public:
    TemporaryDictionary(const std::string& name, const DoskSource& source)
        : m_path(std::string(QUIBO_BINARY_DIR) + "/test-" + name + "-" + std::to_string(::getpid()) + ".dic")
    {
        writeDoskFile(m_path, source, m_report);
    }
    ~TemporaryDictionary() { std::remove(m_path.c_str()); }
    const std::string& path() const { return m_path; }
    const DoskWriteReport& report() const { return m_report; }

private:
    std::string m_path;
    DoskWriteReport m_report;
};

}  // namespace quibo::testing
