#include "tools/JumanDictionaryCompiler.h"

#include "tools/EucText.h"


#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "analysis/Vocabulary.h"
#include "tools/DoskCorrections.h"

namespace quibo {
namespace {

// POS names and their (class, subclass) ids in the word record's scheme.
struct PosName {
    std::string_view name;
    int posClass;
    int posSubclass;
};
constexpr PosName POS_CLASSES[] = {
    {"特殊", 1, 0},   {"動詞", 2, 0},   {"形容詞", 3, 0}, {"判定詞", 4, 0}, {"助動詞", 5, 0},
    {"名詞", 6, 0},   {"指示詞", 7, 0}, {"副詞", 8, 0},   {"助詞", 9, 0},   {"接続詞", 10, 0},
    {"連体詞", 11, 0}, {"感動詞", 12, 0}, {"接頭辞", 13, 0}, {"接尾辞", 14, 0}, {"未定義語", 15, 0},
};
constexpr PosName POS_SUBCLASSES[] = {
    {"句点", 1, 1}, {"読点", 1, 2}, {"括弧始", 1, 3}, {"括弧終", 1, 4}, {"記号", 1, 5}, {"空白", 1, 6},
    {"サ変動詞(する)", 2, 1}, {"サ変動詞(できる)", 2, 2},
    {"普通名詞", 6, 1}, {"サ変名詞", 6, 2}, {"固有名詞", 6, 3}, {"地名", 6, 4}, {"人名", 6, 5},
    {"組織名", 6, 6}, {"数詞", 6, 7}, {"形式名詞", 6, 8}, {"副詞的名詞", 6, 9}, {"時相名詞", 6, 10},
    {"名詞形態指示詞", 7, 1}, {"連体詞形態指示詞", 7, 2}, {"副詞形態指示詞", 7, 3},
    {"様態副詞", 8, 1}, {"程度副詞", 8, 2}, {"量副詞", 8, 3}, {"頻度副詞", 8, 4}, {"時制相副詞", 8, 5},
    {"陳述副詞", 8, 6}, {"評価副詞", 8, 7}, {"発言副詞", 8, 8},
    {"格助詞", 9, 1}, {"副助詞", 9, 2}, {"接続助詞", 9, 3}, {"終助詞", 9, 4},
    {"名詞接頭辞", 13, 1}, {"動詞接頭辞", 13, 2}, {"イ形容詞接頭辞", 13, 3}, {"ナ形容詞接頭辞", 13, 4},
    {"名詞性述語接尾辞", 14, 1}, {"名詞性名詞接尾辞", 14, 2}, {"名詞性名詞助数辞", 14, 3},
    {"名詞性特殊接尾辞", 14, 4}, {"形容詞性述語接尾辞", 14, 5}, {"形容詞性名詞接尾辞", 14, 6},
    {"動詞性接尾辞", 14, 7},
    {"その他", 15, 1}, {"カタカナ", 15, 2}, {"アルファベット", 15, 3}, {"乱れ句", 15, 4},
};

// Forms the shared table does not name, to the nearest named form of the
// same series: an abbreviated conjectural form to the series' conjectural
// form, the ヤ列 forms to the ダ列 ones, タ接連用形 to the plain 連用形.
const std::vector<std::pair<std::string_view, std::string_view>> FORM_FALLBACKS = {
    {"タ系省略推量形", "タ系推量形"},
    {"基本省略推量形", "基本推量形"},
    {"音便省略推量形", "音便推量形"},
    {"省略意志形", "意志形"},
    {"ダ列基本省略推量形", "ダ列基本推量形"},
    {"ダ列タ系省略推量形", "ダ列タ系推量形"},
    {"デアル列基本省略推量形", "デアル列基本推量形"},
    {"デアル列タ系省略推量形", "デアル列タ系推量形"},
    // The table names this very form without 基本.
    {"デス列基本省略推量形", "デス列省略推量形"},
    {"デス列タ系省略推量形", "デス列タ系推量形"},
    {"ヤ列基本形", "基本形"},  // the ダ series' plain form is 基本形 (だ)
    {"ヤ列基本推量形", "ダ列基本推量形"},
    {"ヤ列基本省略推量形", "ダ列基本推量形"},
    {"ヤ列タ形", "ダ列タ形"},
    {"ヤ列タ系条件形", "ダ列タ系条件形"},
    {"ヤ列タ系推量形", "ダ列タ系推量形"},
    {"ヤ列タ系省略推量形", "ダ列タ系推量形"},
    {"ヤ列タ系連用タリ形", "ダ列タ系連用タリ形"},
    {"ダ列特殊連用形", "ダ列基本連用形"},
    {"タ接連用形", "基本連用形"},
};

bool toEucJpText(std::string_view utf8, std::string& euc)
{
    return quibo::tools::toEucJp(std::string(utf8), euc);
}

// Hiragana to katakana, in UTF-8 (U+3041..U+3096 -> U+30A1..U+30F6).
std::string toKatakanaUtf8(const std::string& text)
{
    std::string out = text;
    for (std::size_t i = 0; i + 2 < out.size(); ++i) {
        auto b0 = static_cast<unsigned char>(out[i]);
        auto b1 = static_cast<unsigned char>(out[i + 1]);
        auto b2 = static_cast<unsigned char>(out[i + 2]);
        if (b0 != 0xE3) continue;
        unsigned cp = ((b0 & 0x0F) << 12) | ((b1 & 0x3F) << 6) | (b2 & 0x3F);
        if (cp < 0x3041 || cp > 0x3096) continue;
        cp += 0x60;
        out[i + 1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out[i + 2] = static_cast<char>(0x80 | (cp & 0x3F));
        i += 2;
    }
    return out;
}

bool readLines(const std::filesystem::path& path, std::vector<std::string>& lines)
{
    std::ifstream in(path);
    if (!in) return false;
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return true;
}

struct UnknownContext {
    int context = -1;
    int cost = 0;
};

}  // namespace

const std::vector<std::pair<std::string_view, std::string_view>>& conjugationFormFallbacks()
{
    return FORM_FALLBACKS;
}

int jumanConjugationFormId(std::string_view name)
{
    if (name.empty() || name == "*") return 0;
    for (std::size_t i = 1; i < CONJUGATION_FORM_NAMES.size(); ++i)
        if (CONJUGATION_FORM_NAMES[i] == name) return static_cast<int>(i);
    for (const auto& [unnamed, named] : FORM_FALLBACKS)
        if (unnamed == name) return jumanConjugationFormId(named);
    return -1;
}

bool jumanPosIds(std::string_view pos, std::string_view subPos, int& posClass, int& posSubclass)
{
    posClass = posSubclass = 0;
    for (const PosName& p : POS_CLASSES)
        if (p.name == pos) posClass = p.posClass;
    if (posClass == 0) return false;
    if (subPos.empty() || subPos == "*") return true;
    for (const PosName& p : POS_SUBCLASSES)
        if (p.name == subPos && p.posClass == posClass) {
            posSubclass = p.posSubclass;
            return true;
        }
    return false;
}

std::vector<std::filesystem::path> jumanLexiconFiles(const std::string& sourceDir)
{
    namespace fs = std::filesystem;
    std::vector<fs::path> files;
    std::error_code error;
    for (const auto& item : fs::directory_iterator(sourceDir, error)) {
        const std::string name = item.path().filename().string();
        if (item.path().extension() != ".csv") continue;
        // Emoticon readings need more than 256 code-table characters;
        // Wikipedia and Auto lie outside JIS X 0208 and are too large.
        if (name == "Emoticon.csv" || name == "Wikipedia.csv" || name == "Auto.csv") continue;
        files.push_back(item.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

bool buildJumanSource(const JumanCompileOptions& options, DoskSource& source, JumanCompileReport& report)
{
    namespace fs = std::filesystem;
    report = JumanCompileReport();
    source = DoskSource();
    const fs::path dir(options.sourceDir);
    const std::string header = "Dosk dictionary from JUMAN";
    std::copy(header.begin(), header.end(), source.headerBlock.begin());

    // Word classes: one per context id.
    std::vector<std::string> leftIds;
    if (!readLines(dir / "left-id.def", leftIds)) {
        report.error = "cannot read left-id.def";
        return false;
    }
    std::map<std::string, int> contextOfName;  // first 4 features -> first context id
    for (const std::string& line : leftIds) {
        auto space = line.find(' ');
        if (space == std::string::npos) continue;
        int id = std::atoi(line.substr(0, space).c_str());
        std::string feature;
        if (id < 0 || id > 4000 || !toEucJpText(line.substr(space + 1), feature)) continue;
        if (static_cast<int>(source.classes.size()) <= id) source.classes.resize(static_cast<std::size_t>(id) + 1);
        std::vector<std::string> parts = splitCsv(feature);
        DoskSourceClass& c = source.classes[static_cast<std::size_t>(id)];
        c.firstName = feature;
        if (id == 0 || parts.size() < 4) {
            c.name = parts.empty() ? feature : parts[0];
            continue;
        }
        c.name = parts[0] + "," + parts[1] + "," + parts[2] + "," + parts[3];
        contextOfName.emplace(c.name, id);
        int posClass, posSubclass;
        bool known = jumanPosIds(parts[0], parts[1], posClass, posSubclass);
        int type = 0;
        if (parts[2] != "*") {
            type = -1;
            for (std::size_t t = 1; t < CONJUGATION_TYPE_NAMES.size(); ++t)
                if (CONJUGATION_TYPE_NAMES[t] == parts[2]) type = static_cast<int>(t);
        }
        int form = jumanConjugationFormId(parts[3]);
        if (!known || type < 0 || form < 0) report.unmatchedNames.push_back(c.name);
        c.attributes = {static_cast<std::uint8_t>(posClass), static_cast<std::uint8_t>(posSubclass),
                        static_cast<std::uint8_t>(std::max(type, 0)), static_cast<std::uint8_t>(std::max(form, 0))};
    }
    const int contexts = static_cast<int>(source.classes.size());

    // Unknown-word contexts: the first line of each category of unk.def.
    std::vector<std::string> unkLines;
    if (!readLines(dir / "unk.def", unkLines)) {
        report.error = "cannot read unk.def";
        return false;
    }
    std::map<std::string, UnknownContext> unknown;
    for (const std::string& line : unkLines) {
        std::vector<std::string> f = splitCsv(line);
        if (f.size() < 4 || unknown.count(f[0])) continue;
        unknown[f[0]] = {std::atoi(f[1].c_str()), std::atoi(f[3].c_str())};
    }
    auto unknownOf = [&](const char* category) {
        auto found = unknown.find(category);
        return found == unknown.end() ? UnknownContext{} : found->second;
    };
    const UnknownContext katakana = unknownOf("KATAKANA"), alpha = unknownOf("ALPHA"),
                         other = unknownOf("DEFAULT"), numeric = unknownOf("NUMERIC"),
                         symbol = unknownOf("SYMBOL"), kanji = unknownOf("KANJI");
    if (katakana.context < 0 || alpha.context < 0 || other.context < 0 || katakana.context >= contexts ||
        alpha.context >= contexts || other.context >= contexts) {
        report.error = "unk.def lacks the KATAKANA, ALPHA or DEFAULT context";
        return false;
    }
    // Signs get a class of their own, apart from the dictionary's 記号
    // words: a listed word joins a run of unlisted characters only when its
    // class is a range class, and JUMAN lists every Latin letter as 記号, so
    // with one shared class "iPhone" would be read as a run of signs.
    const int katakanaClass = contexts, alphabetClass = contexts + 1, signClass = contexts + 2,
              otherClass = contexts + 3;
    source.classes.push_back({"未定義語", "未定義語,カタカナ,*,*", {15, 2, 0, 0}});
    source.classes.push_back({"未定義語", "未定義語,アルファベット,*,*", {15, 3, 0, 0}});
    source.classes.push_back({"特殊", "特殊,記号,*,*", {1, 5, 0, 0}});
    source.classes.push_back({"未定義語", "未定義語,その他,*,*", {15, 1, 0, 0}});
    const int classCount = static_cast<int>(source.classes.size());
    std::vector<int> contextOf(static_cast<std::size_t>(classCount));
    for (int c = 0; c < contexts; ++c) contextOf[c] = c;
    contextOf[katakanaClass] = katakana.context;
    contextOf[alphabetClass] = alpha.context;
    contextOf[signClass] = symbol.context >= 0 && symbol.context < contexts ? symbol.context : other.context;
    contextOf[otherClass] = other.context;

    // Connection matrix, the unknown classes copying their contexts.
    std::ifstream matrixIn(dir / "matrix.def");
    int rows = 0, columns = 0;
    if (!(matrixIn >> rows >> columns) || rows != contexts || columns != contexts) {
        report.error = "matrix.def does not match left-id.def";
        return false;
    }
    std::vector<std::int16_t> base(static_cast<std::size_t>(contexts) * contexts, 0);
    {
        std::stringstream buffer;
        buffer << matrixIn.rdbuf();
        std::string text = buffer.str();
        const char* p = text.c_str();
        char* end;
        for (;;) {
            long l = std::strtol(p, &end, 10);
            if (end == p) break;
            p = end;
            long r = std::strtol(p, &end, 10);
            p = end;
            long cost = std::strtol(p, &end, 10);
            p = end;
            if (l >= 0 && r >= 0 && l < contexts && r < contexts)
                base[static_cast<std::size_t>(l) * contexts + r] =
                    static_cast<std::int16_t>(std::clamp(cost, -32768L, 32767L));
        }
    }
    DoskCorrections corrections;
    std::vector<std::string> contextNames;
    if (!options.correctionsPath.empty()) {
        if (!readDoskCorrections(options.correctionsPath, corrections, report.error)) return false;
        if (!readContextNames(options.sourceDir, contextNames) || static_cast<int>(contextNames.size()) != contexts) {
            report.error = "cannot read the context names of left-id.def";
            return false;
        }
        correctMatrix(corrections, contextNames, base);
    }
    source.matrixSize = classCount;
    source.matrix.resize(static_cast<std::size_t>(classCount) * classCount);
    for (int l = 0; l < classCount; ++l)
        for (int r = 0; r < classCount; ++r)
            source.matrix[static_cast<std::size_t>(l) * classCount + r] =
                base[static_cast<std::size_t>(contextOf[l]) * contexts + contextOf[r]];

    // The lexicon; its one-character brackets are kept out of the ranges.
    std::set<int> brackets;
    std::vector<std::string> lexicon;
    for (const fs::path& file : jumanLexiconFiles(options.sourceDir))
        if (!readLines(file, lexicon)) {
            report.error = "cannot read " + file.string();
            return false;
        }
    if (!correctLexicon(corrections, options.sourceDir, contextNames, base, lexicon, report.correctionRows, report.error))
        return false;
    {
        for (const std::string& line : lexicon) {
            if (line.empty()) continue;
            ++report.rows;
            std::vector<std::string> f = splitCsv(line);
            if (f.size() < 10) {
                ++report.droppedConversion;
                continue;
            }
            DoskSourceWord word;
            std::string pos;
            const int context = std::atoi(f[1].c_str());
            if (context <= 0 || context >= contexts || !toEucJpText(f[0], word.key) ||
                !toEucJpText(f[8] == "*" ? f[0] : f[8], word.baseForm) ||
                !toEucJpText(f[9] == "*" ? std::string() : toKatakanaUtf8(f[9]), word.reading) ||
                !toEucJpText(f[7], pos)) {
                ++report.droppedConversion;
                continue;
            }
            if (jumanConjugationFormId(pos) > 0 &&
                std::find_if(FORM_FALLBACKS.begin(), FORM_FALLBACKS.end(),
                             [&](const auto& p) { return p.first == pos; }) != FORM_FALLBACKS.end())
                ++report.fallbackRows;
            if (word.baseForm == word.key) word.baseForm.clear();
            const std::string& className = source.classes[static_cast<std::size_t>(context)].name;
            // The one character of a three-byte UTF-8 key, else -1.
            const int unit = f[0].size() == 3 && (static_cast<unsigned char>(f[0][0]) & 0xF0) == 0xE0
                                 ? ((f[0][0] & 0x0F) << 12) | ((f[0][1] & 0x3F) << 6) | (f[0][2] & 0x3F)
                                 : -1;
            if (unit >= 0 && (className.starts_with("特殊,括弧始") || className.starts_with("特殊,括弧終")))
                brackets.insert(unit);
            // JUMAN lists every Latin letter as a 記号; with the letters'
            // range a lone letter ("Ａセット", "Ｘ線") is instead an unlisted
            // alphabet word, as a longer run is: a name-to-be, not a sign.
            if (options.characterRanges && className.starts_with("特殊,記号") &&
                ((unit >= 0xFF21 && unit <= 0xFF3A) || (unit >= 0xFF41 && unit <= 0xFF5A))) {
                ++report.latinLetterSymbols;
                continue;
            }
            word.classId = context;
            word.cost = std::atoi(f[3].c_str());
            source.words.push_back(std::move(word));
        }
    }

    // Character-class ranges.  A bracket the dictionary lists lies in no
    // range, so that it is always a word of its own: it neither starts nor
    // joins a run of unlisted signs or letters.
    if (options.characterRanges) {
        auto classOf = [&](const char* name, int fallback) {
            auto found = contextOfName.find(name);
            return found == contextOfName.end() ? fallback : found->second;
        };
        const auto numeralClass = static_cast<std::int16_t>(classOf("名詞,数詞,*,*", numeric.context));
        const auto nounClass = static_cast<std::int16_t>(classOf("名詞,普通名詞,*,*", kanji.context));
        auto add = [&](int from, int to, int classId, int cost) {
            source.ranges.push_back({static_cast<std::uint16_t>(from), static_cast<std::uint16_t>(to),
                                     static_cast<std::int16_t>(classId), static_cast<std::int16_t>(cost)});
        };
        add(0xFF10, 0xFF19, numeralClass, numeric.cost);
        add(0x30A1, 0x30F6, katakanaClass, katakana.cost);
        add(0x30FC, 0x30FC, katakanaClass, katakana.cost);
        add(0xFF21, 0xFF3A, alphabetClass, alpha.cost);
        add(0xFF41, 0xFF5A, alphabetClass, alpha.cost);
        const int signs[][2] = {{0x00A7, 0x00F7}, {0x2010, 0x2312}, {0x2500, 0x254B}, {0x25A0, 0x25EF},
                                {0x2605, 0x266F}, {0x3001, 0x3004}, {0x3008, 0x301F}, {0x30FB, 0x30FB},
                                {0xFF01, 0xFF0F}, {0xFF1A, 0xFF20}, {0xFF3B, 0xFF40}, {0xFF5B, 0xFF65},
                                {0xFFE0, 0xFFEF}};
        for (const auto& range : signs) {
            int from = range[0];
            for (auto bracket = brackets.lower_bound(range[0]); bracket != brackets.end() && *bracket <= range[1];
                 ++bracket) {
                if (from < *bracket) add(from, *bracket - 1, signClass, symbol.cost);
                from = *bracket + 1;
            }
            if (from <= range[1]) add(from, range[1], signClass, symbol.cost);
        }
        if (options.kanjiRange) {
            add(0x3005, 0x3005, nounClass, kanji.cost);
            add(0x4E00, 0x9FA0, nounClass, kanji.cost);
        }
    }
    return true;
}

bool compileJumanDictionary(const JumanCompileOptions& options, const std::string& outputPath,
                            JumanCompileReport& report)
{
    DoskSource source;
    if (!buildJumanSource(options, source, report)) return false;
    if (!writeDoskFile(outputPath, source, report.write)) {
        report.error = report.write.error;
        return false;
    }
    return true;
}

}  // namespace quibo
