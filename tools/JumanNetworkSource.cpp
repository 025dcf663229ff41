#include "tools/JumanNetworkSource.h"

#include "tools/EucText.h"

#include <algorithm>
#include <array>
#include <sstream>
#include <string_view>
#include <utility>

namespace quibo::tools {

namespace {

constexpr std::size_t MAX_LIST = 255;
constexpr std::size_t MAX_NODE_LINKS = 65535;

// Each JUMAN category is stood for by a real word of the dictionary, so that
// "犬 is an animal" is a path from 犬 to 動物.
constexpr std::array<std::pair<std::string_view, std::string_view>, 22> CATEGORY_WORDS = {{
    {"人", "人/ひと"},
    {"組織・団体", "組織/そしき"},
    {"動物", "動物/どうぶつ"},
    {"動物-部位", "部位/ぶい"},
    {"植物", "植物/しょくぶつ"},
    {"植物-部位", "部位/ぶい"},
    {"人工物-食べ物", "食べ物/たべもの"},
    {"人工物-衣類", "衣類/いるい"},
    {"人工物-乗り物", "乗り物/のりもの"},
    {"人工物-金銭", "金銭/きんせん"},
    {"人工物-その他", "物/もの"},
    {"自然物", "自然/しぜん"},
    {"場所-施設", "施設/しせつ"},
    {"場所-施設部位", "施設/しせつ"},
    {"場所-自然", "場所/ばしょ"},
    {"場所-機能", "場所/ばしょ"},
    {"場所-その他", "場所/ばしょ"},
    {"抽象物", "抽象/ちゅうしょう"},
    {"形・模様", "形/かたち"},
    {"色", "色/いろ"},
    {"数量", "数量/すうりょう"},
    {"時間", "時間/じかん"},
}};

// Broader concepts of some category words.
constexpr std::array<std::pair<std::string_view, std::string_view>, 5> CATEGORY_PARENTS = {{
    {"食べ物/たべもの", "物/もの"},
    {"衣類/いるい", "物/もの"},
    {"乗り物/のりもの", "物/もの"},
    {"金銭/きんせん", "物/もの"},
    {"施設/しせつ", "場所/ばしょ"},
}};

constexpr std::array<std::pair<std::string_view, std::string_view>, 12> DOMAIN_WORDS = {{
    {"家庭・暮らし", "生活/せいかつ"},
    {"料理・食事", "料理/りょうり"},
    {"政治", "政治/せいじ"},
    {"健康・医学", "医学/いがく"},
    {"文化・芸術", "文化/ぶんか"},
    {"ビジネス", "ビジネス/びじねす"},
    {"スポーツ", "スポーツ/すぽーつ"},
    {"交通", "交通/こうつう"},
    {"教育・学習", "教育/きょういく"},
    {"科学・技術", "科学/かがく"},
    {"レクリエーション", "レクリエーション/れくりえーしょん"},
    {"メディア", "メディア/めでぃあ"},
}};

template <std::size_t N>
std::string_view lookUp(const std::array<std::pair<std::string_view, std::string_view>, N>& table,
                        std::string_view key)
{
    for (const auto& [from, to] : table)
        if (from == key) return to;
    return {};
}

std::vector<std::string> split(const std::string& text, char separator)
{
    std::vector<std::string> items;
    std::size_t from = 0;
    while (true) {
        const std::size_t at = text.find(separator, from);
        items.push_back(text.substr(from, at == std::string::npos ? std::string::npos : at - from));
        if (at == std::string::npos) return items;
        from = at + 1;
    }
}

std::string nameOf(const std::string& representative)
{
    return representative.substr(0, representative.find('/'));
}

// A name usable as a record key: non-empty, no key or field separator.
bool isUsableName(const std::string& name)
{
    return !name.empty() && name.find('/') == std::string::npos && name.find('\t') == std::string::npos;
}

bool isUsableRepresentative(const std::string& representative)
{
    const std::size_t slash = representative.find('/');
    return slash != std::string::npos && slash > 0 && representative.find('\t') == std::string::npos &&
           isUsableName(representative.substr(0, slash));
}

// "動詞:愛す/あいす;動詞:愛しむ/いとしむ" -> the representative forms.
std::vector<std::string> representativesOf(const std::string& value)
{
    std::vector<std::string> result;
    for (const std::string& item : split(value, ';')) {
        const std::size_t colon = item.find(':');
        if (colon != std::string::npos) result.push_back(item.substr(colon + 1));
    }
    return result;
}

template <typename T>
void appendUnique(std::vector<T>& to, const T& value)
{
    if (std::find(to.begin(), to.end(), value) == to.end()) to.push_back(value);
}

}  // namespace

void JumanNetworkSource::addCsv(std::istream& csv)
{
    std::string line;
    std::string euc;
    while (std::getline(csv, line)) {
        ++m_report.lines;
        // The analyser's words are EUC-JP, and so is all work here; a line
        // with a character outside EUC-JP cannot name an analyser word.
        if (!toEucJp(line, euc)) {
            ++m_report.skippedNames;
            continue;
        }
        addLine(euc);
    }
}

JumanNetworkSource::Sense& JumanNetworkSource::conceptSense(const std::string& representative)
{
    return m_senses[representative];
}

void JumanNetworkSource::addLine(const std::string& line)
{
    const std::vector<std::string> fields = split(line, ',');
    if (fields.size() < 11) return;
    std::string features = fields[10];
    for (std::size_t i = 11; i < fields.size(); ++i) features += "," + fields[i];

    std::string representative;
    std::vector<std::pair<std::string, std::string>> items;
    for (const std::string& token : split(features, ' ')) {
        const std::size_t colon = token.find(':');
        if (colon == std::string::npos) continue;
        items.emplace_back(token.substr(0, colon), token.substr(colon + 1));
        if (items.back().first == "代表表記") representative = items.back().second;
    }
    if (representative.empty()) return;
    // "a/b?c/d" offers alternatives; the first is the sense.
    representative = representative.substr(0, representative.find('?'));
    ++m_report.senseLines;
    const std::string& base = fields[8];
    if (!isUsableRepresentative(representative) || !isUsableName(base)) {
        ++m_report.skippedNames;
        return;
    }

    Sense& sense = m_senses[representative];
    if (fields[4] == "動詞" || fields[4] == "形容詞") sense.predicate = true;
    appendUnique(sense.variants, base);
    appendUnique(m_wordSenses[base], representative);
    for (const auto& [key, value] : items) {
        if (key == "同義" || key == "反義") {
            for (const std::string& other : representativesOf(value))
                (key == "同義" ? sense.synonyms : sense.antonyms).insert(other.substr(0, other.find('?')));
        } else if (key == "可能動詞") {
            // "可能動詞:使う/つかう": the verb (使える) says its base verb can
            // be done.
            for (const std::string& other : split(value, ';'))
                sense.potentialOf.insert(other.substr(0, other.find('?')));
        } else if (key == "カテゴリ" || key == "ドメイン") {
            const bool isCategory = key == "カテゴリ";
            for (const std::string& field : split(value, ';')) {
                if (field == "無し") continue;
                const std::string_view word =
                    isCategory ? lookUp(CATEGORY_WORDS, field) : lookUp(DOMAIN_WORDS, field);
                if (word.empty()) {
                    ++m_report.unknownFields;
                    continue;
                }
                (isCategory ? sense.categories : sense.domains).insert(std::string(word));
            }
        }
    }
}

void JumanNetworkSource::completeRelations()
{
    // Concept words absent from the dictionary still stand as senses.
    for (const auto& entry : CATEGORY_WORDS) conceptSense(std::string(entry.second));
    for (const auto& entry : DOMAIN_WORDS) conceptSense(std::string(entry.second));
    for (const auto& [child, parent] : CATEGORY_PARENTS) {
        conceptSense(std::string(child)).categories.insert(std::string(parent));
        conceptSense(std::string(parent));
    }
    // The dictionary states a synonym or antonym on one side; the network
    // holds it on both.  A potential verb is stated on its own side and held
    // on its base's only (see write).  References to senses the dictionary
    // lacks are dropped.
    for (auto& [representative, sense] : m_senses) {
        for (auto* relation : {&sense.synonyms, &sense.antonyms, &sense.potentialOf}) {
            for (auto other = relation->begin(); other != relation->end();) {
                if (*other == representative || !m_senses.count(*other)) {
                    if (*other != representative) ++m_report.unknownReferences;
                    other = relation->erase(other);
                } else {
                    ++other;
                }
            }
        }
    }
    for (auto& [representative, sense] : m_senses) {
        for (const std::string& base : sense.potentialOf) m_senses[base].potentials.insert(representative);
        for (const std::string& other : sense.synonyms) m_senses[other].synonyms.insert(representative);
        for (const std::string& other : sense.antonyms) m_senses[other].antonyms.insert(representative);
        sense.categories.erase(representative);
        sense.domains.erase(representative);
    }
}

void JumanNetworkSource::write(std::ostream& utf8Out)
{
    std::ostringstream out;
    completeRelations();

    std::map<std::string, std::vector<std::string>> sensesByName;
    for (const auto& [representative, sense] : m_senses) sensesByName[nameOf(representative)].push_back(representative);

    out << "# The semantic network built from the JUMAN dictionary's semantic fields.\n"
           "# Generated by juman-semnet; see tools/SemanticNetwork.md for what it means.\n";

    // Words: every sense, then every written form that names no sense.
    auto isPredicateWord = [this](const std::string& name) {
        const auto senses = m_wordSenses.find(name);
        if (senses == m_wordSenses.end()) return false;
        return std::any_of(senses->second.begin(), senses->second.end(),
                           [this](const std::string& r) { return m_senses[r].predicate; });
    };
    for (const auto& [representative, sense] : m_senses) {
        out << "word\t" << representative << '\t' << (sense.predicate ? "PNpn*" : "Nn*") << '\n';
        ++m_report.senses;
    }
    for (const auto& [name, senses] : m_wordSenses) {
        if (sensesByName.count(name)) continue;
        out << "word\t" << name << '\t' << (isPredicateWord(name) ? "pn" : "n") << '\n';
        ++m_report.words;
    }

    // The record that stands for a written name in lists: its first sense, or
    // the plain word.
    auto recordOfName = [&](const std::string& name) {
        const auto senses = sensesByName.find(name);
        return senses == sensesByName.end() ? name : senses->second.front();
    };
    auto emitList = [&](const char* kind, const std::string& from,
                        const std::vector<std::pair<std::string, int>>& entries, std::size_t& count) {
        std::vector<std::string> seen;
        for (const auto& [to, polarity] : entries) {
            if (std::find(seen.begin(), seen.end(), to) != seen.end()) continue;
            if (seen.size() == MAX_LIST) {
                ++m_report.droppedEntries;
                continue;
            }
            seen.push_back(to);
            out << kind << '\t' << from << '\t' << to << '\t' << polarity << '\n';
            ++count;
        }
    };

    // Relation lists: own sense first (the path search reads a node's own
    // sense there), the other senses of the same name, the senses the name
    // is written for, then synonyms, potential verbs and antonyms.
    //
    // A visitor asks 使えますか of a title that says 使う and the other way
    // round: a base verb lists its potential verbs as its own sense, and
    // since a path search meets where either word lists the other, the two
    // pair at depth 0 whichever is asked first.  The potential verb does not
    // list its base: a word's synonyms bind it to the knowledge base's
    // entity of that name, and a visitor's 使える taken for the entity 使う
    // would no longer be the 使える the base's titles say word for word.
    auto writtenFor = [&](const std::string& name, std::vector<std::pair<std::string, int>>& entries) {
        if (const auto same = sensesByName.find(name); same != sensesByName.end())
            for (const std::string& r : same->second) entries.emplace_back(r, 0);
        if (const auto senses = m_wordSenses.find(name); senses != m_wordSenses.end())
            for (const std::string& r : senses->second) entries.emplace_back(r, 0);
    };
    for (const auto& [representative, sense] : m_senses) {
        std::vector<std::pair<std::string, int>> entries{{representative, 0}};
        writtenFor(nameOf(representative), entries);
        for (const std::string& r : sense.synonyms) entries.emplace_back(r, 0);
        for (const std::string& r : sense.potentials) entries.emplace_back(r, 0);
        for (const std::string& r : sense.antonyms) entries.emplace_back(r, 1);
        emitList("relation", representative, entries, m_report.relations);
    }
    for (const auto& [name, senses] : m_wordSenses) {
        if (sensesByName.count(name)) continue;
        std::vector<std::pair<std::string, int>> entries;
        writtenFor(name, entries);
        emitList("relation", name, entries, m_report.relations);
    }

    // Related-word lists of senses: written forms, synonyms, antonyms.
    for (const auto& [representative, sense] : m_senses) {
        std::vector<std::pair<std::string, int>> entries;
        for (const std::string& variant : sense.variants)
            if (variant != nameOf(representative)) entries.emplace_back(recordOfName(variant), 0);
        for (const std::string& r : sense.synonyms) entries.emplace_back(r, 0);
        for (const std::string& r : sense.antonyms) entries.emplace_back(r, 1);
        emitList("related", representative, entries, m_report.relatedWords);
    }

    // Links: type 1 up to a category or domain, type 2 down from a category,
    // type 3 down from a domain.
    std::map<std::string, std::vector<std::pair<std::string, int>>> links;
    for (const auto& [representative, sense] : m_senses) {
        for (const std::string& c : sense.categories) {
            links[representative].emplace_back(c, 1);
            links[c].emplace_back(representative, 2);
        }
        for (const std::string& d : sense.domains) {
            links[representative].emplace_back(d, 1);
            links[d].emplace_back(representative, 3);
        }
    }
    for (auto& [from, list] : links) {
        std::stable_sort(list.begin(), list.end(),
                         [](const auto& a, const auto& b) { return a.second < b.second; });
        std::size_t count = 0;
        for (const auto& [to, type] : list) {
            if (++count > MAX_NODE_LINKS) {
                ++m_report.droppedEntries;
                continue;
            }
            out << "link\t" << from << '\t' << to << '\t' << type << '\n';
            ++m_report.links;
        }
    }
    // The source is written in UTF-8, to be read by people too.
    std::string text;
    toUtf8(out.str(), text);
    utf8Out << text;
}

}  // namespace quibo::tools
