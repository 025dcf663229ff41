// The controls that the pages of a served package have created, each behind
// a handle that a page cannot guess.  The control is apartment-threaded:
// only the thread that runs the pool (orvane-host's engine thread) creates,
// calls and destroys them.
#pragma once

#include "Orvane/OrvaneControl.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace quibo::orvane {

// The control's eight dispatch methods, by dispid.
enum class ControlMethod {
    Iinitialize = 1,
    IsetUserQuestion,
    IgetReplyInfo,
    IfreeReplyBstr,
    IgetErrorMessage,
    IfreeErrorBstr,
    IgetExtensionInfo,
    IfreeExtensionInfo,
};

std::optional<ControlMethod> controlMethodNamed(std::string_view name);

struct PoolLimits {
    std::size_t maxControls = 64;
    // A control no page has called for this long is destroyed.
    std::int64_t idleMillis = 20 * 60 * 1000;
    // When the pool is full, a control idle this long makes room for a new
    // one (the one idle longest first).
    std::int64_t idleWhenFullMillis = 60 * 1000;
    // Controls that the requests of one connection may hold at once.
    std::size_t maxPerConnection = 8;
};

class ControlPool {
public:
    ControlPool(const OrvaneClassObject& api, PoolLimits limits);
    ~ControlPool();
    ControlPool(const ControlPool&) = delete;
    ControlPool& operator=(const ControlPool&) = delete;

    enum class Refusal { None, PoolFull, ConnectionFull, NotCreated };
    struct Created {
        std::string handle;  // empty when refused
        Refusal refusal = Refusal::None;
    };
    // A new control for a request of `connection` (0: none known).  Refused
    // when the connection holds its share already, or when the pool is full
    // and no control has been idle long enough to make room.
    Created create(std::uint64_t connection = 0);
    bool release(const std::string& handle);
    // The result of `method` on the control of `handle`, with the argument
    // and the result in UTF-8 (Iinitialize answers "1" or "0", the free
    // methods ""); nothing for an unknown handle.
    std::optional<std::string> call(const std::string& handle, ControlMethod method, const std::string& argument);
    void destroyIdle();
    std::size_t size() const { return m_controls.size(); }

private:
    struct Entry {
        OrvaneCtrl* control;
        std::int64_t lastUse;
        std::uint64_t connection;
    };
    // Destroys the control idle longest, when it has been idle at least
    // `millis`: whether one went.
    bool destroyIdlest(std::int64_t millis);
    std::string invoke(OrvaneCtrl* control, ControlMethod method, const std::string& argument);

    const OrvaneClassObject& m_api;
    PoolLimits m_limits;
    std::map<std::string, Entry> m_controls;
};

}  // namespace quibo::orvane
