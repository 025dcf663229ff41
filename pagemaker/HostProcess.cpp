#include "pagemaker/HostProcess.h"

#include "platform/Clock.h"

#include <climits>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quibo::pagemaker {
namespace {

constexpr std::string_view ADDRESS_START = "http://127.0.0.1:";

}  // namespace

std::string HostProcess::start(const std::string& folder)
{
    stop();
    m_failure.clear();
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
        return {};
    }
    m_errors = memfd_create("orvane-host-errors", MFD_CLOEXEC);
    m_errorsRead = 0;
    const pid_t parent = getpid();
    m_pid = fork();
    if (m_pid == 0) {
        // A host whose Pellmint is gone, however it went, ends too.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent || dup2(pipeEnds[1], STDOUT_FILENO) < 0 ||
            (m_errors >= 0 && dup2(m_errors, STDERR_FILENO) < 0)) {
            _exit(127);
        }
        const char* arguments[] = {m_program.c_str(), "--serve", folder.c_str(), "--port", "0", nullptr};
        execvp(arguments[0], const_cast<char* const*>(arguments));
        _exit(127);
    }
    close(pipeEnds[1]);
    m_output = pipeEnds[0];
    if (m_pid < 0) {
        stop();
        return {};
    }
    // The host's first line is its address, written once it listens.
    std::string line;
    const platform::Clock& clock = platform::clock();
    const std::int64_t deadline = clock.elapsedMillis() + START_TIMEOUT_MILLIS;
    while (line.find('\n') == std::string::npos && clock.elapsedMillis() < deadline) {
        pollfd output{m_output, POLLIN, 0};
        char block[256];
        const ssize_t got = poll(&output, 1, 0) > 0 ? read(m_output, block, sizeof block) : -1;
        if (got == 0) {
            break;
        }
        if (got > 0) {
            line.append(block, static_cast<std::size_t>(got));
        } else {
            clock.sleepMillis(20);
        }
    }
    const std::size_t end = line.find('\n');
    if (end == std::string::npos || line.compare(0, ADDRESS_START.size(), ADDRESS_START) != 0) {
        stop();
        return {};
    }
    forwardErrors();
    m_started = true;
    return line.substr(0, end);
}

std::string HostProcess::forwardErrors()
{
    const std::string said = takeErrors();
    if (!said.empty()) {
        [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, said.data(), said.size());
    }
    return said;
}

std::string HostProcess::takeErrors()
{
    std::string text;
    char block[4096];
    for (ssize_t n; m_errors >= 0 && (n = pread(m_errors, block, sizeof block, m_errorsRead)) > 0;) {
        text.append(block, static_cast<std::size_t>(n));
        m_errorsRead += n;
    }
    return text;
}

void HostProcess::stop()
{
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        const platform::Clock& clock = platform::clock();
        const std::int64_t deadline = clock.elapsedMillis() + STOP_TIMEOUT_MILLIS;
        while (waitpid(m_pid, nullptr, WNOHANG) == 0) {
            if (clock.elapsedMillis() >= deadline) {
                kill(m_pid, SIGKILL);
                waitpid(m_pid, nullptr, 0);
                break;
            }
            clock.sleepMillis(10);
        }
    }
    m_pid = -1;
    if (m_output >= 0) {
        close(m_output);
        m_output = -1;
    }
    if (m_errors >= 0) {
        const bool started = m_started;
        const std::string said = forwardErrors();
        // A host that never listened said why in its last line.
        const std::string lines = said.substr(0, said.find_last_not_of('\n') + 1);
        if (!started && !lines.empty()) {
            m_failure = lines.substr(lines.rfind('\n') + 1);
        }
        close(m_errors);
        m_errors = -1;
    }
    m_started = false;
}

std::string defaultHostProgram()
{
    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length > 0) {
        std::string beside(self, static_cast<std::size_t>(length));
        beside = beside.substr(0, beside.rfind('/') + 1) + "orvane-host";
        if (access(beside.c_str(), X_OK) == 0) {
            return beside;
        }
    }
    return "orvane-host";
}

}  // namespace quibo::pagemaker
