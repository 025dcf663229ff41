// A GTK module that plays an author at the real `pellmint` window: loaded
// into the program through GTK_MODULES, it waits for the template list and
// the thumbnail, takes a screenshot, opens the About box from the menu,
// opens the font dialog and reads which face each sample is drawn in, tests
// the package in the test window until the greeting shows, then picks a
// template, enters the resource file, presses "パッケージ作成", answers the
// message box and presses "終了".  What it saw goes to the report file
// PELLMINT_DRIVER_REPORT, one line per step; the screenshot to
// PELLMINT_DRIVER_SHOT.  Every wait is bounded.
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

constexpr int POLL_MS = 100;
constexpr int DEADLINE_MS = 150000;

struct Driver {
    int step = 0;
    int waited = 0;
    int settle = 0;
    bool asking = false;  // a script's answer is awaited
    std::string greeting;
    std::string report;
    std::string shot;
    std::string resource;
};

void note(const Driver& d, const std::string& line)
{
    if (FILE* f = std::fopen(d.report.c_str(), "a")) {
        std::fprintf(f, "%s\n", line.c_str());
        std::fclose(f);
    }
}

// The first widget below `widget` (itself included, and the submenus of menu
// items) that `accept` takes, or null.
template <typename Accept>
GtkWidget* find(GtkWidget* widget, Accept accept)
{
    if (accept(widget)) {
        return widget;
    }
    GtkWidget* found = nullptr;
    if (GTK_IS_MENU_ITEM(widget)) {
        if (GtkWidget* submenu = gtk_menu_item_get_submenu(GTK_MENU_ITEM(widget))) {
            found = find(submenu, accept);
        }
    }
    if (found == nullptr && GTK_IS_CONTAINER(widget)) {
        GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
        for (GList* c = children; c != nullptr && found == nullptr; c = c->next) {
            found = find(GTK_WIDGET(c->data), accept);
        }
        g_list_free(children);
    }
    return found;
}

GtkWidget* findNamed(GtkWidget* widget, const char* name)
{
    return find(widget, [name](GtkWidget* w) { return g_strcmp0(gtk_widget_get_name(w), name) == 0; });
}

GtkWidget* findButton(GtkWidget* widget, const char* label)
{
    return find(widget, [label](GtkWidget* w) {
        return GTK_IS_BUTTON(w) && g_strcmp0(gtk_button_get_label(GTK_BUTTON(w)), label) == 0;
    });
}

// The visible toplevel that `accept` takes, or null.
template <typename Accept>
GtkWidget* toplevel(Accept accept)
{
    GtkWidget* found = nullptr;
    GList* windows = gtk_window_list_toplevels();
    for (GList* w = windows; w != nullptr && found == nullptr; w = w->next) {
        GtkWidget* window = GTK_WIDGET(w->data);
        if (gtk_widget_get_visible(window) && accept(window)) {
            found = window;
        }
    }
    g_list_free(windows);
    return found;
}

GtkWidget* titled(const char* title)
{
    return toplevel([title](GtkWidget* w) { return g_strcmp0(gtk_window_get_title(GTK_WINDOW(w)), title) == 0; });
}

GtkWidget* mainWindow()
{
    return titled("Pellmint");
}

GtkWidget* messageBox()
{
    return toplevel([](GtkWidget* w) { return GTK_IS_MESSAGE_DIALOG(w); });
}

void clickLater(GtkWidget* button)
{
    // Clicked from an idle of its own, so that the modal loops it opens do
    // not block this driver's polling.
    g_idle_add(+[](gpointer b) {
        gtk_button_clicked(GTK_BUTTON(b));
        return G_SOURCE_REMOVE;
    }, button);
}

// Pixels of the preview in `shot` close to the thumbnail header's colour.
int headerPixels(GdkPixbuf* shot, GtkWidget* window, GtkWidget* preview)
{
    int x0 = 0;
    int y0 = 0;
    gtk_widget_translate_coordinates(preview, window, 0, 0, &x0, &y0);
    const int width = gtk_widget_get_allocated_width(preview);
    const int height = gtk_widget_get_allocated_height(preview);
    const int channels = gdk_pixbuf_get_n_channels(shot);
    const int stride = gdk_pixbuf_get_rowstride(shot);
    const guchar* pixels = gdk_pixbuf_get_pixels(shot);
    int count = 0;
    for (int y = y0; y < y0 + height && y < gdk_pixbuf_get_height(shot); ++y) {
        for (int x = x0; x < x0 + width && x < gdk_pixbuf_get_width(shot); ++x) {
            const guchar* p = pixels + y * stride + x * channels;
            count += std::abs(p[0] - 0xb3) < 8 && std::abs(p[1] - 0x54) < 8 && std::abs(p[2] - 0x1e) < 8;
        }
    }
    return count;
}

// The family of the face the label's first run of text is drawn in, as
// fontconfig resolved it.
std::string drawnFamily(GtkWidget* label)
{
    PangoLayoutIter* iter = pango_layout_get_iter(gtk_label_get_layout(GTK_LABEL(label)));
    std::string family = "(no text)";
    if (PangoLayoutRun* run = pango_layout_iter_get_run_readonly(iter)) {
        PangoFontDescription* description = pango_font_describe(run->item->analysis.font);
        family = pango_font_description_get_family(description);
        pango_font_description_free(description);
    }
    pango_layout_iter_free(iter);
    return family;
}

// The orvane-host processes this program started that are still there.
int hostChildren()
{
    int count = 0;
    const std::string parent = std::to_string(getpid());
    DIR* proc = opendir("/proc");
    while (dirent* entry = proc != nullptr ? readdir(proc) : nullptr) {
        std::ifstream stat(std::string("/proc/") + entry->d_name + "/stat");
        std::string pid, command, state, ppid;
        if (stat >> pid >> command >> state >> ppid && ppid == parent && command == "(orvane-host)") {
            ++count;
        }
    }
    if (proc != nullptr) {
        closedir(proc);
    }
    return count;
}

// Asks the test window's page for the first reply it shows.
void askForGreeting(Driver& d, GtkWidget* view)
{
    d.asking = true;
    webkit_web_view_evaluate_javascript(
        WEBKIT_WEB_VIEW(view),
        "(function () { var r = document.querySelector('#quibo-log .quibo-output');"
        " return r ? r.textContent : ''; })()",
        -1, nullptr, nullptr, nullptr,
        +[](GObject* view, GAsyncResult* result, gpointer data) {
            Driver& d = *static_cast<Driver*>(data);
            if (JSCValue* value = webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(view), result, nullptr)) {
                gchar* text = jsc_value_to_string(value);
                d.greeting = text != nullptr ? text : "";
                g_free(text);
                g_object_unref(value);
            }
            d.asking = false;
        },
        &d);
}

gboolean poll(gpointer data)
{
    Driver& d = *static_cast<Driver*>(data);
    d.waited += POLL_MS;
    if (d.waited > DEADLINE_MS) {
        note(d, "timeout at step " + std::to_string(d.step));
        _exit(3);
    }
    GtkWidget* window = mainWindow();
    switch (d.step) {
    case 0: {  // the template list is filled and the thumbnail has loaded
        GtkWidget* templates = window ? findNamed(window, "1012") : nullptr;
        GtkWidget* preview = window ? findNamed(window, "1017") : nullptr;
        if (!templates || !preview || !gtk_widget_get_mapped(preview)) {
            return G_SOURCE_CONTINUE;
        }
        gboolean loading = TRUE;
        gchar* uri = nullptr;
        g_object_get(preview, "is-loading", &loading, "uri", &uri, nullptr);
        const bool loaded = !loading && uri != nullptr && g_str_has_suffix(uri, "/thumbnail/view.html");
        g_free(uri);
        // A moment more after loading, for the page to be painted.
        if (!loaded || (d.settle += POLL_MS) < 1500) {
            return G_SOURCE_CONTINUE;
        }
        const int count = gtk_tree_model_iter_n_children(gtk_combo_box_get_model(GTK_COMBO_BOX(templates)), nullptr);
        note(d, "templates " + std::to_string(count));
        d.step = 1;
        return G_SOURCE_CONTINUE;
    }
    case 1: {  // the screenshot, and whether the thumbnail is in it
        GdkWindow* gdk = gtk_widget_get_window(window);
        const int width = gdk_window_get_width(gdk);
        const int height = gdk_window_get_height(gdk);
        GdkPixbuf* shot = gdk_pixbuf_get_from_window(gdk, 0, 0, width, height);
        if (shot == nullptr) {
            note(d, "no screenshot");
            _exit(4);
        }
        gdk_pixbuf_save(shot, d.shot.c_str(), "png", nullptr, nullptr);
        note(d, "thumbnail pixels " + std::string(headerPixels(shot, window, findNamed(window, "1017")) > 200 ? "seen" : "missing"));
        g_object_unref(shot);
        // The About box, through the window's menu.
        GtkWidget* item = find(window, [](GtkWidget* w) {
            return GTK_IS_MENU_ITEM(w) && g_strcmp0(gtk_menu_item_get_label(GTK_MENU_ITEM(w)), "バージョン情報(_A)...") == 0;
        });
        if (item == nullptr) {
            note(d, "no About item");
            _exit(5);
        }
        g_idle_add(+[](gpointer i) {
            gtk_menu_item_activate(GTK_MENU_ITEM(i));
            return G_SOURCE_REMOVE;
        }, item);
        d.step = 2;
        return G_SOURCE_CONTINUE;
    }
    case 2: {  // the About box: its text, then OK
        GtkWidget* about = titled("Pellmintのバージョン情報");
        if (about == nullptr) {
            return G_SOURCE_CONTINUE;
        }
        GtkWidget* text = find(about, [](GtkWidget* w) {
            return GTK_IS_LABEL(w) && g_str_has_prefix(gtk_label_get_text(GTK_LABEL(w)), "Pellmint");
        });
        note(d, std::string("about ") + (text ? gtk_label_get_text(GTK_LABEL(text)) : "(no text)"));
        clickLater(findButton(about, "OK"));
        d.step = 3;
        return G_SOURCE_CONTINUE;
    }
    case 3:  // the About box closed; the reply font's dialog
        if (titled("Pellmintのバージョン情報") != nullptr) {
            return G_SOURCE_CONTINUE;
        }
        note(d, "about closed");
        clickLater(findNamed(window, "1004"));
        d.step = 4;
        return G_SOURCE_CONTINUE;
    case 4: {  // each face of the list, and the face its sample is drawn in
        GtkWidget* dialog = titled("フォント設定");
        if (dialog == nullptr) {
            return G_SOURCE_CONTINUE;
        }
        GtkWidget* faces = findNamed(dialog, "1046");
        GtkWidget* sample = findNamed(dialog, "1047");
        const int count = gtk_tree_model_iter_n_children(gtk_combo_box_get_model(GTK_COMBO_BOX(faces)), nullptr);
        for (int i = 0; i < count; ++i) {
            gtk_combo_box_set_active(GTK_COMBO_BOX(faces), i);
            gchar* face = gtk_combo_box_text_get_active_text(GTK_COMBO_BOX_TEXT(faces));
            note(d, std::string("sample ") + (face ? face : "") + ": " + drawnFamily(sample));
            g_free(face);
        }
        clickLater(findButton(dialog, "ｷｬﾝｾﾙ"));
        d.step = 5;
        return G_SOURCE_CONTINUE;
    }
    case 5:  // the font dialog closed; the package tested
        if (titled("フォント設定") != nullptr) {
            return G_SOURCE_CONTINUE;
        }
        gtk_entry_set_text(GTK_ENTRY(findNamed(window, "1006")), d.resource.c_str());
        clickLater(findNamed(window, "1013"));
        d.step = 6;
        return G_SOURCE_CONTINUE;
    case 6: {  // the test window: the main window hidden, the page greets
        GtkWidget* test = titled("Pellmint：テスト");
        if (test == nullptr || d.asking) {
            return G_SOURCE_CONTINUE;
        }
        if (d.greeting.empty()) {
            askForGreeting(d, findNamed(test, "1014"));
            return G_SOURCE_CONTINUE;
        }
        note(d, std::string("main window ") + (window == nullptr ? "hidden" : "shown") + " during the test");
        note(d, "greeting " + d.greeting);
        note(d, "hosts while testing " + std::to_string(hostChildren()));
        gtk_window_close(GTK_WINDOW(test));  // as its close box does
        d.step = 7;
        return G_SOURCE_CONTINUE;
    }
    case 7:  // the main window back; a package made
        if (window == nullptr || titled("Pellmint：テスト") != nullptr) {
            return G_SOURCE_CONTINUE;
        }
        note(d, "main window shown again, hosts left " + std::to_string(hostChildren()));
        gtk_combo_box_set_active(GTK_COMBO_BOX(findNamed(window, "1012")), 1);
        gtk_entry_set_text(GTK_ENTRY(findNamed(window, "1006")), d.resource.c_str());
        clickLater(findNamed(window, "1008"));
        d.step = 8;
        return G_SOURCE_CONTINUE;
    case 8: {  // the message box that ends Make
        GtkWidget* box = messageBox();
        if (box == nullptr) {
            return G_SOURCE_CONTINUE;
        }
        gchar* text = nullptr;
        g_object_get(box, "text", &text, nullptr);
        note(d, std::string("message ") + (text ? text : ""));
        g_free(text);
        gtk_dialog_response(GTK_DIALOG(box), GTK_RESPONSE_OK);
        d.step = 9;
        return G_SOURCE_CONTINUE;
    }
    case 9:
        if (window == nullptr || messageBox() != nullptr) {
            return G_SOURCE_CONTINUE;
        }
        note(d, "closing");
        clickLater(findNamed(window, "2"));
        d.step = 10;
        return G_SOURCE_REMOVE;
    }
    return G_SOURCE_REMOVE;
}

}  // namespace

extern "C" G_MODULE_EXPORT void gtk_module_init(gint*, gchar***)
{
    // The web views' helper processes are started later with this
    // environment; the driver belongs to the program alone.
    g_unsetenv("GTK_MODULES");
    static Driver driver;
    const char* report = std::getenv("PELLMINT_DRIVER_REPORT");
    const char* shot = std::getenv("PELLMINT_DRIVER_SHOT");
    const char* resource = std::getenv("PELLMINT_DRIVER_RESOURCE");
    if (report == nullptr || shot == nullptr || resource == nullptr) {
        return;
    }
    driver.report = report;
    driver.shot = shot;
    driver.resource = resource;
    g_timeout_add(POLL_MS, poll, &driver);
}
