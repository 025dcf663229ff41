#include "tools/DoskCorrections.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <unordered_map>
#include <unordered_set>

namespace quibo {
namespace {

bool parsePattern(const std::string& text, DoskClassPattern& pattern)
{
    pattern = DoskClassPattern();
    pattern.fields.fill("*");
    if (text == "EOS") {
        pattern.sentenceEdge = true;
        return true;
    }
    std::vector<std::string> fields = splitCsv(text);
    if (fields.empty() || fields.size() > 4) return false;
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (!fields[i].empty()) pattern.fields[i] = fields[i];
    return true;
}

bool parseInt(const std::string& text, int& value)
{
    const char* begin = text.data() + (text.starts_with('+') ? 1 : 0);
    auto [end, error] = std::from_chars(begin, text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

// Katakana (U+30A1 to U+30F6) and the long-vowel mark, in UTF-8.
std::size_t katakanaLength(std::string_view key)
{
    if (key.size() % 3 != 0) return 0;
    for (std::size_t i = 0; i < key.size(); i += 3) {
        const auto b0 = static_cast<unsigned char>(key[i]), b1 = static_cast<unsigned char>(key[i + 1]),
                   b2 = static_cast<unsigned char>(key[i + 2]);
        const unsigned cp = ((b0 & 0x0Fu) << 12) | ((b1 & 0x3Fu) << 6) | (b2 & 0x3Fu);
        if (b0 != 0xE3 || !((cp >= 0x30A1 && cp <= 0x30F6) || cp == 0x30FC)) return 0;
    }
    return key.size() / 3;
}

std::vector<std::string> classFields(const std::vector<std::string>& row)
{
    return row.size() >= 8 ? std::vector<std::string>(row.begin() + 4, row.begin() + 8) : std::vector<std::string>();
}

// The four class fields of a context name ("POS,sub,type,form,word").
std::vector<std::string> contextFields(const std::string& name)
{
    std::vector<std::string> fields = splitCsv(name);
    fields.resize(4);
    return fields;
}

std::string hiraganaToKatakana(std::string text)
{
    for (std::size_t i = 0; i + 2 < text.size(); i += 3) {
        const auto b0 = static_cast<unsigned char>(text[i]), b1 = static_cast<unsigned char>(text[i + 1]),
                   b2 = static_cast<unsigned char>(text[i + 2]);
        unsigned cp = ((b0 & 0x0Fu) << 12) | ((b1 & 0x3Fu) << 6) | (b2 & 0x3Fu);
        if (b0 != 0xE3 || cp < 0x3041 || cp > 0x3096) continue;
        cp += 0x60;
        text[i + 1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        text[i + 2] = static_cast<char>(0x80 | (cp & 0x3F));
    }
    return text;
}

// Class names as the sources spell them (UTF-8; the narrow literals of this
// code are EUC-JP).
constexpr std::string_view NOUN = "\xE5\x90\x8D\xE8\xA9\x9E";                 // 名詞
constexpr std::string_view COMMON_NOUN = "\xE6\x99\xAE\xE9\x80\x9A\xE5\x90\x8D\xE8\xA9\x9E";  // 普通名詞
constexpr std::string_view VERBAL_NOUN = "\xE3\x82\xB5\xE5\xA4\x89\xE5\x90\x8D\xE8\xA9\x9E";  // サ変名詞

// The cost field of a row replaced.
void setCost(std::string& row, int cost)
{
    const std::size_t from = row.find(',', row.find(',', row.find(',') + 1) + 1) + 1;
    const std::size_t to = row.find(',', from);
    row.replace(from, to - from, std::to_string(std::clamp(cost, -32768, 32767)));
}

void priceWholeKatakana(const DoskCorrections::WholeKatakana& whole, const std::vector<std::string>& contextNames,
                        const std::vector<std::int16_t>& matrix, std::vector<std::string>& rows)
{
    const std::size_t contexts = contextNames.size();
    struct Reading {
        int left, right, cost;
    };
    std::unordered_map<std::string, std::vector<Reading>> readings;
    std::vector<std::pair<std::size_t, std::string>> candidates;  // row, key
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::vector<std::string> f = splitCsv(rows[i]);
        if (f.size() < 10 || katakanaLength(f[0]) == 0) continue;
        readings[f[0]].push_back({std::atoi(f[1].c_str()), std::atoi(f[2].c_str()), std::atoi(f[3].c_str())});
        const std::vector<std::string> fields = classFields(f);
        if (katakanaLength(f[0]) >= 3 && std::any_of(whole.patterns.begin(), whole.patterns.end(),
                                                      [&](const DoskClassPattern& p) { return p.matches(fields); }))
            candidates.emplace_back(i, f[0]);
    }
    auto connection = [&](int left, int right) {
        return left >= 0 && right >= 0 && static_cast<std::size_t>(left) < contexts &&
                       static_cast<std::size_t>(right) < contexts
                   ? matrix[static_cast<std::size_t>(left) * contexts + static_cast<std::size_t>(right)]
                   : 0;
    };
    for (const auto& [row, key] : candidates) {
        int best = INT32_MAX;
        const Reading* head = nullptr;  // the last part of the cheapest split
        for (std::size_t cut = 3; cut < key.size(); cut += 3) {
            const auto first = readings.find(key.substr(0, cut)), second = readings.find(key.substr(cut));
            if (first == readings.end() || second == readings.end()) continue;
            for (const Reading& a : first->second)
                for (const Reading& b : second->second)
                    if (const int cost = a.cost + b.cost + connection(a.right, b.left); cost < best) {
                        best = cost;
                        head = &b;
                    }
        }
        std::vector<std::string> f = splitCsv(rows[row]);
        if (best == INT32_MAX || std::atoi(f[3].c_str()) <= best - whole.margin) continue;
        setCost(rows[row], best - whole.margin);
        // A compound takes the class of its head, the last part: サインイン
        // is a サ変名詞 as イン is, and is read as one before できる.
        const std::vector<std::string> headFields =
            static_cast<std::size_t>(head->left) < contextNames.size() ? contextFields(contextNames[head->left])
                                                                       : std::vector<std::string>();
        if (f[5] == COMMON_NOUN && headFields[0] == NOUN && headFields[1] == VERBAL_NOUN && head->left == head->right &&
            rows[row].find('"') == std::string::npos) {
            f = splitCsv(rows[row]);
            f[1] = f[2] = std::to_string(head->left);
            f[5] = headFields[1];
            std::string joined;
            for (const std::string& field : f) joined += (joined.empty() ? "" : ",") + field;
            rows[row] = joined;
        }
    }
}

}  // namespace

std::vector<std::string> splitCsv(std::string_view line)
{
    std::vector<std::string> fields;
    std::string field;
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                field.push_back('"');
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field.push_back(c);
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.push_back(field);
            field.clear();
        } else if (c != '\r') {
            field.push_back(c);
        }
    }
    fields.push_back(field);
    return fields;
}

bool DoskClassPattern::matches(const std::vector<std::string>& fields4) const
{
    if (sentenceEdge || fields4.size() < 4) return false;
    for (std::size_t i = 0; i < 4; ++i)
        if (fields[i] != "*" && fields[i] != fields4[i]) return false;
    return true;
}

bool readDoskCorrections(const std::string& path, DoskCorrections& corrections, std::string& error)
{
    corrections = DoskCorrections();
    std::ifstream in(path);
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (const auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
        std::istringstream words(line);
        std::vector<std::string> w{std::istream_iterator<std::string>(words), {}};
        if (w.empty()) continue;
        bool ok = false;
        if (w[0] == "connect" && w.size() == 4) {
            DoskCorrections::Connection c;
            ok = parsePattern(w[1], c.left) && parsePattern(w[2], c.right) && parseInt(w[3], c.delta);
            if (ok) corrections.connections.push_back(c);
        } else if (w[0] == "cost" && w.size() == 4) {
            DoskCorrections::CostChange c{w[1], {}, 0};
            ok = parsePattern(w[2], c.pattern) && !c.pattern.sentenceEdge && parseInt(w[3], c.delta);
            if (ok) corrections.costs.push_back(c);
        } else if (w[0] == "entry" && w.size() == 6) {
            DoskCorrections::Entry e{w[1], w[2], w[3], w[4], 0};
            ok = splitCsv(e.className).size() == 4 && parseInt(w[5], e.cost);
            if (ok) corrections.entries.push_back(e);
        } else if (w[0] == "whole-katakana" && w.size() >= 3) {
            DoskCorrections::WholeKatakana k;
            ok = parseInt(w[1], k.margin);
            for (std::size_t i = 2; i < w.size() && ok; ++i) {
                k.patterns.emplace_back();
                ok = parsePattern(w[i], k.patterns.back()) && !k.patterns.back().sentenceEdge;
            }
            if (ok) corrections.wholeKatakana.push_back(k);
        } else if (w[0] == "loanwords" && w.size() >= 3) {
            DoskCorrections::Loanwords l{w[1], {}};
            ok = true;
            for (std::size_t i = 2; i < w.size() && ok; ++i) {
                l.patterns.emplace_back();
                ok = parsePattern(w[i], l.patterns.back()) && !l.patterns.back().sentenceEdge;
            }
            if (ok) corrections.loanwords.push_back(l);
        }
        if (!ok) {
            error = path + ":" + std::to_string(number) + ": malformed directive";
            return false;
        }
    }
    return true;
}

bool readContextNames(const std::string& sourceDir, std::vector<std::string>& names)
{
    std::ifstream in(std::filesystem::path(sourceDir) / "left-id.def");
    if (!in) return false;
    std::string line;
    while (std::getline(in, line)) {
        const auto space = line.find(' ');
        if (space == std::string::npos) continue;
        const int id = std::atoi(line.substr(0, space).c_str());
        if (id < 0 || id > 4000) continue;
        if (static_cast<int>(names.size()) <= id) names.resize(static_cast<std::size_t>(id) + 1);
        names[static_cast<std::size_t>(id)] = line.substr(space + 1);
    }
    return !names.empty();
}

bool correctLexicon(const DoskCorrections& corrections, const std::string& sourceDir,
                    const std::vector<std::string>& contextNames, const std::vector<std::int16_t>& matrix,
                    std::vector<std::string>& rows, int& added, std::string& error)
{
    added = 0;
    std::unordered_set<std::string> keys;
    for (std::string& row : rows) {
        const std::vector<std::string> f = splitCsv(row);
        if (f.size() < 10) continue;
        keys.insert(f[0]);
        for (const auto& change : corrections.costs) {
            if (change.key != f[0] || !change.pattern.matches(classFields(f))) continue;
            // Only the cost field changes; the rest of the row stays as written.
            setCost(row, std::atoi(f[3].c_str()) + change.delta);
        }
    }
    for (const auto& loanwords : corrections.loanwords) {
        std::ifstream in(std::filesystem::path(sourceDir) / loanwords.file);
        if (!in) {
            error = "cannot read " + loanwords.file;
            return false;
        }
        std::string line;
        while (std::getline(in, line)) {
            const std::vector<std::string> f = splitCsv(line);
            if (f.size() < 10 || katakanaLength(f[0]) < 3 || keys.count(f[0])) continue;
            const std::vector<std::string> fields = classFields(f);
            if (std::none_of(loanwords.patterns.begin(), loanwords.patterns.end(),
                             [&](const DoskClassPattern& p) { return p.matches(fields); }))
                continue;
            keys.insert(f[0]);
            rows.push_back(line);
            ++added;
        }
    }
    for (const auto& entry : corrections.entries) {
        // The class's generic context: its name without a word of its own.
        int context = -1;
        for (std::size_t id = 1; id < contextNames.size(); ++id) {
            const std::vector<std::string> f = splitCsv(contextNames[id]);
            if (f.size() < 4 || f[0] + "," + f[1] + "," + f[2] + "," + f[3] != entry.className) continue;
            if (context < 0 || (f.size() > 4 && f[4] == "*")) context = static_cast<int>(id);
        }
        if (context < 0) {
            error = "no class " + entry.className + " for " + entry.key;
            return false;
        }
        const std::string id = std::to_string(context);
        rows.push_back(entry.key + "," + id + "," + id + "," + std::to_string(entry.cost) + "," + entry.className +
                       "," + entry.baseForm + "," + hiraganaToKatakana(entry.reading) + ",*");
        ++added;
    }
    for (const auto& whole : corrections.wholeKatakana) priceWholeKatakana(whole, contextNames, matrix, rows);
    return true;
}

void correctMatrix(const DoskCorrections& corrections, const std::vector<std::string>& contextNames,
                   std::vector<std::int16_t>& matrix)
{
    const std::size_t contexts = contextNames.size();
    if (matrix.size() != contexts * contexts) return;
    std::vector<std::vector<std::string>> fields(contexts);
    for (std::size_t id = 1; id < contexts; ++id) fields[id] = contextFields(contextNames[id]);
    auto matches = [&](const DoskClassPattern& pattern, std::size_t id) {
        return pattern.sentenceEdge ? id == 0 : id != 0 && pattern.matches(fields[id]);
    };
    for (const auto& connection : corrections.connections)
        for (std::size_t l = 0; l < contexts; ++l) {
            if (!matches(connection.left, l)) continue;
            for (std::size_t r = 0; r < contexts; ++r) {
                if (!matches(connection.right, r)) continue;
                std::int16_t& cost = matrix[l * contexts + r];
                cost = static_cast<std::int16_t>(std::clamp(cost + connection.delta, -32768, 32767));
            }
        }
}

}  // namespace quibo
