#include "Orvane/host/ControlPool.h"

#include "platform/Bstr.h"
#include "platform/Clock.h"
#include "platform/IconvText.h"

#include <random>

namespace quibo::orvane {
namespace {

constexpr std::string_view METHOD_NAMES[] = {
    "Iinitialize",      "IsetUserQuestion", "IgetReplyInfo",     "IfreeReplyBstr",
    "IgetErrorMessage", "IfreeErrorBstr",   "IgetExtensionInfo", "IfreeExtensionInfo",
};

std::string toShiftJis(const std::string& utf8) { return platform::convertWithIconv("CP932", "UTF-8", utf8); }

// 128 bits from the system's random device as hex: the engine's random
// sequence is seeded from the time, so a handle drawn from it could be guessed.
std::string newHandle()
{
    static std::random_device device;
    static constexpr char digits[] = "0123456789abcdef";
    std::string handle;
    for (int i = 0; i < 4; ++i) {
        for (std::uint32_t word = device(), n = 0; n < 8; ++n, word >>= 4) {
            handle += digits[word & 0xF];
        }
    }
    return handle;
}

}  // namespace

std::optional<ControlMethod> controlMethodNamed(std::string_view name)
{
    for (std::size_t i = 0; i < std::size(METHOD_NAMES); ++i) {
        if (METHOD_NAMES[i] == name) {
            return static_cast<ControlMethod>(i + 1);
        }
    }
    return std::nullopt;
}

ControlPool::ControlPool(const OrvaneClassObject& api, PoolLimits limits) : m_api(api), m_limits(limits) {}

ControlPool::~ControlPool()
{
    for (const auto& [handle, entry] : m_controls) {
        m_api.DestroyControl(entry.control);
    }
}

ControlPool::Created ControlPool::create(std::uint64_t connection)
{
    if (connection != 0) {
        std::size_t held = 0;
        for (const auto& [handle, entry] : m_controls) {
            held += entry.connection == connection ? 1 : 0;
        }
        if (held >= m_limits.maxPerConnection) {
            return {{}, Refusal::ConnectionFull};
        }
    }
    if (m_controls.size() >= m_limits.maxControls) {
        destroyIdle();
    }
    if (m_controls.size() >= m_limits.maxControls && !destroyIdlest(m_limits.idleWhenFullMillis)) {
        return {{}, Refusal::PoolFull};
    }
    OrvaneCtrl* control = m_api.CreateControl();
    if (!control) {
        return {{}, Refusal::NotCreated};
    }
    std::string handle = newHandle();
    m_controls[handle] = {control, platform::clock().elapsedMillis(), connection};
    return {handle, Refusal::None};
}

bool ControlPool::destroyIdlest(std::int64_t millis)
{
    auto idlest = m_controls.end();
    for (auto it = m_controls.begin(); it != m_controls.end(); ++it) {
        if (idlest == m_controls.end() || it->second.lastUse < idlest->second.lastUse) {
            idlest = it;
        }
    }
    if (idlest == m_controls.end() || platform::clock().elapsedMillis() - idlest->second.lastUse < millis) {
        return false;
    }
    m_api.DestroyControl(idlest->second.control);
    m_controls.erase(idlest);
    return true;
}

bool ControlPool::release(const std::string& handle)
{
    const auto found = m_controls.find(handle);
    if (found == m_controls.end()) {
        return false;
    }
    m_api.DestroyControl(found->second.control);
    m_controls.erase(found);
    return true;
}

std::optional<std::string> ControlPool::call(const std::string& handle, ControlMethod method,
                                             const std::string& argument)
{
    const auto found = m_controls.find(handle);
    if (found == m_controls.end()) {
        return std::nullopt;
    }
    std::string result = invoke(found->second.control, method, argument);
    found->second.lastUse = platform::clock().elapsedMillis();
    return result;
}

std::string ControlPool::invoke(OrvaneCtrl* control, ControlMethod method, const std::string& argument)
{
    const std::string text = toShiftJis(argument);
    switch (method) {
    case ControlMethod::Iinitialize:
        return m_api.Iinitialize(control, text.c_str()) ? "1" : "0";
    case ControlMethod::IsetUserQuestion:
        m_api.IsetUserQuestion(control, text.c_str());
        return {};
    case ControlMethod::IgetReplyInfo:
        return platform::bstrToUtf8(m_api.IgetReplyInfo(control));
    case ControlMethod::IfreeReplyBstr:
        m_api.IfreeReplyBstr(control);
        return {};
    case ControlMethod::IgetErrorMessage:
        return platform::bstrToUtf8(m_api.IgetErrorMessage(control));
    case ControlMethod::IfreeErrorBstr:
        m_api.IfreeErrorBstr(control);
        return {};
    case ControlMethod::IgetExtensionInfo:
        return platform::bstrToUtf8(m_api.IgetExtensionInfo(control, text.c_str()));
    case ControlMethod::IfreeExtensionInfo:
        m_api.IfreeExtensionInfo(control);
        return {};
    }
    return {};
}

void ControlPool::destroyIdle()
{
    const std::int64_t now = platform::clock().elapsedMillis();
    for (auto it = m_controls.begin(); it != m_controls.end();) {
        if (now - it->second.lastUse > m_limits.idleMillis) {
            m_api.DestroyControl(it->second.control);
            it = m_controls.erase(it);
        } else {
            ++it;
        }
    }
}

}  // namespace quibo::orvane
