#include "tools/SemanticNetworkBuilder.h"

#include "analysis/SemanticNetworkStorage.h"
#include "tools/EucText.h"
#include "tools/FealTool.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <limits>
#include <numeric>
#include <sstream>
#include <unordered_map>

namespace quibo::tools {

namespace {

constexpr std::size_t MAX_LIST = 255;
constexpr std::size_t MAX_NODE_LINKS = 65535;

struct ListEntry {
    std::size_t target;
    bool polarity;
    bool disabled;
};

struct NodeLink {
    std::size_t target;
    std::uint8_t type;
};

struct Record {
    std::string key;
    std::string name;  // EUC-JP
    std::uint8_t flags = 0;
    bool hasNode = false;
    std::size_t line = 0;
    std::vector<ListEntry> relations;
    std::vector<ListEntry> related;
    std::vector<NodeLink> links;
    // Filled while laying out.
    std::uint32_t entry = 0;
    std::int32_t node = -1;
};

std::vector<std::string> splitTabs(const std::string& line)
{
    std::vector<std::string> fields;
    std::size_t from = 0;
    while (true) {
        const std::size_t at = line.find('\t', from);
        fields.push_back(line.substr(from, at == std::string::npos ? std::string::npos : at - from));
        if (at == std::string::npos) break;
        from = at + 1;
    }
    return fields;
}

void put32(std::string& out, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<char>(value >> (8 * i));
}

void append32(std::string& out, std::uint32_t value)
{
    out.resize(out.size() + 4);
    put32(out, out.size() - 4, value);
}

class Parser {
public:
    Parser(std::vector<Record>& records, SemanticNetworkBuildReport& report)
        : m_records(records), m_report(report)
    {
    }

    void parse(std::istream& source)
    {
        std::string line;
        std::vector<std::vector<std::string>> statements;
        std::vector<std::size_t> lines;
        std::size_t number = 0;
        // Words first, so that statements may name records declared later.
        while (std::getline(source, line)) {
            ++number;
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.empty() || line[0] == '#') continue;
            std::vector<std::string> fields = splitTabs(line);
            if (fields[0] == "word") {
                declareWord(fields, number);
            } else {
                statements.push_back(std::move(fields));
                lines.push_back(number);
            }
        }
        for (std::size_t i = 0; i < statements.size(); ++i) addStatement(statements[i], lines[i]);
    }

private:
    void error(std::size_t line, const std::string& message)
    {
        m_report.errors.push_back("line " + std::to_string(line) + ": " + message);
    }

    void declareWord(const std::vector<std::string>& fields, std::size_t line)
    {
        if (fields.size() != 3 || fields[1].empty()) {
            error(line, "a word is: word, key, flags");
            return;
        }
        Record record;
        record.key = fields[1];
        record.line = line;
        if (!toEucJp(record.key.substr(0, record.key.find('/')), record.name)) {
            error(line, "the name of " + record.key + " has no EUC-JP form");
            return;
        }
        if (fields[2] != "-") {
            for (char c : fields[2]) {
                switch (c) {
                case 'P': record.flags |= SNET_P_MARK; break;
                case 'N': record.flags |= SNET_N_MARK; break;
                case 'p': record.flags |= SNET_P_LISTING; break;
                case 'n': record.flags |= SNET_N_LISTING; break;
                case '*': record.hasNode = true; break;
                default: error(line, std::string("unknown flag '") + c + "'"); return;
                }
            }
        }
        if (!m_index.emplace(record.key, m_records.size()).second) {
            error(line, "the key " + record.key + " is declared twice");
            return;
        }
        m_records.push_back(std::move(record));
    }

    bool lookUp(const std::string& key, std::size_t line, std::size_t& index)
    {
        const auto found = m_index.find(key);
        if (found == m_index.end()) {
            error(line, "no word " + key);
            return false;
        }
        index = found->second;
        return true;
    }

    void addStatement(const std::vector<std::string>& fields, std::size_t line)
    {
        const std::string& kind = fields[0];
        const bool isList = kind == "relation" || kind == "related";
        if (!isList && kind != "link") {
            error(line, "unknown statement " + kind);
            return;
        }
        const bool mayDisable = kind == "relation" && fields.size() == 5 && fields[4] == "off";
        if (fields.size() != 4 && !mayDisable) {
            error(line, kind + " takes: from, to, " + (isList ? "polarity" : "type"));
            return;
        }
        std::size_t from = 0, to = 0;
        if (!lookUp(fields[1], line, from) || !lookUp(fields[2], line, to)) return;
        if (isList) {
            if (fields[3] != "0" && fields[3] != "1") {
                error(line, "polarity is 0 or 1");
                return;
            }
            ListEntry entry{to, fields[3] == "1", mayDisable};
            (kind == "relation" ? m_records[from].relations : m_records[from].related).push_back(entry);
            return;
        }
        if (fields[3] != "1" && fields[3] != "2" && fields[3] != "3") {
            error(line, "link type is 1, 2 or 3");
            return;
        }
        if (!m_records[from].hasNode || !m_records[to].hasNode) {
            error(line, "a link joins two words with nodes (flag *)");
            return;
        }
        m_records[from].links.push_back({to, static_cast<std::uint8_t>(fields[3][0] - '0')});
    }

    std::vector<Record>& m_records;
    SemanticNetworkBuildReport& m_report;
    std::unordered_map<std::string, std::size_t> m_index;
};

void checkLimits(const std::vector<Record>& records, SemanticNetworkBuildReport& report)
{
    for (const Record& r : records) {
        auto limit = [&](std::size_t count, std::size_t max, const char* what) {
            if (count > max)
                report.errors.push_back("line " + std::to_string(r.line) + ": " + r.key + " has " +
                                        std::to_string(count) + " " + what + ", more than the format's " +
                                        std::to_string(max));
        };
        limit(r.relations.size(), MAX_LIST, "relations");
        limit(r.related.size(), MAX_LIST, "related words");
        limit(r.links.size(), MAX_NODE_LINKS, "links");
    }
}

}  // namespace

bool buildSemanticNetwork(std::istream& source, std::string& plaintext, SemanticNetworkBuildReport& report)
{
    std::vector<Record> records;
    Parser(records, report).parse(source);
    checkLimits(records, report);
    if (!report.errors.empty()) return false;

    // Word records in name order (unsigned bytes, a prefix first); senses of
    // one name keep their source order.
    std::vector<std::size_t> order(records.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return std::lexicographical_compare(
            records[a].name.begin(), records[a].name.end(), records[b].name.begin(), records[b].name.end(),
            [](char x, char y) { return static_cast<unsigned char>(x) < static_cast<unsigned char>(y); });
    });
    std::vector<std::size_t> position(records.size());
    for (std::size_t i = 0; i < order.size(); ++i) position[order[i]] = i;

    // Block C: every name entry (4-byte aligned), then the lists.
    std::string blockC;
    std::int32_t nodes = 0;
    for (std::size_t i = 0; i < order.size(); ++i) {
        Record& r = records[order[i]];
        r.entry = static_cast<std::uint32_t>(blockC.size());
        append32(blockC, static_cast<std::uint32_t>(i));
        blockC += r.name;
        blockC.push_back('\0');
        blockC.resize((blockC.size() + 3) / 4 * 4, '\0');
        if (r.hasNode) r.node = nodes++;
    }
    auto linkWord = [&](const ListEntry& e) {
        return records[e.target].entry | (e.polarity ? SNET_POLARITY_BIT : 0u) |
               (e.disabled ? SNET_DISABLED_BIT : 0u);
    };
    std::vector<std::uint32_t> relationAt(records.size()), relatedAt(records.size());
    for (std::size_t i : order) {
        Record& r = records[i];
        relationAt[i] = static_cast<std::uint32_t>(blockC.size());
        for (const ListEntry& e : r.relations) append32(blockC, linkWord(e));
        relatedAt[i] = static_cast<std::uint32_t>(blockC.size());
        for (const ListEntry& e : r.related) append32(blockC, linkWord(e));
        report.relations += r.relations.size();
        report.relatedWords += r.related.size();
    }
    if (blockC.size() >= SNET_NO_WORD) {
        report.errors.push_back("the name pool holds " + std::to_string(blockC.size()) +
                                " bytes; its offsets must stay below 0x3FFFFFFE");
        return false;
    }

    // Blocks A and B: the nodes in word order, each with its links.
    std::string blockA, blockB;
    for (std::size_t i : order) {
        const Record& r = records[i];
        if (!r.hasNode) continue;
        std::string node(SNET_NODE_RECORD_BYTES, '\0');
        put32(node, 0, r.entry);
        node[12] = static_cast<char>(r.links.size() & 0xFF);
        node[13] = static_cast<char>(r.links.size() >> 8);
        put32(node, 16, static_cast<std::uint32_t>(blockA.size()));
        blockB += node;
        for (const NodeLink& l : r.links) {
            std::string link(SNET_LINK_RECORD_BYTES, '\0');
            put32(link, 0, records[l.target].entry);
            link[8] = static_cast<char>(l.type);
            blockA += link;
        }
        report.links += r.links.size();
    }

    std::string blockD;
    for (std::size_t i : order) {
        const Record& r = records[i];
        std::string word(SNET_WORD_RECORD_BYTES, '\0');
        put32(word, 0, r.entry);
        word[4] = static_cast<char>(r.flags);
        word[8] = static_cast<char>(r.relations.size());
        put32(word, 12, relationAt[i]);
        word[16] = static_cast<char>(r.related.size());
        put32(word, 20, relatedAt[i]);
        put32(word, 24, static_cast<std::uint32_t>(r.node));
        blockD += word;
    }

    const std::uint64_t total =
        SNET_HEADER_BYTES + blockA.size() + blockB.size() + blockC.size() + blockD.size();
    if (total > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()) - 8) {
        report.errors.push_back("the network needs " + std::to_string(total) +
                                " bytes, more than an enciphered file can hold");
        return false;
    }
    plaintext.clear();
    append32(plaintext, SNET_MAGIC);
    append32(plaintext, 1);  // format version, kept and never read
    append32(plaintext, static_cast<std::uint32_t>(nodes));
    append32(plaintext, static_cast<std::uint32_t>(blockA.size()));
    append32(plaintext, static_cast<std::uint32_t>(blockB.size()));
    append32(plaintext, static_cast<std::uint32_t>(report.links));  // kept and never read
    append32(plaintext, static_cast<std::uint32_t>(records.size()));
    append32(plaintext, static_cast<std::uint32_t>(blockC.size()));
    append32(plaintext, static_cast<std::uint32_t>(blockD.size()));
    plaintext += blockA;
    plaintext += blockB;
    plaintext += blockC;
    plaintext += blockD;
    report.words = records.size();
    report.nodes = static_cast<std::size_t>(nodes);
    report.bytes = plaintext.size();
    return true;
}

int buildSemanticNetworkFile(const std::string& sourcePath, const std::string& outPath,
                             SemanticNetworkBuildReport& report)
{
    std::ifstream source(sourcePath, std::ios::binary);
    if (!source) {
        report.errors.push_back("cannot read " + sourcePath);
        return 1;
    }
    std::string plaintext;
    if (!buildSemanticNetwork(source, plaintext, report)) return 1;
    const auto image = encipherImage(plaintext);
    if (!image) {
        report.errors.push_back("the network is too large to encipher");
        return 1;
    }
    std::ofstream out(outPath, std::ios::binary | std::ios::trunc);
    out.write(image->data(), static_cast<std::streamsize>(image->size()));
    if (!out) {
        report.errors.push_back("cannot write " + outPath);
        return 1;
    }
    return 0;
}

}  // namespace quibo::tools
