#include "conversation/RuleManager.h"

#include <climits>
#include <memory>
#include <new>
#include <utility>

namespace quibo {
namespace {

// 64-bit constants with a high half are written with a digit separator
// between the halves: 0x400'01000000 is high 0x400, low 0x01000000.
constexpr std::uint64_t SIGN_EXTENDED_80000000 = 0xFFFFFFFF'80000000;

struct PatternRow {
    RulePattern pattern;
    std::vector<std::uint64_t> groups;  // the group keys that hold the pattern
};
struct StateRuleRow {
    std::vector<std::uint64_t> replyKinds;
    std::int32_t state1, state2, state4;
};

constexpr unsigned NO_PRIORITY_LEVEL = 99;
constexpr std::int32_t NO_STATE_RULE = 1;
constexpr std::int32_t NO_FORM_RELATION = -1;
constexpr std::int32_t NO_HIT_VALUE = 6;
constexpr std::int32_t CAPPED_HIT_VALUE = 5;

std::uint64_t join(std::uint32_t low, std::uint32_t high)
{
    return static_cast<std::uint64_t>(high) << 32 | low;
}

// Leading decimal digits of a token; none give 0, too many saturate.
std::int32_t leadingNumber(const std::string& token)
{
    std::int64_t n = 0;
    for (char c : token) {
        if (c < '0' || c > '9')
            break;
        n = n * 10 + (c - '0');
        if (n > INT_MAX)
            return INT_MAX;
    }
    return static_cast<std::int32_t>(n);
}

// The tokens between ':' separators, empty tokens skipped.
std::vector<std::string> colonTokens(const std::string& text)
{
    std::vector<std::string> tokens;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(':', start);
        if (end == std::string::npos)
            end = text.size();
        if (end > start)
            tokens.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return tokens;
}

bool bandContains(const TimeBand& band, std::pair<std::int32_t, std::int32_t> time)
{
    const std::pair start{band.startHour, band.startMinute};
    const std::pair end{band.endHour, band.endMinute};
    if (start < end)
        return start <= time && time <= end;
    // A band that wraps past midnight.
    return time >= start || time <= end;
}

}  // namespace

RuleManager* RuleManager::instance()
{
    // Held here, so that the tables go with the process or with the library
    // that holds them, when a host unloads it.
    static std::unique_ptr<RuleManager> s_instance;
    if (!s_instance) {
        // Building the tables allocates too: out of memory there, the caller
        // gets no instance rather than an exception.
        try {
            s_instance.reset(new RuleManager());
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
    }
    return s_instance.get();
}

RuleManager::RuleManager() { build(); }

void RuleManager::build()
{
    // Built here, on first use of the instance, rather than as static data:
    // no static initialisation order can then show a table empty.

    // Rule flags: each pattern and the groups that hold it.
    const std::vector<PatternRow> ruleFlagRows = {
        {{0x1, 0x1DBFFF}, {0x1, 0x8000}},
        {{0x2, 0x118002}, {0x2, 0x8000}},
        {{0x4, 0x1E2C04}, {0x4, 0x8000, 0x10000, 0x20000}},
        {{0x8, 0x462008}, {0x8, 0x8000, 0x10000, 0x20000}},
        {{0x10, 0x162010}, {0x10, 0x8000, 0x10000, 0x20000}},
        {{0x20, 0x62020}, {0x20, 0x8000, 0x10000, 0x20000}},
        {{0x40, 0x62040}, {0x40, 0x8000, 0x10000, 0x20000}},
        {{0x80, 0x262080}, {0x80, 0x8000, 0x10000}},
        {{0x100, 0x662100}, {0x100, 0x8000, 0x10000, 0x20000}},
        {{0x200, 0x62200}, {0x200, 0x8000, 0x10000}},
        {{0x400, 0x400}, {0x400}},
        {{0x800, 0x802}, {0x800}},
        {{0x1000, 0x1000}, {0x1000}},
        {{0x2000, 0x12000}, {0x2000}},
        {{0x8000, 0x8000}, {0x4000}},
        {{0x10000, 0x10000}, {0x4000}},
    };

    // Filter bits of a feature word: the first step of cohesion selection.
    m_filterGroups = {
        {0x8000, {{0x810000, 0x810000}, {0x800100, 0x810100}}},
        {0x10000, {{0x400'01000000, 0x402'01000000}, {0x1'01000000, 0x3'01010000}}},
        {0x100000, {{0x4C0'01000000, 0x4C2'01000000}, {0xC1'01000000, 0xC3'01010000}}},
        {0x80000, {{0x2'01000000, 0x2'01000000}}},
        {0x20000, {{0x2010000, 0x2010000}, {0x2000100, 0x2010100}}},
        {0x40000, {{0x808000, 0x818000}, {0x10800100, 0x10810100}}},
        {0x800, {{0x18'00001000, 0x18'00001004}, {0x18'00000800, 0x18'00001800},
                 {0x18'00010000, 0x18'00010900}, {0x38'00000000, 0x38'00010000}}},
        {0x10, {{0x400'04000000, 0x400'04000000}}},
        {0x20, {{0x0, 0x400'04000000}}},
        {0x40, {{0x10000, 0x10000}}},
        {0x80, {{0x4, 0x4}, {0x8000000, 0x8000000}}},
        {0x2000, {{0x4, 0x4}}},
        {0x100, {{0x9, 0x9}}},
        {0x2, {{0x40000003, 0x40000003}}},
        {0x4000, {{0x4'00010000, 0x4'00010000}}},
    };

    // The cohesion methods in priority order, each with its one pattern over the
    // filter bits.
    const std::vector<std::pair<std::uint64_t, RulePattern>> cohesionMethods = {
        {0x6, {0x8000, 0x48000}},
        {0x18, {0x10000, 0x50000}},
        {0x60, {0x20000, 0x60000}},
        {0x1, {0x40000, 0x40000}},
        {0x200, {0x800, 0x1F8800}},
        {0x40000000, {0x80000, 0xC0000}},
        {0x2000, {0x10, 0x1F8010}},
        {0x10000, {0x20, 0x1F8020}},
        {0x4000, {0x40, 0x1F8050}},
        {0x80000, {0x80, 0x1F8090}},
        {0x100000, {0x100, 0x1F8110}},
        {0x20000000, {0x4000, 0x1FC010}},
        {SIGN_EXTENDED_80000000, {0x100000, 0x140000}},
        {0x1F000000, {0x2000, 0x1FA110}},
        {0x100, {0x800, 0x1F8800}},
        {0x400, {0x2, 0x1F8012}},
    };

    // State rules: reply kinds (high half 0) and their values for the states 1,
    // 2 and 4.  0x80000000 is zero-extended here.
    const std::vector<StateRuleRow> stateRuleRows = {
        {{0x1, 0x1000, 0x2000, 0x400000, 0x800000, 0x1000000, 0x2000000, 0x4000000, 0x8000000, 0x10000000,
          0x20000000, 0x80000000, 0x0},
         0, 0, 0},
        {{0x40000000}, 1, 1, 1},
        {{0x2, 0x8, 0x10, 0x20, 0x40, 0x800, 0x4000, 0x8000}, 1, 1, 2},
        {{0x4, 0x20000, 0x40000, 0x200000}, 2, 2, 2},
    };

    // Index 0 first; all high halves 0.
    m_replyKindPriority = {
        0x1,       0x2,       0x4,       0x8,       0x10,       0x20,       0x40,       0x80,
        0x800,     0x1000,    0x2000,    0x4000,    0x100,      0x8000,     0x20000,    0x40000,
        0x200000,  0x400000,  0x400,     0x800000,  0x1000000,  0x2000000,  0x4000000,  0x8000000,
        0x10000000, 0x20000000, 0x200,   0x40000000, 0x80000000, 0x0,
    };

    m_firstStageMatch = {
        {0x1, {{0x1000, 0x1001}, {0xC1, 0xC1}, {0x601, 0x601}, {0x19, 0x19}}},
        {0x2, {{0x2000, 0x2001}, {0x141, 0x141}, {0xA01, 0xA01}, {0x29, 0x269}}},
    };

    m_secondStageMatch = {
        {0x2, {{0x400001, 0x2'00400001}, {0x4'00400000, 0x6'007FC003}}},
        {0x40, {{0x800002, 0x2'00800002}}},
        {0x1, {{0x1'00000000, 0x1'003FC003}, {0x3'00000001, 0x3'00000001}}},
    };

    m_matchPicks = {0x40, 0x2, 0x1};

    const std::vector<std::pair<std::string, TimeBand>> bands = {
        {"朝", {5, 0, 11, 0}},
        {"昼", {10, 0, 18, 0}},
        {"夜", {17, 0, 24, 0}},
        {"夜", {0, 0, 6, 0}},
    };

    // Row r, column c; not symmetric.
    m_infrectedFormRelation = {
        {1, 4, 5, 5, 2, 2, 3, 4, 3, 4, 2, 2, 5, 2, 4, 2, 3},
        {4, 1, 5, 5, 4, 4, 3, 5, 3, 2, 4, 5, 5, 2, 4, 4, 3},
        {5, 5, 1, 5, 5, 5, 5, 4, 5, 5, 5, 5, 5, 5, 5, 5, 5},
        {5, 5, 5, 1, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5},
        {4, 4, 5, 5, 1, 4, 5, 5, 5, 4, 4, 4, 4, 4, 4, 4, 4},
        {5, 5, 5, 5, 4, 1, 5, 5, 5, 5, 4, 5, 5, 5, 5, 5, 5},
        {3, 3, 5, 5, 5, 5, 1, 5, 5, 3, 5, 5, 5, 5, 5, 3, 5},
        {4, 5, 4, 5, 5, 5, 5, 1, 5, 5, 5, 5, 5, 5, 5, 2, 5},
        {3, 3, 5, 5, 5, 3, 5, 5, 1, 3, 3, 3, 5, 3, 5, 3, 4},
        {4, 2, 5, 5, 4, 2, 3, 5, 3, 1, 4, 2, 5, 2, 5, 4, 3},
        {2, 5, 5, 5, 4, 4, 5, 5, 4, 4, 1, 2, 5, 2, 5, 5, 3},
        {2, 5, 5, 5, 4, 4, 3, 5, 5, 2, 2, 1, 5, 2, 5, 4, 3},
        {5, 5, 5, 5, 4, 5, 5, 5, 5, 5, 5, 5, 1, 5, 5, 5, 5},
        {4, 5, 5, 5, 4, 5, 5, 5, 3, 2, 2, 2, 5, 1, 5, 5, 5},
        {4, 4, 5, 5, 4, 5, 5, 5, 5, 5, 5, 5, 5, 5, 1, 5, 5},
        {2, 4, 5, 5, 4, 5, 3, 4, 3, 2, 5, 2, 5, 5, 5, 1, 3},
        {3, 3, 5, 5, 4, 5, 5, 5, 4, 3, 3, 3, 5, 5, 5, 3, 1},
    };

    // Judgement ids and their CA bits.
    const std::vector<std::pair<std::int32_t, std::vector<std::int32_t>>> caBitsOfIds = {
        {0x10, {140}},
        {9, {67, 133}},
        {4, {69, 95, 96, 150, 151, 152}},
        {2, {76, 100, 101, 146, 153, 154}},
        {1, {1,   2,   3,   4,   5,   6,   7,   12,  62,  63,  64,  66,  68,  70,  71,  72,  90,  91,  92,  93,
             102, 103, 105, 106, 107, 109, 111, 121, 122, 123, 124, 134, 135, 141, 142, 143, 144, 145, 160, 161,
             162, 163, 170, 171, 172, 175, 176, 180, 181, 190, 191}},
    };

    m_caGroups = {
        {0x1, {{0x0, 0x1F}}},
        {0x8, {{0x10, 0x1F}}},
        {0x4, {{0x2, 0xE}}},
    };

    // All with high half 0.
    m_hitValues = {
        {0x8, 6}, {0x2000, 6}, {0x10000, 3}, {0x4000, 3}, {0x80000, 6}, {0x40000000, 3},
    };

    for (const auto& [method, pattern] : cohesionMethods) {
        m_cohesionPriority.push_back(method);
        m_cohesionGroups[method].push_back(pattern);
    }
    m_cohesionMethodCount = static_cast<std::int32_t>(m_cohesionPriority.size());
    for (const PatternRow& row : ruleFlagRows)
        for (std::uint64_t group : row.groups)
            m_ruleFlagGroups[group].push_back(row.pattern);
    for (const StateRuleRow& row : stateRuleRows)
        for (std::uint64_t kind : row.replyKinds)
            m_stateRules[kind] = {{1, row.state1}, {2, row.state2}, {4, row.state4}};
    m_timeBands.insert(bands.begin(), bands.end());
    for (const auto& [bits, ids] : caBitsOfIds)
        for (std::int32_t id : ids)
            m_caBitsOfId[id] = bits;
}

std::uint64_t RuleManager::matchBits(const RuleGroupTable& table, std::uint64_t x)
{
    std::uint64_t bits = 0;
    for (const auto& [key, patterns] : table) {
        for (const RulePattern& pattern : patterns) {
            if (pattern.matches(x)) {
                bits |= key;
                break;
            }
        }
    }
    return bits;
}

std::uint64_t RuleManager::getRuleFlags(const std::uint64_t& feature) const
{
    return matchBits(m_ruleFlagGroups, feature);
}

void RuleManager::selectCohesionMethods(std::uint64_t feature, std::vector<std::uint64_t>& methods) const
{
    methods.clear();
    if (m_cohesionMethodCount == 0)
        return;
    const std::uint64_t filterBits = matchBits(m_filterGroups, feature);
    for (std::uint64_t method : m_cohesionPriority) {
        auto group = m_cohesionGroups.find(method);
        if (group == m_cohesionGroups.end())
            continue;
        for (const RulePattern& pattern : group->second) {
            if (pattern.matches(filterBits)) {
                methods.push_back(method);
                break;
            }
        }
    }
}

unsigned RuleManager::getPriorityLevel(std::uint32_t dcaValue) const
{
    for (std::size_t i = 0; i < m_cohesionPriority.size(); ++i)
        if ((static_cast<std::uint32_t>(m_cohesionPriority[i]) & dcaValue) != 0)
            return static_cast<unsigned>(i);
    return NO_PRIORITY_LEVEL;
}

unsigned RuleManager::getReplyPriority(std::uint32_t low, std::uint32_t high) const
{
    const std::uint64_t kind = join(low, high);
    for (std::size_t i = 0; i < m_replyKindPriority.size(); ++i)
        if (m_replyKindPriority[i] == kind)
            return static_cast<unsigned>(i);
    return static_cast<unsigned>(m_replyKindPriority.size());
}

std::int32_t RuleManager::lookupStateRule(std::uint64_t replyKind, std::int32_t state) const
{
    auto kind = m_stateRules.find(replyKind);
    if (kind == m_stateRules.end())
        return NO_STATE_RULE;
    auto rule = kind->second.find(static_cast<std::uint64_t>(static_cast<std::int64_t>(state)));
    return rule == kind->second.end() ? NO_STATE_RULE : rule->second;
}

std::uint64_t RuleManager::classifyMatch(std::uint64_t word) const
{
    const std::uint64_t high = word >> 32;
    const std::uint64_t low = word & 0xFFFFFFFF;
    const std::uint64_t stage1 = matchBits(m_firstStageMatch, (high & ~std::uint64_t{7}) << 32 | (low & 0x3FFF));
    const std::uint64_t y = (stage1 | (high & 7) << 32) | (low & ~std::uint64_t{0x3FFF});
    const std::uint64_t result = matchBits(m_secondStageMatch, y);
    for (std::uint64_t pick : m_matchPicks)
        if (result & pick)
            return pick;
    return result;
}

void RuleManager::timeBands(TimeBandMap& result, const std::string& time) const
{
    result.clear();
    if (time.empty()) {
        result = m_timeBands;
        return;
    }
    const std::vector<std::string> tokens = colonTokens(time);
    if (tokens.size() < 2)
        return;
    const std::pair at{leadingNumber(tokens[0]), leadingNumber(tokens[1])};
    for (const auto& [name, band] : m_timeBands)
        if (bandContains(band, at))
            result.emplace_hint(result.end(), name, band);
}

std::int32_t RuleManager::getFormRelation(std::int32_t column, std::int32_t row) const
{
    if (row < 1 || static_cast<std::size_t>(row) > m_infrectedFormRelation.size())
        return NO_FORM_RELATION;
    const std::vector<std::int32_t>& codes = m_infrectedFormRelation[row - 1];
    if (column < 1 || static_cast<std::size_t>(column) > codes.size())
        return NO_FORM_RELATION;
    return codes[column - 1];
}

void RuleManager::caKind(std::string& result, const std::vector<std::int32_t>& ids) const
{
    std::int32_t bits = 0;
    for (std::int32_t id : ids) {
        auto found = m_caBitsOfId.find(id);
        if (found != m_caBitsOfId.end())
            bits |= found->second;
    }
    const std::uint64_t k = matchBits(m_caGroups, static_cast<std::uint64_t>(static_cast<std::int64_t>(bits)));
    if (k == 1 || k == 8)
        result = "反射ＣＡ";
    else if (k == 4)
        result = "黙りＣＡ";
    else
        result = "確認ＣＡ";
}

std::int32_t RuleManager::getHitValue(std::uint32_t low, std::uint32_t high, bool cap) const
{
    auto found = m_hitValues.find(join(low, high));
    std::int32_t value = found == m_hitValues.end() ? NO_HIT_VALUE : found->second;
    if (cap && !(low == 8 && high == 0) && value > CAPPED_HIT_VALUE)
        value = CAPPED_HIT_VALUE;
    return value;
}

bool RuleManager::hasHitValue(std::uint32_t low, std::uint32_t high) const
{
    return m_hitValues.count(join(low, high)) != 0;
}

}  // namespace quibo
