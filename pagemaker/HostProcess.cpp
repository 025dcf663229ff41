#include "pagemaker/HostProcess.h"

#include "platform/Clock.h"

#include <climits>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
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
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
        return {};
    }
    const pid_t parent = getpid();
    m_pid = fork();
    if (m_pid == 0) {
        // A host whose Pellmint is gone, however it went, ends too.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent || dup2(pipeEnds[1], STDOUT_FILENO) < 0) {
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
    return line.substr(0, end);
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
