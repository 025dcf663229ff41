// Knowledge bases for the knowledge-file tests: a small one compiled from a
// source with a stand-in analysis (each text one noun word, through the
// serialised-analysis reader), the sample file of the install tree, and
// helpers that save and load through memory.
#pragma once

#include "knowledge/CDictionary.h"
#include "knowledge/CdrWriter.h"
#include "knowledge/KnowledgeFileVersion.h"
#include "tools/KnowledgeCompiler.h"

#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace quibo::test {

// Each text is one common noun whose surface, base form and reading are the
// text itself.
inline MorphemeList oneNounAnalysis(const std::string& text, std::string& analysed)
{
    analysed = text;
    std::vector<MorphemeList> sentences = parseMorphemeText(text + "," + text + ",6,1,0,," + text);
    return sentences.empty() ? MorphemeList() : sentences.front();
}

inline const char* const SMALL_SOURCE = reinterpret_cast<const char*>(u8R"(
entity 店 flags=1
entity 時間 flags=3
entity ＣＡ発話 flags=4
predicative 開く
thesaurus ES 営業 時間
thesaurus PS 始まる 開く
related 時間 店
term 何時 時間
string こんにちは
table 時間表
group 0 type=0
entry 午前９時からです。 | 表情=笑顔;地図=https://example.com/a
entry &[名前]さん、午後６時までです。 | 表情=普通 | 店
group 9 type=1
entry 平日です。 | 表情=普通
group 8
entry 次です。
topic 時間 table=時間表 entities=時間,店
title X_Y_N source=時間 x=時間 y=開く id=時間 priority=2 polarity=1,2,3 dca=1f
title X_A_N source=店＿Ｃ＿ x=店 id=店 priority=1
topic 挨拶 entities=ＣＡ発話
title X_A_N source=こんにちは x=こんにちは id=挨拶
idtitle 二番 時間 1
)");

inline std::unique_ptr<CDictionary> compileSmall()
{
    return KnowledgeCompiler(oneNounAnalysis).compile(SMALL_SOURCE);
}

// A whole knowledge file (header and stream) of the dictionary.
inline std::string fileBytes(const CDictionary& dictionary, std::string_view version = KNOWLEDGE_FILE_VERSION)
{
    std::string bytes(version.substr(0, 10));
    bytes.resize(20, '\0');
    setKnowledgeVersionText(version);
    CdrWriter writer(KNOWLEDGE_PAYLOAD_LIMIT, KNOWLEDGE_FILE_MAX_OBJECTS);
    dictionary.writePayload(writer);
    const auto payload = writer.bytes();
    bytes.append(reinterpret_cast<const char*>(payload.data()), payload.size());
    return bytes;
}

// Loads file bytes into the dictionary: 0 or -1.
inline int loadBytes(CDictionary& dictionary, const std::string& bytes)
{
    std::istringstream in(bytes);
    return dictionary.internalizePData(in, "memory", "");
}

inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline std::string sampleKnowledgePath()
{
    return std::string(QUIBO_INSTALL_TREE) + "/QUIBO3.1/knowledge/sample/index.pdata";
}

}  // namespace quibo::test
