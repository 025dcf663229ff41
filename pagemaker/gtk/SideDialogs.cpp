#include "pagemaker/gtk/SideDialogs.h"

#include "pagemaker/AboutDlg.h"
#include "pagemaker/PellmintDlg.h"
#include "pagemaker/gtk/WebBrowser.h"

#include <vector>

namespace quibo::pagemaker {
namespace {

constexpr const char* CANCEL_LABEL = "ｷｬﾝｾﾙ";

GtkWidget* newDialog(GtkWindow* parent, const char* title)
{
    GtkWidget* dialog = gtk_dialog_new();
    gtk_window_set_title(GTK_WINDOW(dialog), title);
    gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
    gtk_window_set_transient_for(GTK_WINDOW(dialog), parent);
    gtk_window_set_resizable(GTK_WINDOW(dialog), FALSE);
    gtk_container_set_border_width(GTK_CONTAINER(dialog), 8);
    return dialog;
}

GtkWidget* content(GtkWidget* dialog)
{
    return gtk_dialog_get_content_area(GTK_DIALOG(dialog));
}

GtkWidget* frame(const char* label, GtkWidget* child)
{
    GtkWidget* f = gtk_frame_new(label);
    g_object_set(child, "margin", 6, nullptr);
    gtk_container_add(GTK_CONTAINER(f), child);
    return f;
}

int runAndDestroy(GtkWidget* dialog)
{
    gtk_widget_show_all(dialog);
    const int response = gtk_dialog_run(GTK_DIALOG(dialog));
    gtk_widget_destroy(dialog);
    return response;
}

int messageDialog(GtkWindow* parent, GtkMessageType type, GtkButtonsType buttons, const std::string& text)
{
    GtkWidget* dialog = gtk_message_dialog_new(parent, GTK_DIALOG_MODAL, type, buttons, "%s", text.c_str());
    gtk_window_set_title(GTK_WINDOW(dialog), PELLMINT_TITLE);
    return runAndDestroy(dialog);
}

// The font dialog's widgets, for its signal handlers.
struct FontDialogState {
    FontSettingDlg* model;
    GtkWidget* sample;
    std::vector<GtkWidget*> buttons;
    bool updating = false;
};

void showSample(FontDialogState& state)
{
    const std::uint32_t colour = state.model->colour();
    PangoAttrList* attributes = pango_attr_list_new();
    pango_attr_list_insert(attributes, pango_attr_family_new(state.model->face().c_str()));
    pango_attr_list_insert(attributes, pango_attr_size_new(SAMPLE_POINTS * PANGO_SCALE));
    pango_attr_list_insert(attributes, pango_attr_foreground_new((colour & 0xFF) * 257, ((colour >> 8) & 0xFF) * 257,
                                                                 ((colour >> 16) & 0xFF) * 257));
    gtk_label_set_attributes(GTK_LABEL(state.sample), attributes);
    pango_attr_list_unref(attributes);
    state.updating = true;
    for (std::size_t i = 0; i < state.buttons.size(); ++i) {
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(state.buttons[i]),
                                     static_cast<int>(i) == state.model->checkedButton());
    }
    state.updating = false;
}

GtkWidget* swatch(std::uint32_t colour)
{
    GtkWidget* area = gtk_drawing_area_new();
    gtk_widget_set_size_request(area, 24, 14);
    g_signal_connect(area, "draw", G_CALLBACK(+[](GtkWidget* widget, cairo_t* cr, gpointer data) {
                         const auto c = static_cast<std::uint32_t>(GPOINTER_TO_UINT(data));
                         cairo_set_source_rgb(cr, (c & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0,
                                              ((c >> 16) & 0xFF) / 255.0);
                         cairo_rectangle(cr, 0, 0, gtk_widget_get_allocated_width(widget),
                                         gtk_widget_get_allocated_height(widget));
                         cairo_fill(cr);
                         return FALSE;
                     }),
                     GUINT_TO_POINTER(colour));
    return area;
}

struct TestWindowState {
    TestDlg* model;
    WebBrowser* browser;
    GMainLoop* loop;
};

}  // namespace

void messageBox(GtkWindow* parent, const std::string& text)
{
    messageDialog(parent, GTK_MESSAGE_INFO, GTK_BUTTONS_OK, text);
}

bool okCancelBox(GtkWindow* parent, const std::string& text)
{
    return messageDialog(parent, GTK_MESSAGE_QUESTION, GTK_BUTTONS_OK_CANCEL, text) == GTK_RESPONSE_OK;
}

void runAboutBox(GtkWindow* parent)
{
    GtkWidget* dialog = newDialog(parent, AboutDlg::TITLE);
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 12);
    gtk_container_add(GTK_CONTAINER(box), gtk_image_new_from_icon_name("dialog-information", GTK_ICON_SIZE_DIALOG));
    gtk_container_add(GTK_CONTAINER(box), gtk_label_new(AboutDlg::TEXT));
    gtk_container_add(GTK_CONTAINER(content(dialog)), box);
    gtk_dialog_add_button(GTK_DIALOG(dialog), "OK", GTK_RESPONSE_OK);
    runAndDestroy(dialog);
}

void runFontDialog(GtkWindow* parent, FontSettingDlg& model)
{
    model.open();
    FontDialogState state{&model, gtk_label_new(SAMPLE_TEXT), {}};
    GtkWidget* dialog = newDialog(parent, "フォント設定");
    GtkWidget* grid = gtk_grid_new();
    gtk_grid_set_row_spacing(GTK_GRID(grid), 8);
    gtk_grid_set_column_spacing(GTK_GRID(grid), 8);

    GtkWidget* faces = gtk_combo_box_text_new();
    gtk_widget_set_name(faces, "1046");
    for (const std::string& face : model.faces()) {
        gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(faces), face.c_str());
    }
    gtk_combo_box_set_active(GTK_COMBO_BOX(faces), model.selectedFace());
    g_signal_connect(faces, "changed", G_CALLBACK(+[](GtkComboBox* combo, gpointer data) {
                         auto& s = *static_cast<FontDialogState*>(data);
                         s.model->selectFace(gtk_combo_box_get_active(combo));
                         showSample(s);
                     }),
                     &state);
    gtk_grid_attach(GTK_GRID(grid), gtk_label_new("フォント名："), 0, 0, 1, 1);
    gtk_grid_attach(GTK_GRID(grid), faces, 1, 0, 1, 1);

    GtkWidget* colours = gtk_grid_new();
    gtk_grid_set_column_spacing(GTK_GRID(colours), 2);
    gtk_grid_set_row_spacing(GTK_GRID(colours), 2);
    for (std::size_t i = 0; i < COLOUR_BUTTONS.size(); ++i) {
        GtkWidget* button = gtk_toggle_button_new();
        gtk_widget_set_name(button, std::to_string(COLOUR_BUTTONS[i].id).c_str());
        gtk_container_add(GTK_CONTAINER(button), swatch(COLOUR_BUTTONS[i].colour));
        g_object_set_data(G_OBJECT(button), "position", GINT_TO_POINTER(static_cast<int>(i)));
        g_signal_connect(button, "toggled", G_CALLBACK(+[](GtkToggleButton* b, gpointer data) {
                             auto& s = *static_cast<FontDialogState*>(data);
                             if (!s.updating) {
                                 s.model->pickColour(GPOINTER_TO_INT(g_object_get_data(G_OBJECT(b), "position")));
                                 showSample(s);
                             }
                         }),
                         &state);
        gtk_grid_attach(GTK_GRID(colours), button, static_cast<int>(i % 8), static_cast<int>(i / 8), 1, 1);
        state.buttons.push_back(button);
    }
    gtk_grid_attach(GTK_GRID(grid), frame("色", colours), 0, 1, 2, 1);
    gtk_widget_set_name(state.sample, "1047");
    gtk_widget_set_size_request(state.sample, 320, 70);
    gtk_grid_attach(GTK_GRID(grid), frame("サンプル", state.sample), 0, 2, 2, 1);
    gtk_container_add(GTK_CONTAINER(content(dialog)), grid);
    gtk_dialog_add_button(GTK_DIALOG(dialog), "OK", GTK_RESPONSE_OK);
    gtk_dialog_add_button(GTK_DIALOG(dialog), CANCEL_LABEL, GTK_RESPONSE_CANCEL);
    showSample(state);
    if (runAndDestroy(dialog) != GTK_RESPONSE_OK) {
        model.cancel();
    }
}

bool runPdataNameDialog(GtkWindow* parent, PdataNameDlg& model)
{
    GtkWidget* dialog = newDialog(parent, PDATA_NAME_TITLE);
    GtkWidget* grid = gtk_grid_new();
    gtk_grid_set_row_spacing(GTK_GRID(grid), 6);
    gtk_grid_set_column_spacing(GTK_GRID(grid), 6);
    GtkWidget* notice = gtk_label_new(PDATA_NAME_NOTICE);
    gtk_grid_attach(GTK_GRID(grid), frame(nullptr, notice), 0, 0, 3, 1);

    GtkWidget* oldName = gtk_entry_new();
    gtk_widget_set_name(oldName, "1029");
    gtk_entry_set_text(GTK_ENTRY(oldName), model.oldName().c_str());
    gtk_editable_set_editable(GTK_EDITABLE(oldName), FALSE);
    GtkWidget* newName = gtk_entry_new();
    gtk_widget_set_name(newName, "1028");
    gtk_entry_set_max_length(GTK_ENTRY(newName), PDATA_NAME_LIMIT);
    gtk_entry_set_text(GTK_ENTRY(newName), model.newName().c_str());
    const char* labels[] = {"旧pdata名", "新pdata名"};
    GtkWidget* edits[] = {oldName, newName};
    for (int row = 0; row < 2; ++row) {
        gtk_grid_attach(GTK_GRID(grid), gtk_label_new(labels[row]), 0, row + 1, 1, 1);
        gtk_widget_set_hexpand(edits[row], TRUE);
        gtk_grid_attach(GTK_GRID(grid), edits[row], 1, row + 1, 1, 1);
        gtk_grid_attach(GTK_GRID(grid), gtk_label_new(".pdata"), 2, row + 1, 1, 1);
    }
    // Why the name typed cannot be taken, as it is typed.
    GtkWidget* why = gtk_label_new("");
    gtk_widget_set_halign(why, GTK_ALIGN_START);
    gtk_grid_attach(GTK_GRID(grid), why, 0, 3, 3, 1);
    gtk_container_add(GTK_CONTAINER(content(dialog)), grid);
    GtkWidget* ok = gtk_dialog_add_button(GTK_DIALOG(dialog), "OK", GTK_RESPONSE_OK);
    gtk_dialog_add_button(GTK_DIALOG(dialog), CANCEL_LABEL, GTK_RESPONSE_CANCEL);
    g_object_set_data(G_OBJECT(ok), "why", why);
    const auto updateOk = +[](GtkEditable* edit, gpointer button) {
        const std::string refusal = PdataNameDlg::refusal(gtk_entry_get_text(GTK_ENTRY(edit)));
        gtk_widget_set_sensitive(GTK_WIDGET(button), refusal.empty());
        gtk_label_set_text(GTK_LABEL(g_object_get_data(G_OBJECT(button), "why")), refusal.c_str());
    };
    g_signal_connect(newName, "changed", G_CALLBACK(updateOk), ok);
    updateOk(GTK_EDITABLE(newName), ok);

    gtk_widget_show_all(dialog);
    const bool accepted = gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_OK;
    if (accepted) {
        model.ok(gtk_entry_get_text(GTK_ENTRY(newName)));
    }
    gtk_widget_destroy(dialog);
    return accepted;
}

void runTestWindow(GtkWindow* parent, TestDlg& model)
{
    WebBrowser browser;
    TestWindowState state{&model, &browser, g_main_loop_new(nullptr, FALSE)};
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window), TEST_TITLE);
    gtk_window_set_transient_for(GTK_WINDOW(window), parent);
    gtk_window_set_modal(GTK_WINDOW(window), TRUE);
    gtk_window_set_default_size(GTK_WINDOW(window), 800, 600);
    GtkWidget* view = browser.widget();
    gtk_widget_set_name(view, "1014");
    gtk_container_set_border_width(GTK_CONTAINER(window), TEST_MARGIN);
    gtk_container_add(GTK_CONTAINER(window), view);

    g_signal_connect(window, "key-press-event", G_CALLBACK(+[](GtkWidget*, GdkEventKey* event, gpointer data) {
                         // The window sees a key before the page's input method.
                         auto& s = *static_cast<TestWindowState*>(data);
                         const Key key = s.browser->composing() ? Key::InputMethod : keyOf(event);
                         return s.model->keyDown(key, *s.browser) ? TRUE : FALSE;
                     }),
                     &state);
    g_signal_connect(window, "key-release-event", G_CALLBACK(+[](GtkWidget*, GdkEventKey* event, gpointer data) {
                         return static_cast<TestWindowState*>(data)->model->keyUp(keyOf(event)) ? TRUE : FALSE;
                     }),
                     &state);
    const auto rightButton = +[](GtkWidget*, GdkEventButton* event, gpointer) {
        return TestDlg::mouseButton(event->button == GDK_BUTTON_SECONDARY) ? TRUE : FALSE;
    };
    g_signal_connect(view, "button-press-event", G_CALLBACK(rightButton), nullptr);
    g_signal_connect(view, "button-release-event", G_CALLBACK(rightButton), nullptr);
    g_signal_connect(window, "destroy", G_CALLBACK(+[](GtkWidget*, gpointer loop) {
                         g_main_loop_quit(static_cast<GMainLoop*>(loop));
                     }),
                     state.loop);

    gtk_widget_show_all(window);
    HostProcess host(defaultHostProgram());
    if (const std::string message = model.open(browser, host); !message.empty()) {
        messageBox(GTK_WINDOW(window), message);
    }
    g_main_loop_run(state.loop);
    g_main_loop_unref(state.loop);
    TestDlg::close(host);
}

}  // namespace quibo::pagemaker
