// pellmint: the page maker's desktop program.
#include "pagemaker/PellmintApp.h"
#include "pagemaker/gtk/FontAliases.h"
#include "pagemaker/gtk/PellmintWindow.h"
#include "pagemaker/gtk/SideDialogs.h"

#include <climits>
#include <csignal>
#include <glib-unix.h>
#include <gtk/gtk.h>
#include <unistd.h>

namespace {

quibo::pagemaker::PellmintApp* g_app = nullptr;

// Ended from outside: the work area goes as at a normal end.
gboolean onTerminate(gpointer signal)
{
    g_app->removeWorkArea();
    _exit(128 + GPOINTER_TO_INT(signal));
}

}  // namespace

int main(int argc, char** argv)
{
    using namespace quibo::pagemaker;
    registerFontAliases();
    gtk_init(&argc, &argv);
    PellmintApp app;
    if (!app.createWorkArea(temporaryFolder(), static_cast<int>(getpid()))) {
        messageBox(nullptr, MSG_NO_WORK_AREA);
        return 1;
    }
    g_app = &app;
    g_unix_signal_add(SIGINT, onTerminate, GINT_TO_POINTER(SIGINT));
    g_unix_signal_add(SIGTERM, onTerminate, GINT_TO_POINTER(SIGTERM));
    char startFolder[PATH_MAX] = "";
    if (getcwd(startFolder, sizeof startFolder) == nullptr) {
        startFolder[0] = '\0';
    }
    {
        PellmintWindow window(app.workArea(), startFolder);
        if (window.open()) {
            gtk_main();
        }
    }
    app.removeWorkArea();
    return 0;
}
