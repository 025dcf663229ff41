// A GTK module that plays an author at the real `pellmint` window: loaded
// into the program through GTK_MODULES, it waits for the template list and
// the thumbnail, takes a screenshot, picks a template, enters the resource
// file, presses "パッケージ作成", answers the message box and presses "終了".
// What it saw goes to the report file PELLMINT_DRIVER_REPORT, one line per
// step; the screenshot to PELLMINT_DRIVER_SHOT.  Every wait is bounded.
#include <gtk/gtk.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

constexpr int POLL_MS = 100;
constexpr int DEADLINE_MS = 90000;

struct Driver {
    int step = 0;
    int waited = 0;
    int settle = 0;
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

GtkWidget* findNamed(GtkWidget* widget, const char* name)
{
    if (g_strcmp0(gtk_widget_get_name(widget), name) == 0) {
        return widget;
    }
    GtkWidget* found = nullptr;
    if (GTK_IS_CONTAINER(widget)) {
        GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
        for (GList* c = children; c != nullptr && found == nullptr; c = c->next) {
            found = findNamed(GTK_WIDGET(c->data), name);
        }
        g_list_free(children);
    }
    return found;
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

GtkWidget* mainWindow()
{
    return toplevel([](GtkWidget* w) { return g_strcmp0(gtk_window_get_title(GTK_WINDOW(w)), "Pellmint") == 0; });
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
        gtk_combo_box_set_active(GTK_COMBO_BOX(findNamed(window, "1012")), 1);
        gtk_entry_set_text(GTK_ENTRY(findNamed(window, "1006")), d.resource.c_str());
        clickLater(findNamed(window, "1008"));
        d.step = 2;
        return G_SOURCE_CONTINUE;
    }
    case 2: {  // the message box that ends Make
        GtkWidget* box = toplevel([](GtkWidget* w) { return GTK_IS_MESSAGE_DIALOG(w); });
        if (box == nullptr) {
            return G_SOURCE_CONTINUE;
        }
        gchar* text = nullptr;
        g_object_get(box, "text", &text, nullptr);
        note(d, std::string("message ") + (text ? text : ""));
        g_free(text);
        gtk_dialog_response(GTK_DIALOG(box), GTK_RESPONSE_OK);
        d.step = 3;
        return G_SOURCE_CONTINUE;
    }
    case 3:
        if (window == nullptr || toplevel([](GtkWidget* w) { return GTK_IS_MESSAGE_DIALOG(w); })) {
            return G_SOURCE_CONTINUE;
        }
        note(d, "closing");
        clickLater(findNamed(window, "2"));
        d.step = 4;
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
