#include "Orvane/host/OrvaneHost.h"

#include "Orvane/OrvaneControl.h"
#include "Orvane/host/HttpHost.h"
#include "platform/Bstr.h"
#include "platform/IconvText.h"
#include "platform/InProcessServer.h"
#include "platform/Registry.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <fstream>
#include <iostream>
#include <memory>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

namespace quibo::orvane {
namespace {

std::string toShiftJis(const std::string& utf8) { return platform::convertWithIconv("CP932", "UTF-8", utf8); }

// A result of the control as one line of UTF-8; the control keeps the BSTR.
std::string line(BSTR text)
{
    std::string result = platform::bstrToUtf8(text);
    for (char& c : result) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return result;
}

// One control of the loaded server, destroyed with the object.
class Control {
public:
    explicit Control(const OrvaneClassObject& api) : m_api(api), m_control(api.CreateControl()) {}
    ~Control()
    {
        if (m_control) {
            m_api.DestroyControl(m_control);
        }
    }
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    bool created() const { return m_control != nullptr; }
    bool initialize(const std::string& url) { return m_api.Iinitialize(m_control, toShiftJis(url).c_str()) != 0; }
    void ask(const std::string& question) { m_api.IsetUserQuestion(m_control, toShiftJis(question).c_str()); }
    std::string reply()
    {
        const std::string text = line(m_api.IgetReplyInfo(m_control));
        m_api.IfreeReplyBstr(m_control);
        return text;
    }
    std::string error()
    {
        const std::string text = line(m_api.IgetErrorMessage(m_control));
        m_api.IfreeErrorBstr(m_control);
        return text;
    }
    std::string extension(const std::string& name)
    {
        const std::string text = line(m_api.IgetExtensionInfo(m_control, toShiftJis(name).c_str()));
        m_api.IfreeExtensionInfo(m_control);
        return text;
    }

private:
    const OrvaneClassObject& m_api;
    OrvaneCtrl* m_control;
};

}  // namespace

std::optional<HostOptions> parseHostArguments(const std::vector<std::string>& arguments, std::string& error)
{
    HostOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool valued = argument == "--knowledge" || argument == "--extension" || argument == "--serve" ||
                            argument == "--port";
        if (valued && i + 1 == arguments.size()) {
            error = argument + " needs a value";
            return std::nullopt;
        }
        if (argument == "--plain") {
            options.plain = true;
        } else if (argument == "--knowledge") {
            options.knowledge = arguments[++i];
        } else if (argument == "--extension") {
            options.extensionNames.push_back(arguments[++i]);
        } else if (argument == "--serve") {
            options.serveFolder = arguments[++i];
        } else if (argument == "--port") {
            const std::string& port = arguments[++i];
            if (port.empty() || port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos ||
                std::stoi(port) > 65535) {
                error = "--port needs a number from 0 to 65535";
                return std::nullopt;
            }
            options.port = std::stoi(port);
        } else if (argument.size() > 1 && argument[0] == '-') {
            error = "unknown option " + argument;
            return std::nullopt;
        } else if (options.questionsFile.empty()) {
            options.questionsFile = argument;
        } else {
            error = "one questions file only";
            return std::nullopt;
        }
    }
    if (!options.serveFolder.empty() && !options.questionsFile.empty()) {
        error = "--serve takes no questions file";
        return std::nullopt;
    }
    return options;
}

std::string defaultKnowledgeFile()
{
    const std::string install = platform::readRegistryString(platform::PRODUCT_KEY, "INSTALLPATH");
    return install.empty() ? std::string() : install + "QUIBO3.1/knowledge/sample/index.pdata";
}

int runHost(const HostOptions& options, std::istream& questions, std::ostream& out, std::ostream& err)
{
    std::string error;
    const std::unique_ptr<platform::InProcessServer> server = platform::InProcessServer::load(ORVANE_PROGID, error);
    if (!server) {
        err << "orvane-host: " << error << "\n";
        return 1;
    }
    Control control(*static_cast<const OrvaneClassObject*>(server->classObject()));
    if (!control.created()) {
        err << "orvane-host: the control could not be created\n";
        return 1;
    }
    const std::string knowledge = options.knowledge.empty() ? defaultKnowledgeFile() : options.knowledge;
    if (!control.initialize(knowledge)) {
        const std::string reason = control.error();
        err << "orvane-host: cannot initialise the control with \"" << knowledge << "\""
            << (reason.empty() ? "" : ": " + reason) << "\n";
        return 1;
    }
    const bool prompt = !options.plain && &questions == &std::cin && isatty(STDIN_FILENO);
    out << (options.plain ? "" : "orvane: ") << control.reply() << std::endl;
    std::string question;
    while ((prompt && (out << "> " << std::flush)), std::getline(questions, question)) {
        if (!question.empty() && question.back() == '\r') {
            question.pop_back();
        }
        if (question.find_first_not_of(" \t") == std::string::npos) {
            continue;
        }
        control.ask(question);
        const std::string reply = control.reply();
        if (options.plain) {
            out << reply << std::endl;
            continue;
        }
        if (!prompt) {
            out << "you: " << question << "\n";
        }
        out << "orvane: " << reply << "\n";
        for (const std::string& name : options.extensionNames) {
            if (const std::string value = control.extension(name); !value.empty()) {
                out << "    " << name << "=" << value << "\n";
            }
        }
        out << std::flush;
    }
    return 0;
}

int serveFolder(const HostOptions& options, std::ostream& out, std::ostream& err)
{
    // SIGINT and SIGTERM end the host through sigwait below; they are
    // blocked before any thread starts, so that every thread inherits that.
    sigset_t endSignals;
    sigemptyset(&endSignals);
    sigaddset(&endSignals, SIGINT);
    sigaddset(&endSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &endSignals, nullptr);
    // A browser that drops a connection must not end the host.
    signal(SIGPIPE, SIG_IGN);

    std::string error;
    const std::unique_ptr<platform::InProcessServer> library = platform::InProcessServer::load(ORVANE_PROGID, error);
    if (!library) {
        err << "orvane-host: " << error << "\n";
        return 1;
    }
    PackageServer server(options.serveFolder, *static_cast<const OrvaneClassObject*>(library->classObject()));
    if (server.folder().root().empty()) {
        err << "orvane-host: " << options.serveFolder << " is no folder\n";
        return 1;
    }
    HttpHost http(server);
    const int port = http.start(options.port);
    if (port < 0) {
        err << "orvane-host: cannot listen on 127.0.0.1:" << options.port << "\n";
        return 1;
    }
    out << "http://127.0.0.1:" << port << "/" << std::endl;
    int received = 0;
    sigwait(&endSignals, &received);
    return 0;
}

int registerLibrary(const std::string& libraryPath, bool unregister, std::ostream& err)
{
    char absolute[PATH_MAX];
    if (!realpath(libraryPath.c_str(), absolute)) {
        err << "orvane-register: no library at " << libraryPath << "\n";
        return 1;
    }
    const std::unique_ptr<void, int (*)(void*)> library(dlopen(absolute, RTLD_NOW | RTLD_LOCAL), dlclose);
    if (!library) {
        const char* reason = dlerror();
        err << "orvane-register: " << (reason ? reason : "cannot load the library") << "\n";
        return 1;
    }
    const char* entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    const auto call = reinterpret_cast<HRESULT (*)()>(dlsym(library.get(), entry));
    if (!call) {
        err << "orvane-register: " << absolute << " exports no " << entry << "\n";
        return 1;
    }
    if (const HRESULT result = call(); result != ORVANE_S_OK) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(result));
        err << "orvane-register: " << entry << " failed with " << code << "\n";
        return 1;
    }
    return 0;
}

}  // namespace quibo::orvane
