// The host that serves the test window's package.  No browser here hosts
// the control inside a page, so the test window's page talks to an
// orvane-host started for the work folder, and the host is stopped when the
// window closes.
#pragma once

#include <cstdint>
#include <string>
#include <sys/types.h>

namespace quibo::pagemaker {

class PackageHost {
public:
    virtual ~PackageHost() = default;
    // Serves `folder`: the address of its root ("http://127.0.0.1:N/"), or
    // "" when no host could be started.
    virtual std::string start(const std::string& folder) = 0;
    virtual void stop() = 0;
    // Why the last start failed, as the host said it (which registry file
    // it looked in for the control, ...); "" when it did not say.
    virtual std::string failure() const { return {}; }
};

// orvane-host run as a child process.
class HostProcess : public PackageHost {
public:
    static constexpr std::int64_t START_TIMEOUT_MILLIS = 20000;
    static constexpr std::int64_t STOP_TIMEOUT_MILLIS = 5000;

    explicit HostProcess(std::string program) : m_program(std::move(program)) {}
    ~HostProcess() override { stop(); }
    HostProcess(const HostProcess&) = delete;
    HostProcess& operator=(const HostProcess&) = delete;

    std::string start(const std::string& folder) override;
    // SIGTERM, and SIGKILL when the host has not ended in time.  What the
    // host wrote on standard error goes on to this program's.
    void stop() override;
    std::string failure() const override { return m_failure; }
    pid_t pid() const { return m_pid; }

private:
    // What the host wrote on standard error since the last look; forwarded
    // to this program's standard error too.
    std::string takeErrors();
    std::string forwardErrors();

    std::string m_program;
    pid_t m_pid = -1;
    int m_output = -1;
    // The host's standard error, kept in memory so that a failed start can
    // be told.
    int m_errors = -1;
    off_t m_errorsRead = 0;
    bool m_started = false;
    std::string m_failure;
};

// The orvane-host beside this program, else the one on the PATH.
std::string defaultHostProgram();

}  // namespace quibo::pagemaker
