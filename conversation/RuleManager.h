// The dialogue engine's fixed decision tables: which rule flags and which
// cohesion methods (結束方式) a candidate's 64-bit feature word calls for, the
// priority order of the DCA values and of the reply kinds, the state rules of
// reply selection, the conjugation-form correlation table, the time-of-day
// bands, the CA kind of a set of judgement ids and the hit value of a DCA
// value.  Every table is compiled in; nothing is read from a file.  One
// instance serves the process, read-only once built.
//
// 64-bit words (DCA values, feature words, reply kinds) are plain unsigned
// 64-bit values here; callers that carry two 32-bit halves pass them low
// first.  0x80000000 stands sign-extended (0xFFFFFFFF80000000) in the
// cohesion priority list and zero-extended in the state rules and the
// reply-kind priority list: the two are different keys.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace quibo {

// A word x matches when it agrees with `value` on every bit of `care`.
struct RulePattern {
    std::uint64_t value = 0;
    std::uint64_t care = 0;

    bool matches(std::uint64_t x) const { return ((x ^ value) & care) == 0; }
};

// Output bit (group key) -> its patterns, in insertion order.
using RuleGroupTable = std::map<std::uint64_t, std::vector<RulePattern>>;

struct TimeBand {
    std::int32_t startHour = 0;
    std::int32_t startMinute = 0;
    std::int32_t endHour = 0;
    std::int32_t endMinute = 0;
};

// Band name (EUC-JP, ordered bytewise) -> band; a name may hold several.
using TimeBandMap = std::multimap<std::string, TimeBand>;

class RuleManager {
public:
    // The process's instance, built on first use; null only when it cannot
    // be allocated (the next call tries again).  Freed at exit, or when the
    // library that holds it is unloaded.
    static RuleManager* instance();

    // The OR of the keys of the groups that hold a pattern x matches.
    static std::uint64_t matchBits(const RuleGroupTable& table, std::uint64_t x);

    std::uint64_t getRuleFlags(const std::uint64_t& feature) const;
    // The cohesion methods the feature word calls for, in priority order.
    void selectCohesionMethods(std::uint64_t feature, std::vector<std::uint64_t>& methods) const;
    // Index of the first cohesion method whose low half shares a bit with
    // the value; 99 when none.
    unsigned getPriorityLevel(std::uint32_t dcaValue) const;
    // Index of the reply kind (low, high) in the reply-kind priority list;
    // the list's length when absent.  Smaller is stronger.
    unsigned getReplyPriority(std::uint32_t low, std::uint32_t high) const;
    // The state rule for the reply kind and the state code (sign-extended);
    // 1 when either has no entry.
    std::int32_t lookupStateRule(std::uint64_t replyKind, std::int32_t state) const;
    // The two-stage match classification of a topic unit's grade word.
    std::uint64_t classifyMatch(std::uint64_t word) const;
    // The bands that contain the time "hours:minutes"; every band for an
    // empty text, none for a text without two ":"-separated parts.
    void timeBands(TimeBandMap& result, const std::string& time) const;
    // The correlation code of two conjugation forms (both 1-based; the first
    // selects the column); -1 outside the table.
    std::int32_t getFormRelation(std::int32_t column, std::int32_t row) const;
    // "反射ＣＡ", "黙りＣＡ" or "確認ＣＡ" for the judgement ids.
    void caKind(std::string& result, const std::vector<std::int32_t>& ids) const;
    // The hit value of a DCA value, 6 when it has none; with `cap`, every
    // value but 8 is held to at most 5.
    std::int32_t getHitValue(std::uint32_t low, std::uint32_t high, bool cap) const;
    bool hasHitValue(std::uint32_t low, std::uint32_t high) const;

    RuleManager(const RuleManager&) = delete;
    RuleManager& operator=(const RuleManager&) = delete;

private:
    RuleManager();
    void build();

    std::int32_t m_cohesionMethodCount = 0;
    RuleGroupTable m_filterGroups;
    std::vector<std::uint64_t> m_cohesionPriority;
    RuleGroupTable m_ruleFlagGroups;
    RuleGroupTable m_cohesionGroups;
    std::map<std::uint64_t, std::map<std::uint64_t, std::int32_t>> m_stateRules;
    std::vector<std::uint64_t> m_replyKindPriority;
    RuleGroupTable m_firstStageMatch;
    RuleGroupTable m_secondStageMatch;
    std::vector<std::uint64_t> m_matchPicks;
    TimeBandMap m_timeBands;
    std::vector<std::vector<std::int32_t>> m_infrectedFormRelation;
    std::map<std::int32_t, std::int32_t> m_caBitsOfId;
    RuleGroupTable m_caGroups;
    std::map<std::uint64_t, std::int32_t> m_hitValues;
};

}  // namespace quibo
