// Debian's Chromium, headless, as a browser a test drives like a person:
// it shows pages, runs scripts, types, clicks and takes screenshots.  It
// speaks the DevTools protocol over the pipe --remote-debugging-pipe gives
// it (descriptors 3 and 4, messages ended by NUL): no driver, no port.
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
            dup2(fcntl(commands[0], F_DUPFD, 10), 3);
            dup2(fcntl(answers[1], F_DUPFD, 10), 4);
            execl("/usr/bin/chromium", "chromium", "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                  "--no-first-run", "--disable-background-networking", "--disable-component-update",
                  "--disable-sync", "--window-size=800,600", "--remote-debugging-pipe", profile.c_str(),
                  "about:blank", nullptr);
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
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
        close(m_to);
        close(m_from);
    }

    void navigate(const std::string& url) override { command("Page.navigate", {{"url", url}}, m_session); }
    void runScript(const std::string& script) override { evaluate(script); }

    nlohmann::json evaluate(const std::string& expression)
    {
        const nlohmann::json result =
            command("Runtime.evaluate", {{"expression", expression}, {"returnByValue", true}}, m_session);
        return result["result"].value("value", nlohmann::json());
    }
    // Whether `expression` came true within 20 s.
    bool waitFor(const std::string& expression)
    {
        for (int tries = 0; tries < 400; ++tries, usleep(50'000)) {
            if (evaluate("!!(" + expression + ")") == true) {
                return true;
            }
        }
        return false;
    }
    void type(const std::string& selector, const std::string& text)
    {
        evaluate("document.querySelector('" + selector + "').focus()");
        command("Input.insertText", {{"text", text}}, m_session);
    }
    // A left click in the middle of the element, as the mouse gives it.
    void click(const std::string& selector)
    {
        const nlohmann::json at = evaluate("(r => [r.x + r.width / 2, r.y + r.height / 2])(document.querySelector('" +
                                           selector + "').getBoundingClientRect())");
        for (const char* type : {"mousePressed", "mouseReleased"}) {
            command("Input.dispatchMouseEvent",
                    {{"type", type}, {"x", at[0]}, {"y", at[1]}, {"button", "left"}, {"clickCount", 1}}, m_session);
        }
    }
    void screenshot(const std::string& file)
    {
        const std::string data = command("Page.captureScreenshot", {{"format", "png"}}, m_session)["data"];
        static const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        std::string png;
        unsigned bits = 0;
        int held = 0;
        for (const char c : data) {
            if (const std::size_t value = alphabet.find(c); value != std::string::npos) {
                bits = (bits << 6) | static_cast<unsigned>(value);
                if ((held += 6) >= 8) {
                    png += static_cast<char>((bits >> (held -= 8)) & 0xFF);
                }
            }
        }
        std::ofstream(file, std::ios::binary) << png;
    }

private:
    // Sends one command and waits (at most 30 s) for its answer, passing
    // over the events that come first.
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
            if (const std::size_t end = m_buffer.find('\0'); end != std::string::npos) {
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
            m_buffer.append(block, static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
        }
        throw std::runtime_error(method + ": chromium did not answer");
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
