#include "meaning/MeanDictionary.h"

#include "analysis/EucString.h"
#include "analysis/FealFile.h"
#include "analysis/LanguageAnalyzer.h"
#include "analysis/TimeStamp.h"
#include "analysis/Vocabulary.h"
#include "meaning/MeanCodeTables.h"
#include "analysis/ConsoleLine.h"

#include <algorithm>
#include <initializer_list>

namespace quibo {

namespace {

constexpr std::string_view FULLWIDTH_DOLLAR = "＄";
constexpr std::string_view FULLWIDTH_AMPERSAND = "＆";
constexpr int FINAL_PARTICLE = 0x1000008;  // 終助詞

// Number of conjugation forms a rule may name: entries 0-58 of the shared
// table.  "基本連体形" (59) is no rule vocabulary.
constexpr int RULE_FORM_COUNT = 59;

bool isOneOf(int unit, std::initializer_list<int> units)
{
    return std::find(units.begin(), units.end(), unit) != units.end();
}

bool contains(const std::string& text, std::string_view pattern)
{
    return EucString(text).find(pattern) >= 0;
}

// The '/'-alternatives of a column, longest first; alternatives of equal
// length keep their written order.
std::vector<std::string> longestFirst(const std::string& column)
{
    std::vector<std::string> alternatives = splitString(column, "/");
    std::stable_sort(alternatives.begin(), alternatives.end(),
                     [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
    return alternatives;
}

// Byte length of the last character of an EUC-JP text (0 for an empty text).
std::size_t lastCharacterLength(const std::string& text)
{
    std::size_t position = 0;
    std::size_t length = 0;
    while (position < text.size()) {
        length = static_cast<unsigned char>(text[position]) < 0x80 ? 1 : 2;
        if (position + length > text.size()) {
            length = text.size() - position;
        }
        position += length;
    }
    return length;
}

// Cuts the next parenthesised group off `rest`: the text up to the next ')',
// from just after its '(' on, split into trimmed TAB-separated columns.
std::vector<std::string> cutGroup(std::string& rest)
{
    EucString remaining(rest);
    EucString group = remaining.cutToken(")").trim();
    rest = remaining;
    const int open = group.find("(");
    if (open >= 0) {
        group = EucString(group.substr(static_cast<std::size_t>(open) + 1));
    }
    std::vector<std::string> columns = tokenize(group, "\t");
    for (std::string& column : columns) {
        column = EucString(column).trim();
    }
    return columns;
}

std::string column(const std::vector<std::string>& columns, std::size_t i)
{
    return i < columns.size() ? columns[i] : std::string();
}

// Cuts the next TAB-separated field off the front of a line's content.
std::string cutField(EucString& content)
{
    return content.cutToken("\t").trim();
}

void warn(int lineNumber, std::string_view message)
{
    writeConsoleLine("警告：" + std::to_string(lineNumber) + std::string(message));
}

// The faulty line itself, after each failed check, and an empty line.
void echoLine(const std::string& line)
{
    writeConsoleLine("line = " + line);
    writeConsoleLine("");
}

// A check that fails prints its diagnostic and makes its caller fail.
int fail(int lineNumber, std::string_view message)
{
    warn(lineNumber, message);
    return -1;
}

std::string networkText(const NetworkText& text)
{
    return text ? std::string(text.get()) : std::string();
}

}  // namespace

MeanDictionary::MeanDictionary() = default;

MeanDictionary::~MeanDictionary() = default;

void MeanDictionary::clear()
{
    *this = MeanDictionary();
}

void MeanDictionary::initPosCodes()
{
    for (const MeanPosName& entry : MEAN_POS_NAMES) {
        m_posCodes[std::string(entry.name)] = entry.code;
    }
}

void MeanDictionary::initNameTable()
{
    m_formTable.clear();
    for (int index = 0; index < RULE_FORM_COUNT; ++index) {
        m_formTable.push_back({std::string(CONJUGATION_FORM_NAMES[index]), index});
    }
}

int MeanDictionary::load(const std::string& path)
{
    // A dictionary holds one file's rules: loading again replaces them.
    clear();
    initPosCodes();
    initNameTable();
    if (read(path) < 0) {
        writeConsoleLine(currentTimeStamp() + "SYSTEM_MESSAGE Failed to read mean_dictionary");
        return -1;
    }
    return 0;
}

int MeanDictionary::read(const std::string& path)
{
    writeConsoleLine("--- 意味目録判定辞書作成開始 ---");
    FealFile file;
    if (file.decipherFile(path.c_str()) != 0) {
        writeConsoleLine("read_mean_dictionary --> 意味目録判定辞書ファイル(" + path + ")はオープン失敗");
        return -1;
    }
    std::vector<char> plain;
    file.appendTo(plain);  // a malformed file deciphers to nothing: no lines
    const int result = readText(std::string_view(plain.data(), plain.size()));
    writeConsoleLine("--- 意味目録判定辞書作成終了 ---");
    return result;
}

int MeanDictionary::readText(std::string_view plainText)
{
    m_longestTextLength = 0;
    m_shortestTextLength = 10;
    bool failed = false;
    int lineNumber = 0;
    std::size_t start = 0;
    while (start < plainText.size()) {
        // A line ends after a line feed or a byte 0xFF, which stays with it.
        std::size_t end = start;
        while (end < plainText.size() && plainText[end] != '\n' && plainText[end] != '\xFF') {
            ++end;
        }
        end = std::min(end + 1, plainText.size());
        EucString line(plainText.substr(start, end - start));
        start = end;
        ++lineNumber;

        line.stripNewlines();
        if (line.empty() || line[0] == '/') {
            continue;
        }
        const int opens = line.count("(");
        const int closes = line.count(")");
        if (opens == 0 || opens != closes) {
            warn(lineNumber, "行目には左右の括弧数が一致しません");
            echoLine(line);
            failed = true;
            continue;
        }
        const std::size_t first = line.std::string::find('(');
        const std::size_t last = line.std::string::rfind(')');
        EucString content(first < last ? line.substr(first + 1, last - first - 1) : std::string());
        const std::string kind = cutField(content);
        if (kind == "#DEFDCA") {
            readDcaDefinition(content);
        } else if (kind == "#DEFNOMEAN") {
            readNoMeaningWords(content);
        } else if (readEntryLine(lineNumber, line, content, kind) != 0) {
            failed = true;
        }
    }
    return failed ? -1 : 0;
}

void MeanDictionary::readDcaDefinition(std::string content)
{
    // No check is made: a field that is no number reads as 0, and one beyond
    // int's range saturates.  Bit and attribute numbers are range-checked
    // where they are used (dcaBitMask, attributeMask).
    EucString rest(std::move(content));
    DcaDefinition definition;
    definition.name = cutField(rest);
    definition.code = EucString(cutField(rest)).toInt();
    definition.value2 = EucString(cutField(rest)).toInt();
    definition.bitNumber = EucString(cutField(rest)).toInt();
    definition.gate = EucString(cutField(rest)).toInt();
    m_dcaDefinitions.push_back(std::move(definition));
}

void MeanDictionary::readNoMeaningWords(std::string content)
{
    EucString rest(std::move(content));
    for (std::string& word : splitString(cutField(rest), "/")) {
        if (!word.empty()) {
            m_noMeaningWords.push_back(std::move(word));
        }
    }
}

int MeanDictionary::readEntryLine(int lineNumber, const std::string& line, std::string contentText,
                                  std::string dcaName)
{
    EucString content(std::move(contentText));
    m_staged = StagedEntries();
    // Prints the line after a failed check; the caller marks the read failed.
    auto drop = [&]() {
        echoLine(line);
        return -1;
    };
    MeanRule rule;

    if (dcaName.empty() || dcaName == "＊") {
        warn(lineNumber, "行目には「DCA判定」がありません");
        return drop();
    }
    rule.dcaCode = getDcaCode(dcaName);
    if (rule.dcaCode == -1) {
        if (dcaName == "NUM") {
            rule.dcaCode = DCA_NUM;
        } else if (dcaName == "REARR") {
            rule.dcaCode = DCA_REARR;
        } else if (dcaName == "CHIDIOM") {
            rule.dcaCode = DCA_CHIDIOM;
        } else {
            warn(lineNumber, "行目には「DCA指定」が誤っています");
            return drop();
        }
    }

    bool failed = false;
    const std::string pca = cutField(content);
    if (pca.empty()) {
        warn(lineNumber, "行目には「pca」がありません");
        return drop();
    }
    for (const std::string& name : splitString(pca, "/")) {
        const int code = getDcaCode(name);
        if (code == -1) {
            // The name is left out; the rule is still read.
            warn(lineNumber, "行目には「pca」が誤っています");
            echoLine(line);
            failed = true;
        } else {
            rule.pcaCodes.push_back(code);
        }
    }

    const std::string flags = cutField(content);
    if (flags.empty()) {
        warn(lineNumber, "行目は「意味フラグ」「修飾語除外フラグ」が正しくありません");
        return drop();
    }
    rule.flagI = flags.find('I') != std::string::npos ? 1 : 0;
    rule.flagV = flags.find('V') != std::string::npos ? 1 : 0;
    rule.flagM = flags.find('M') != std::string::npos ? 1 : 0;
    rule.flagE = flags.find('E') != std::string::npos ? 1 : 0;

    rule.meaningInfo = cutField(content);
    if (rule.meaningInfo.empty()) {
        warn(lineNumber, "行目には「意味情報」がありません");
        return drop();
    }

    const std::string vocabulary = cutField(content);
    if (vocabulary.empty()) {
        warn(lineNumber, "行目には「意味語彙」がありません");
        return drop();
    }
    if (vocabulary == "＊") {
        rule.representativeWord = "＊";
        rule.representativePosCode = 0;
    } else {
        EucString rest(vocabulary);
        const int separator = rest.find(";");
        const std::string word = separator < 0 ? vocabulary : vocabulary.substr(0, separator);
        const std::string posName = separator < 0 ? std::string() : vocabulary.substr(separator + 1);
        const auto pos = m_posCodes.find(posName);
        if (word.empty() || pos == m_posCodes.end()) {
            warn(lineNumber, "行目のＮ辞書語彙の品詞指定が間違っています");
            return drop();
        }
        const std::string relations = networkText(LanguageAnalyzer::instance()->listRelations(word));
        if (relations.empty() || !contains(relations, word)) {
            warn(lineNumber, "行目の「" + word + "」はＮ辞書の代表語を入力してください。");
            return drop();
        }
        rule.representativeWord = word;
        rule.representativePosCode = pos->second;
    }

    std::string rest = content;
    const int ruleNumber = static_cast<int>(m_rules.size());
    if (checkConditionColumns(MEANING_ELEMENT, rest, rule.meaningElement, lineNumber, ruleNumber, 0,
                              rule.dcaCode) != 0 ||
        checkConditionColumns(FRONT_CONDITION, rest, rule.frontCondition, lineNumber, ruleNumber, 0,
                              rule.dcaCode) != 0 ||
        checkConditionColumns(BACK_CONDITION, rest, rule.backCondition, lineNumber, ruleNumber, 0,
                              rule.dcaCode) != 0 ||
        checkTermColumns(rest, rule.frontTerm, lineNumber, rule.meaningElement.unit) != 0 ||
        checkTermColumns(rest, rule.backTerm, lineNumber, rule.meaningElement.unit) != 0) {
        return drop();
    }

    const MeanCondSpec& element = rule.meaningElement;
    const bool front = rule.frontCondition.isPresent() || rule.frontTerm.isPresent();
    const bool back = rule.backCondition.isPresent() || rule.backTerm.isPresent();
    if (element.unit == MeanUnit::None) {
        warn(lineNumber, "行目にＭＥの判定単位として「＊」不可です");
        return drop();
    }
    if (element.unit == MeanUnit::Text && (front || back)) {
        warn(lineNumber, "行目には条件指定/TERM指定不可です。(ＭＥが文字列)");
        return drop();
    }
    if (element.position == "BT" && front) {
        warn(lineNumber, "行目には前方条件/TERM指定不可です。(ME位置：BT)");
        return drop();
    }
    if (element.position == "BM" && back) {
        warn(lineNumber, "行目には後方条件/TERM指定不可です。(ME位置：BM)");
        return drop();
    }
    if (element.position == "SG" && (front || back)) {
        warn(lineNumber, "行目には前後方条件/TERM指定不可です。(ME位置：SG)");
        return drop();
    }

    // Words that the judgement strips from the end of a sentence can never be
    // found there: such a rule is kept but reported.
    if (element.position == "BM" &&
        isOneOf(element.unit, {MeanUnit::InputForm, MeanUnit::BaseForm, MeanUnit::Pos})) {
        for (const std::string& word : element.words) {
            if (std::find(m_noMeaningWords.begin(), m_noMeaningWords.end(), word) != m_noMeaningWords.end()) {
                warn(lineNumber, "行目には文末無意味語(" + word + ")が指定されています");
                echoLine(line);
                failed = true;
            }
            if (word == "？" || word == "！") {
                warn(lineNumber, "行目には文末意味解析除外語彙(" + word + ")が指定されています");
                echoLine(line);
                failed = true;
                break;
            }
        }
        if (std::find(element.posCodes.begin(), element.posCodes.end(), FINAL_PARTICLE) !=
            element.posCodes.end()) {
            warn(lineNumber, "行目には文末意味解析除外品詞(終助詞)が指定されています");
            echoLine(line);
            failed = true;
        }
    }

    m_rules.push_back(std::move(rule));
    commitStagedEntries();
    return failed ? -1 : 0;
}

void MeanDictionary::commitStagedEntries()
{
    for (auto& [which, entry] : m_staged.words) {
        m_wordIndexes[which].insert(std::move(entry));
    }
    for (const auto& entry : m_staged.pos) {
        m_posIndex.insert(entry);
    }
    for (const std::string& key : m_staged.textKeys) {
        const int length = static_cast<int>(key.size());
        m_longestTextLength = std::max(m_longestTextLength, length);
        m_shortestTextLength = std::min(m_shortestTextLength, length);
        m_firstCharacters.insert(key.substr(0, 2));
    }
    m_staged = StagedEntries();
}

int MeanDictionary::wordIndexFor(int dcaCode, int unit)
{
    using namespace MeanUnit;
    const bool inputForms = isOneOf(unit, {InputForm, InputFormSet, InputFormSequence});
    const bool baseForms = isOneOf(unit, {BaseForm, BaseFormSet, BaseFormSequence});
    if (unit == Text) {
        return TextIndex;
    }
    if ((dcaCode == DCA_NUM || dcaCode == DCA_REARR) && unit == InputForm) {
        return NumRearrIndex;
    }
    if (dcaCode == DCA_CHIDIOM) {
        return inputForms ? IdiomInputFormIndex : baseForms ? IdiomBaseFormIndex : -1;
    }
    return inputForms ? InputFormIndex : baseForms ? BaseFormIndex : -1;
}

bool MeanDictionary::checkPosAlternatives(const std::string& posColumn, MeanCondSpec& target, int kind,
                                          int ruleNumber, int& wordNumber, int lineNumber)
{
    for (const std::string& alternative : longestFirst(posColumn)) {
        if (alternative.find(';') == std::string::npos) {
            const auto pos = m_posCodes.find(alternative);
            if (pos == m_posCodes.end()) {
                warn(lineNumber, "行目に「品詞指定」が誤っています");
                return false;
            }
            target.posCodes.push_back(pos->second);
            if (kind == MEANING_ELEMENT && target.unit == MeanUnit::Pos) {
                m_staged.pos.push_back({pos->second, {ruleNumber, wordNumber++}});
            }
            continue;
        }
        std::vector<int> sequence;
        for (const std::string& member : splitString(alternative, ";")) {
            const auto pos = m_posCodes.find(member);
            if (pos == m_posCodes.end()) {
                warn(lineNumber, "行目に「品詞指定」が誤っています");
                return false;
            }
            sequence.push_back(pos->second);
        }
        if (sequence.empty()) {
            warn(lineNumber, "行目に「品詞指定」が誤っています");
            return false;
        }
        target.posSequences.push_back(sequence);
        target.posCodes.push_back(sequence.front());
        if (kind == MEANING_ELEMENT && target.unit == MeanUnit::PosSequence) {
            m_staged.pos.push_back({sequence.front(), {ruleNumber, wordNumber++}});
        }
    }
    return true;
}

int MeanDictionary::checkConditionColumns(int kind, std::string& rest, MeanCondSpec& target, int lineNumber,
                                          int ruleNumber, int firstWordNumber, int dcaCode)
{
    using namespace MeanUnit;
    const std::vector<std::string> columns = cutGroup(rest);
    target = MeanCondSpec();

    const std::string unitText = column(columns, 0);
    if (unitText.empty()) {
        return fail(lineNumber, "行目には「判定単位」がありません");
    }
    if (unitText == "＊") {
        target = MeanCondSpec::empty();
        return 0;
    }
    const int unit = unitCode(unitText);
    if (unit == -1) {
        return fail(lineNumber, "行目に「判定単位」が誤っています");
    }
    target.unit = unit;

    target.position = column(columns, 1);
    if (target.position.empty()) {
        return fail(lineNumber, "行目には「判定位置」がありません");
    }
    if (target.position != "BM" && target.position != "BT" && target.position != "SG" &&
        target.position != "＊") {
        return fail(lineNumber, "行目には「判定位置」が誤っています");
    }

    const std::string posColumn = column(columns, 2);
    const std::string formColumn = column(columns, 3);
    std::string cue = column(columns, 4);
    int wordNumber = firstWordNumber;
    if (posColumn.empty()) {
        return fail(lineNumber, "行目には「品詞指定」がありません");
    }
    if (posColumn == "＊") {
        // Word and POS units without a POS must draw their words from a
        // variable.
        if (isOneOf(unit, {InputForm, BaseForm, Pos, PosSequence})) {
            const std::string remaining = formColumn + cue;
            if (!contains(remaining, FULLWIDTH_DOLLAR) && !contains(remaining, FULLWIDTH_AMPERSAND)) {
                return fail(lineNumber, "行目には品詞指定が必要です");
            }
        }
        target.posCodes = {0};
    } else {
        if (isOneOf(unit, {BaseFormSet, BaseFormSequence, Text, InputFormSet, InputFormSequence})) {
            return fail(lineNumber, "行目には品詞指定不可です");
        }
        if (!checkPosAlternatives(posColumn, target, kind, ruleNumber, wordNumber, lineNumber)) {
            return -1;
        }
    }

    if (formColumn.empty()) {
        return fail(lineNumber, "行目には「活用形」がありません");
    }
    if (formColumn.find(';') != std::string::npos) {
        return fail(lineNumber, "行目には活用形連続は不可です");
    }
    if (formColumn == "＊") {
        target.conjugationForms = {ANY_CONJUGATION_FORM};
    } else {
        if (formColumn.front() == '/') {
            return fail(lineNumber, "行目には'/'の位置が不正です");
        }
        if (isOneOf(unit, {BaseFormSet, BaseFormSequence, Text, PosSequence, InputFormSet, InputFormSequence})) {
            return fail(lineNumber, "行目には活用形指定不可です");
        }
        for (const std::string& name : longestFirst(formColumn)) {
            const int index = getTableIndex(name);
            if (index == -1) {
                return fail(lineNumber, "行目に「活用形」が誤っています");
            }
            target.conjugationForms.push_back(index);
        }
    }

    target.cueText = cue;
    if (cue.empty()) {
        return fail(lineNumber, "行目には「cue」がありません");
    }
    if (cue == "＊") {
        if (isOneOf(unit, {Pos, PosSequence})) {
            target.words = {"＊"};
            return 0;
        }
        return fail(lineNumber, "行目には語彙指定がありません");
    }
    if (isOneOf(unit, {Pos, PosSequence})) {
        return fail(lineNumber, "行目には語彙指定不可です");
    }
    if (isOneOf(unit, {InputForm, BaseForm, Text}) && cue.find(';') != std::string::npos) {
        return fail(lineNumber, "行目には語彙を連続指定できません");
    }

    // Variables: a representative word of the semantic network between two
    // "＄" (the word, the words collected below it and their related words)
    // or two "＆" (the word and its related words).
    const bool opensDollar = cue.starts_with(FULLWIDTH_DOLLAR);
    const bool opensAmpersand = cue.starts_with(FULLWIDTH_AMPERSAND);
    // The closing mark must be a mark of its own: a cue of one "＄" is not
    // closed by itself.
    const bool closed = cue.size() >= 2 * FULLWIDTH_DOLLAR.size() && lastCharacterLength(cue) == 2;
    const bool closesDollar = closed && cue.ends_with(FULLWIDTH_DOLLAR);
    const bool closesAmpersand = closed && cue.ends_with(FULLWIDTH_AMPERSAND);
    if ((opensDollar || opensAmpersand) && posColumn != "＊") {
        return fail(lineNumber, "行目の「" + cue + "」を変数処理する場合は、品詞は ＊ で入力してください");
    }
    if (opensDollar && !closesDollar && cue.back() != '$') {
        return fail(lineNumber, "行目の「" + cue + "」を変数処理する場合は、変数の右も＄を入力してください");
    }
    if (opensDollar && cue.back() == '$') {
        return fail(lineNumber, "行目の「" + cue + "」を変数処理する場合は、全角の＄を入力してください");
    }
    if ((opensDollar && closesDollar) || (opensAmpersand && closesAmpersand)) {
        if (expandVariable(cue, opensDollar, lineNumber) != 0) {
            return -1;
        }
        target.cueText = cue;
    }

    const int index = wordIndexFor(dcaCode, unit);
    for (const std::string& alternative : longestFirst(cue)) {
        if (isOneOf(unit, {BaseFormSet, BaseFormSequence, InputFormSet, InputFormSequence}) &&
            alternative.find(';') == std::string::npos) {
            return fail(lineNumber, "行目には連続指定(；)がありません");
        }
        target.words.push_back(alternative);
        std::vector<std::string> members = splitString(alternative, ";");
        const std::string key = members.empty() ? std::string() : members.front();
        target.wordSequences.push_back(std::move(members));
        if (kind != MEANING_ELEMENT) {
            continue;
        }
        if (index >= 0) {
            m_staged.words.push_back({static_cast<WordIndex>(index), {key, {ruleNumber, wordNumber}}});
        }
        if (unit == Text) {
            m_staged.textKeys.push_back(key);
        }
        ++wordNumber;
    }
    return 0;
}

int MeanDictionary::expandVariable(std::string& cue, bool dollar, int lineNumber)
{
    LanguageAnalyzer* analyzer = LanguageAnalyzer::instance();
    const std::size_t mark = FULLWIDTH_DOLLAR.size();
    const std::string word = cue.substr(mark, cue.size() - 2 * mark);
    const std::string relations = networkText(analyzer->listRelations(word));
    if (relations.empty()) {
        writeConsoleLine("Warning" + std::to_string(lineNumber) + "line [" + cue +
                             "] input Representative word please");
        return -1;
    }
    if (!contains(relations, word)) {
        writeConsoleLine("Waring" + std::to_string(lineNumber) + "line [" + cue +
                             "] Representative word is not exist");
        return -1;
    }

    const auto cached = m_variableCache.find(cue);
    if (cached != m_variableCache.end()) {
        cue = cached->second;
        return 0;
    }
    std::string items = word;
    if (dollar) {
        const std::string below = networkText(analyzer->collectWords(word, -1));
        if (!below.empty()) {
            items += "," + below;
        }
    }
    std::string expansion;
    for (const std::string& item : tokenize(EucString(items), ",")) {
        expansion += item + ",";
        const NetworkText related = analyzer->relatedWords(item, 1);
        if (related) {
            expansion += std::string(related.get()) + ",";
        }
    }
    EucString trimmed = EucString(expansion).trim();
    if (trimmed.size() > 1) {
        trimmed.pop_back();
    }
    trimmed = trimmed.replaceAll(",", "/").replaceAll("/ ", "/");
    if (trimmed.empty()) {
        return fail(lineNumber, "行目には" + cue + "はN辞書・語彙の下全階層作成できません。");
    }
    m_variableCache[cue] = trimmed;
    cue = trimmed;
    return 0;
}

int MeanDictionary::checkTermColumns(std::string& rest, MeanTermSpec& target, int lineNumber, int /*unit*/)
{
    const std::vector<std::string> columns = cutGroup(rest);
    target = MeanTermSpec();

    const std::string name = column(columns, 0);
    if (name.empty()) {
        return fail(lineNumber, "行目には「入力変数」がありません");
    }
    if (name == "＊") {
        target = MeanTermSpec::empty();
        return 0;
    }
    if (name != "X_term" && name != "Y_term" && name != "Z_term") {
        return fail(lineNumber, "行目には「入力変数」が誤っています");
    }
    target.variableName = name;

    const std::string posColumn = column(columns, 1);
    if (posColumn.empty()) {
        return fail(lineNumber, "行目には「判定品詞」がありません");
    }
    if (posColumn == "＊") {
        target.posCodes = {0};
    } else {
        for (const std::string& alternative : longestFirst(posColumn)) {
            std::vector<int> sequence;
            for (const std::string& member : splitString(alternative, ";")) {
                const auto pos = m_posCodes.find(member);
                if (pos == m_posCodes.end()) {
                    return fail(lineNumber, "行目に「判定品詞」が誤っています");
                }
                sequence.push_back(pos->second);
            }
            if (sequence.empty()) {
                return fail(lineNumber, "行目に「判定品詞」が誤っています");
            }
            target.posCodes.push_back(sequence.front());
            if (alternative.find(';') != std::string::npos) {
                target.posSequences.push_back(std::move(sequence));
            }
        }
    }

    const std::string formColumn = column(columns, 2);
    if (formColumn.empty()) {
        return fail(lineNumber, "行目には「活用形」がありません");
    }
    if (formColumn != "＊") {
        return fail(lineNumber, "行目にはＴＥＲＭの「活用形」指定は無効です");
    }
    target.conjugationForms = {ANY_CONJUGATION_FORM};

    target.cueText = column(columns, 3);
    if (target.cueText.empty()) {
        return fail(lineNumber, "行目には「cue」がありません");
    }
    if (target.cueText == "＊") {
        target.words = {"＊"};
        return 0;
    }
    for (const std::string& alternative : longestFirst(target.cueText)) {
        target.words.push_back(alternative);
        target.wordSequences.push_back(splitString(alternative, ";"));
    }
    return 0;
}

int MeanDictionary::unitCode(const std::string& name) const
{
    return judgementUnitCode(name);
}

std::string MeanDictionary::unitName(int code) const
{
    if (code < MeanUnit::None || code > MeanUnit::InputFormSequence) {
        return "＊";
    }
    return std::string(JUDGEMENT_UNIT_NAMES[code]);
}

int MeanDictionary::getDcaCode(const std::string& name) const
{
    for (const DcaDefinition& definition : m_dcaDefinitions) {
        if (definition.name == name) {
            return definition.code;
        }
    }
    return -1;
}

namespace {

const DcaDefinition* findByCode(const std::vector<DcaDefinition>& definitions, int code)
{
    for (const DcaDefinition& definition : definitions) {
        if (definition.code == code) {
            return &definition;
        }
    }
    return nullptr;
}

}  // namespace

int MeanDictionary::getDcaValue2(int code) const
{
    const DcaDefinition* definition = findByCode(m_dcaDefinitions, code);
    return definition ? definition->value2 : -1;
}

std::string MeanDictionary::getDcaName(int code) const
{
    const DcaDefinition* definition = findByCode(m_dcaDefinitions, code);
    return definition ? definition->name : std::string();
}

int MeanDictionary::getDcaBitNo(int code) const
{
    const DcaDefinition* definition = findByCode(m_dcaDefinitions, code);
    return definition ? definition->bitNumber : 0;
}

int MeanDictionary::getDcaGate(int code) const
{
    const DcaDefinition* definition = findByCode(m_dcaDefinitions, code);
    return definition ? definition->gate : 0;
}

std::string MeanDictionary::getTableName(int index) const
{
    if (index == ANY_CONJUGATION_FORM) {
        return "＊";
    }
    for (const ConjugationFormEntry& entry : m_formTable) {
        if (entry.index == index) {
            return entry.name;
        }
    }
    return "";
}

int MeanDictionary::getTableIndex(const std::string& name) const
{
    if (name == "＊") {
        return ANY_CONJUGATION_FORM;
    }
    for (const ConjugationFormEntry& entry : m_formTable) {
        if (entry.name == name) {
            return entry.index;
        }
    }
    return -1;
}

}  // namespace quibo
