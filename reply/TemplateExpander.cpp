#include "reply/TemplateExpander.h"

#include "conversation/RuleManager.h"
#include "knowledge/CDictionary.h"
#include "knowledge/EntitySet.h"
#include "platform/Clock.h"

#include <array>
#include <ctime>
#include <locale.h>
#include <time.h>
#include <vector>

namespace quibo {
namespace {

constexpr std::array<std::string_view, 9> VARIABLES = {
    VAR_USER_GREETING, VAR_USER_IGNORED, VAR_MONTH,          VAR_DAY,       VAR_WEEKDAY,
    VAR_HOUR,          VAR_MINUTE,       VAR_USER_UTTERANCE, VAR_TIME_BAND,
};

constexpr std::string_view NO_UTTERANCE = "・・・";

// The weekday names strftime gives under the C locale and under a Japanese
// Windows locale (Shift_JIS bytes), beside the abbreviations a page may use.
struct Weekday {
    std::string_view english;
    std::string_view abbreviation;
    std::string_view shiftJis;
    std::string_view kanji;
};

constexpr std::array<Weekday, 7> WEEKDAYS = {{
    {"Monday", "Mon.", "\x8C\x8E\x97\x6A\x93\xFA", "月"},
    {"Tuesday", "Tue.", "\x89\xCE\x97\x6A\x93\xFA", "火"},
    {"Wednesday", "Wed.", "\x90\x85\x97\x6A\x93\xFA", "水"},
    {"Thursday", "Thu.", "\x96\xD8\x97\x6A\x93\xFA", "木"},
    {"Friday", "Fri.", "\x8B\xE0\x97\x6A\x93\xFA", "金"},
    {"Saturday", "Sat.", "\x93\x79\x97\x6A\x93\xFA", "土"},
    {"Sunday", "Sun.", "\x93\xFA\x97\x6A\x93\xFA", "日"},
}};

// The surface of the last word whose knowledge object belongs to the set.
std::string lastWordIn(const MorphemeList& words, const EntitySet* set)
{
    std::string value;
    if (!set)
        return value;
    for (const Morpheme& word : words.words()) {
        const KnowledgeObject* object = word.getKnowledgeObject();
        if (object && set->contains(object))
            value = word.getSurface();
    }
    return value;
}

std::string withoutLeadingZero(std::string value)
{
    if (!value.empty() && value.front() == '0')
        value.erase(0, 1);
    return value;
}

std::string currentTimeBand()
{
    const RuleManager* rules = RuleManager::instance();
    if (!rules)
        return {};
    TimeBandMap bands;
    rules->timeBands(bands, formatLocalTime("%H:%M"));
    return bands.empty() ? std::string() : bands.rbegin()->first;
}

// The C locale, freed with the process or the library that holds it.
class CLocale {
public:
    CLocale() : m_locale(newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0))) {}
    ~CLocale()
    {
        if (m_locale)
            freelocale(m_locale);
    }
    CLocale(const CLocale&) = delete;
    CLocale& operator=(const CLocale&) = delete;
    locale_t get() const { return m_locale; }

private:
    locale_t m_locale;
};

// A work text in which the bytes of inserted values are marked, so that a
// variable is looked for only in what came from the template.
class WorkText {
public:
    explicit WorkText(const std::string& text) : m_text(text), m_inserted(text.size(), false) {}

    const std::string& text() const { return m_text; }

    // The lowest position of the variable outside inserted values.
    std::size_t find(std::string_view variable) const
    {
        for (std::size_t at = m_text.find(variable); at != std::string::npos; at = m_text.find(variable, at + 1)) {
            bool fromTemplate = true;
            for (std::size_t i = at; i < at + variable.size() && fromTemplate; ++i)
                fromTemplate = !m_inserted[i];
            if (fromTemplate)
                return at;
        }
        return std::string::npos;
    }

    void replace(std::size_t at, std::size_t length, const std::string& value)
    {
        m_text.replace(at, length, value);
        m_inserted.erase(m_inserted.begin() + at, m_inserted.begin() + at + length);
        m_inserted.insert(m_inserted.begin() + at, value.size(), true);
    }

private:
    std::string m_text;
    std::vector<bool> m_inserted;
};

}  // namespace

std::string expandTemplate(const std::string& text, const std::string& utterance, const MorphemeList& words,
                           CDictionary* knowledge)
{
    WorkText work(text);
    for (;;) {
        std::size_t order = 0;
        std::size_t at = std::string::npos;
        for (; order < VARIABLES.size(); ++order)
            if ((at = work.find(VARIABLES[order])) != std::string::npos)
                break;
        if (order == VARIABLES.size())
            return work.text();

        const std::string_view variable = VARIABLES[order];
        std::string value;
        if (variable == VAR_USER_GREETING)
            value = knowledge ? lastWordIn(words, knowledge->getEntitySet1()) : std::string();
        else if (variable == VAR_USER_IGNORED)
            value = knowledge ? lastWordIn(words, knowledge->getEntitySet4()) : std::string();
        else if (variable == VAR_MONTH)
            value = withoutLeadingZero(formatLocalTime("%m"));
        else if (variable == VAR_DAY)
            value = withoutLeadingZero(formatLocalTime("%d"));
        else if (variable == VAR_WEEKDAY)
            value = weekdayName(formatLocalTime("%A"));
        else if (variable == VAR_HOUR)
            value = withoutLeadingZero(formatLocalTime("%H"));
        else if (variable == VAR_MINUTE)
            value = formatLocalTime("%M");
        else if (variable == VAR_USER_UTTERANCE) {
            // A reply that would repeat the visitor's words has nothing to
            // repeat: the whole reply becomes the dots.
            if (utterance.empty())
                return std::string(NO_UTTERANCE);
            value = utterance;
        } else {
            value = currentTimeBand();
        }
        work.replace(at, variable.size(), value);
    }
}

std::string formatLocalTime(const char* format)
{
    const std::int64_t millis = platform::clock().wallMillis();
    std::int64_t seconds = millis / 1000;
    if (millis % 1000 < 0)
        --seconds;
    const std::time_t wall = static_cast<std::time_t>(seconds);
    tzset();  // a TZ changed since the last call holds
    std::tm local{};
    if (localtime_r(&wall, &local) == nullptr)
        return {};
    // Weekday names in English whatever locale the host process set.
    static const CLocale cLocale;
    char buffer[64] = {};
    const std::size_t length = cLocale.get() ? strftime_l(buffer, sizeof buffer, format, &local, cLocale.get())
                                             : std::strftime(buffer, sizeof buffer, format, &local);
    std::string_view result(buffer, length);
    while (!result.empty() && result.front() == ' ')
        result.remove_prefix(1);
    return std::string(result);
}

std::string weekdayName(const std::string& name)
{
    for (const Weekday& day : WEEKDAYS)
        if (name == day.english || name == day.abbreviation || name == day.shiftJis)
            return std::string(day.kanji);
    return name;
}

}  // namespace quibo
