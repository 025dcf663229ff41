// Debian's Chromium, headless, as a browser a test drives like a person:
// it shows pages, runs scripts, types into the focused field, clicks and
// takes screenshots.  It speaks the DevTools protocol over the pipe that
// --remote-debugging-pipe gives it (file descriptors 3 and 4, messages ended
// by NUL), so no driver program and no port is needed.
#pragma once

#include "pagemaker/PageBuilder.h"
#include "tests/support/TempFolder.h"

#include <nlohmann/json.hpp>

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace quibo::test {

class HeadlessChromium : public pagemaker::Browser {
public:
    static constexpr const char* PROGRAM = "/usr/bin/chromium";

    HeadlessChromium()
    {
        int commands[2];
        int answers[2];
        if (pipe2(commands, O_CLOEXEC) != 0 || pipe2(answers, O_CLOEXEC) != 0) {
            throw std::runtime_error("no pipes for chromium");
        }
        const std::string profile = "--user-data-dir=" + m_profile.path();
        m_pid = fork();
        if (m_pid == 0) {
            // Out of the way first: either end may already be 3 or 4.
            const int in = fcntl(commands[0], F_DUPFD, 10);
            const int out = fcntl(answers[1], F_DUPFD, 10);
            dup2(in, 3);
            dup2(out, 4);
            execl(PROGRAM, PROGRAM, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                  "--disable-background-networking", "--disable-component-update", "--disable-sync",
                  "--window-size=800,600", "--remote-debugging-pipe", profile.c_str(), "about:blank", nullptr);
            _exit(127);
        }
        close(commands[0]);
        close(answers[1]);
        m_to = commands[1];
        m_from = answers[0];
        const std::string target = command("Target.createTarget", {{"url", "about:blank"}})["targetId"];
        m_session = command("Target.attachToTarget", {{"targetId", target}, {"flatten", true}})["sessionId"];
    }
    ~HeadlessChromium() override
    {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        close(m_to);
        close(m_from);
    }

    void navigate(const std::string& url) override { onPage("Page.navigate", {{"url", url}}); }
    void runScript(const std::string& script) override { evaluate(script); }

    // The value of `expression` in the page (JSON null when it has none).
    nlohmann::json evaluate(const std::string& expression)
    {
        return onPage("Runtime.evaluate", {{"expression", expression}, {"returnByValue", true}})["result"]
            .value("value", nlohmann::json());
    }
    // Waits up to `millis` for `expression` to be true in the page.
    bool waitFor(const std::string& expression, int millis = 20000)
    {
        for (int waited = 0; waited < millis; waited += 50, usleep(50'000)) {
            if (evaluate("!!(" + expression + ")") == true) {
                return true;
            }
        }
        return false;
    }
    void type(const std::string& selector, const std::string& text)
    {
        evaluate("document.querySelector('" + selector + "').focus()");
        onPage("Input.insertText", {{"text", text}});
    }
    // A left click in the middle of the element, as the mouse gives it.
    void click(const std::string& selector)
    {
        const nlohmann::json centre = evaluate("(r => [r.x + r.width / 2, r.y + r.height / 2])(document.querySelector('" +
                                               selector + "').getBoundingClientRect())");
        for (const char* type : {"mousePressed", "mouseReleased"}) {
            onPage("Input.dispatchMouseEvent",
                   {{"type", type}, {"x", centre[0]}, {"y", centre[1]}, {"button", "left"}, {"clickCount", 1}});
        }
    }
    void screenshot(const std::string& file)
    {
        const std::string data = onPage("Page.captureScreenshot", {{"format", "png"}})["data"];
        std::ofstream(file, std::ios::binary) << base64Decoded(data);
    }

private:
    nlohmann::json onPage(const std::string& method, nlohmann::json params)
    {
        return command(method, std::move(params), m_session);
    }

    // Sends one command and waits (at most 30 s) for its answer; events
    // that come first are passed over.
    nlohmann::json command(const std::string& method, nlohmann::json params, const std::string& session = "")
    {
        nlohmann::json message = {{"id", ++m_lastId}, {"method", method}, {"params", std::move(params)}};
        if (!session.empty()) {
            message["sessionId"] = session;
        }
        const std::string text = message.dump() + '\0';
        if (write(m_to, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
            throw std::runtime_error("chromium took no command");
        }
        for (int waited = 0; waited < 30000;) {
            const std::size_t end = m_buffer.find('\0');
            if (end != std::string::npos) {
                const nlohmann::json answer = nlohmann::json::parse(m_buffer.substr(0, end));
                m_buffer.erase(0, end + 1);
                if (answer.value("id", 0) == m_lastId) {
                    if (answer.contains("error")) {
                        throw std::runtime_error(method + ": " + answer["error"].dump());
                    }
                    return answer["result"];
                }
                continue;
            }
            pollfd from{m_from, POLLIN, 0};
            char block[65536];
            const ssize_t got = poll(&from, 1, 100) > 0 ? read(m_from, block, sizeof block) : (waited += 100, -1);
            if (got == 0) {
                break;
            }
            if (got > 0) {
                m_buffer.append(block, static_cast<std::size_t>(got));
            }
        }
        throw std::runtime_error(method + ": chromium did not answer");
    }

    static std::string base64Decoded(const std::string& text)
    {
        static const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        std::string out;
        unsigned bits = 0;
        int count = 0;
        for (const char c : text) {
            const std::size_t value = alphabet.find(c);
            if (value == std::string::npos) {
                continue;
            }
            bits = (bits << 6) | static_cast<unsigned>(value);
            if ((count += 6) >= 8) {
                out += static_cast<char>((bits >> (count -= 8)) & 0xFF);
            }
        }
        return out;
    }

    TempFolder m_profile{"quibo-chromium"};
    pid_t m_pid = -1;
    int m_to = -1;
    int m_from = -1;
    int m_lastId = 0;
    std::string m_buffer;
    std::string m_session;
};

}  // namespace quibo::test
