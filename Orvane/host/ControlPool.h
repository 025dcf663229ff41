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
};

class ControlPool {
public:
    ControlPool(const OrvaneClassObject& api, PoolLimits limits);
    ~ControlPool();
    ControlPool(const ControlPool&) = delete;
    ControlPool& operator=(const ControlPool&) = delete;

    // A new control's handle; nothing when the pool is full even after its
    // idle controls went, or when the control could not be created.
    std::optional<std::string> create();
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
    };
    std::string invoke(OrvaneCtrl* control, ControlMethod method, const std::string& argument);

    const OrvaneClassObject& m_api;
    PoolLimits m_limits;
    std::map<std::string, Entry> m_controls;
};

}  // namespace quibo::orvane
