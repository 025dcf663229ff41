#include "pagemaker/gtk/PellmintWindow.h"

#include "pagemaker/AboutDlg.h"
#include "pagemaker/gtk/SideDialogs.h"

#include <algorithm>

namespace quibo::pagemaker {
namespace {

void setEntry(GtkWidget* entry, const std::string& text)
{
    if (text != gtk_entry_get_text(GTK_ENTRY(entry))) {
        gtk_entry_set_text(GTK_ENTRY(entry), text.c_str());
    }
}

GtkWidget* label(const char* text)
{
    GtkWidget* l = gtk_label_new(text);
    gtk_widget_set_halign(l, GTK_ALIGN_START);
    return l;
}

}  // namespace

PellmintWindow::PellmintWindow(const std::string& workArea, const std::string& startFolder)
    : m_dlg(*this, &m_preview, workArea, startFolder)
{
}

GtkWidget* PellmintWindow::add(int id, GtkWidget* widget)
{
    gtk_widget_set_name(widget, std::to_string(id).c_str());
    m_controls[id] = widget;
    return widget;
}

void PellmintWindow::onClicked(int id, void (PellmintDlg::*handler)())
{
    m_actions.push_back(std::make_unique<Action>(Action{this, handler}));
    g_signal_connect(control(id), "clicked", G_CALLBACK(+[](GtkButton*, gpointer data) {
                         const Action& action = *static_cast<Action*>(data);
                         (action.window->m_dlg.*action.handler)();
                         action.window->sync();
                     }),
                     m_actions.back().get());
}

void PellmintWindow::onEdit(int id, std::string PellmintDlg::*field)
{
    g_signal_connect(control(id), "changed", G_CALLBACK(+[](GtkEditable* edit, gpointer member) {
                         *static_cast<std::string*>(member) = gtk_entry_get_text(GTK_ENTRY(edit));
                     }),
                     &(m_dlg.*field));
}

void PellmintWindow::build()
{
    m_window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(m_window), PELLMINT_TITLE);
    gtk_window_set_resizable(GTK_WINDOW(m_window), FALSE);
    GtkWidget* outer = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    gtk_container_add(GTK_CONTAINER(m_window), outer);

    // The window's menu holds what the system menu held: the About box.
    GtkWidget* menuBar = gtk_menu_bar_new();
    GtkWidget* menuRoot = gtk_menu_item_new_with_label(PELLMINT_TITLE);
    GtkWidget* menu = gtk_menu_new();
    GtkWidget* about = gtk_menu_item_new_with_mnemonic(AboutDlg::MENU_ITEM);
    g_signal_connect(about, "activate", G_CALLBACK(+[](GtkMenuItem*, gpointer window) {
                         runAboutBox(GTK_WINDOW(window));
                     }),
                     m_window);
    gtk_menu_shell_append(GTK_MENU_SHELL(menu), about);
    gtk_menu_item_set_submenu(GTK_MENU_ITEM(menuRoot), menu);
    gtk_menu_shell_append(GTK_MENU_SHELL(menuBar), menuRoot);
    gtk_box_pack_start(GTK_BOX(outer), menuBar, FALSE, FALSE, 0);

    GtkWidget* grid = gtk_grid_new();
    gtk_container_set_border_width(GTK_CONTAINER(grid), 10);
    gtk_grid_set_row_spacing(GTK_GRID(grid), 6);
    gtk_grid_set_column_spacing(GTK_GRID(grid), 8);
    gtk_box_pack_start(GTK_BOX(outer), grid, TRUE, TRUE, 0);

    gtk_grid_attach(GTK_GRID(grid), add(ID_SERVER_MODE, gtk_check_button_new_with_label("QUIBOサーバー使用")), 0, 0, 2, 1);
    GtkWidget* serverNames = add(ID_SERVER_NAME, gtk_combo_box_text_new());
    for (const std::string& name : PellmintDlg::serverNames()) {
        gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(serverNames), name.c_str());
    }
    const std::pair<int, const char*> rows[] = {{ID_SERVER_NAME_LABEL, "サーバー名"},
                                                {ID_SERVLET_LABEL, "サーブレットURL"},
                                                {ID_CHAT_LABEL, "チャット名"},
                                                {ID_DOWNLOAD_LABEL, "Orvane.exe DLサイト"}};
    GtkWidget* fields[] = {serverNames, add(ID_SERVLET, gtk_entry_new()), add(ID_CHAT, gtk_entry_new()),
                           add(ID_DOWNLOAD, gtk_entry_new())};
    for (int i = 0; i < 4; ++i) {
        gtk_grid_attach(GTK_GRID(grid), add(rows[i].first, label(rows[i].second)), 0, i + 1, 1, 1);
        gtk_widget_set_hexpand(fields[i], TRUE);
        gtk_grid_attach(GTK_GRID(grid), fields[i], 1, i + 1, 1, 1);
    }

    GtkWidget* templates = gtk_grid_new();
    gtk_grid_set_row_spacing(GTK_GRID(templates), 6);
    gtk_grid_set_column_spacing(GTK_GRID(templates), 6);
    gtk_grid_attach(GTK_GRID(templates), add(ID_TEMPLATE, gtk_combo_box_text_new()), 0, 0, 1, 1);
    gtk_grid_attach(GTK_GRID(templates), add(ID_REPLY_FONT, gtk_button_new_with_label("回答文フォント")), 1, 0, 1, 1);
    gtk_grid_attach(GTK_GRID(templates), add(ID_INPUT_FONT, gtk_button_new_with_label("入力文フォント")), 2, 0, 1, 1);
    gtk_widget_set_size_request(m_preview.widget(), 360, 220);
    gtk_grid_attach(GTK_GRID(templates), add(ID_PREVIEW, m_preview.widget()), 0, 1, 3, 1);
    GtkWidget* templateFrame = gtk_frame_new("テンプレート選択");
    gtk_container_set_border_width(GTK_CONTAINER(templates), 6);
    gtk_container_add(GTK_CONTAINER(templateFrame), templates);
    gtk_grid_attach(GTK_GRID(grid), templateFrame, 0, 5, 2, 1);

    GtkWidget* resource = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
    gtk_container_set_border_width(GTK_CONTAINER(resource), 6);
    gtk_box_pack_start(GTK_BOX(resource), add(ID_RESOURCE, gtk_entry_new()), TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(resource), add(ID_BROWSE, gtk_button_new_with_label("ファイル選択")), FALSE, FALSE, 0);
    GtkWidget* resourceFrame = gtk_frame_new("知識ベースリソースファイル");
    gtk_container_add(GTK_CONTAINER(resourceFrame), resource);
    gtk_grid_attach(GTK_GRID(grid), resourceFrame, 0, 6, 2, 1);

    GtkWidget* buttons = gtk_button_box_new(GTK_ORIENTATION_HORIZONTAL);
    gtk_button_box_set_layout(GTK_BUTTON_BOX(buttons), GTK_BUTTONBOX_END);
    gtk_box_set_spacing(GTK_BOX(buttons), 6);
    gtk_container_add(GTK_CONTAINER(buttons), add(ID_TEST, gtk_button_new_with_label("テスト")));
    gtk_container_add(GTK_CONTAINER(buttons), add(ID_MAKE, gtk_button_new_with_label("パッケージ作成")));
    gtk_container_add(GTK_CONTAINER(buttons), add(ID_CLOSE, gtk_button_new_with_label("終了")));
    gtk_grid_attach(GTK_GRID(grid), buttons, 0, 7, 2, 1);
}

bool PellmintWindow::open()
{
    build();
    if (!m_dlg.initDialog()) {
        gtk_widget_destroy(m_window);
        return false;
    }
    for (const std::string& name : m_dlg.templates()) {
        gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(control(ID_TEMPLATE)), name.c_str());
    }
    sync();

    g_signal_connect(m_window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
    g_signal_connect(m_window, "key-press-event", G_CALLBACK(+[](GtkWidget* window, GdkEventKey* event, gpointer preview) {
                         const bool inPreview = gtk_window_get_focus(GTK_WINDOW(window)) == preview;
                         return PellmintDlg::swallowsKey(keyOf(event), inPreview) ? TRUE : FALSE;
                     }),
                     m_preview.widget());
    g_signal_connect(control(ID_SERVER_MODE), "toggled", G_CALLBACK(+[](GtkToggleButton*, gpointer self) {
                         auto* w = static_cast<PellmintWindow*>(self);
                         if (!w->m_syncing) {
                             w->m_dlg.onServerToggle();
                             w->sync();
                         }
                     }),
                     this);
    g_signal_connect(control(ID_SERVER_NAME), "changed", G_CALLBACK(+[](GtkComboBox* combo, gpointer self) {
                         gchar* text = gtk_combo_box_text_get_active_text(GTK_COMBO_BOX_TEXT(combo));
                         static_cast<PellmintWindow*>(self)->m_dlg.m_serverName = text != nullptr ? text : "";
                         g_free(text);
                     }),
                     this);
    g_signal_connect(control(ID_TEMPLATE), "changed", G_CALLBACK(+[](GtkComboBox* combo, gpointer self) {
                         auto* w = static_cast<PellmintWindow*>(self);
                         if (!w->m_syncing) {
                             w->m_dlg.onTemplateChange(gtk_combo_box_get_active(combo));
                             w->sync();
                         }
                     }),
                     this);
    onEdit(ID_SERVLET, &PellmintDlg::m_servletUrl);
    onEdit(ID_CHAT, &PellmintDlg::m_chatName);
    onEdit(ID_DOWNLOAD, &PellmintDlg::m_downloadUrl);
    onEdit(ID_RESOURCE, &PellmintDlg::m_resourcePath);
    onClicked(ID_REPLY_FONT, &PellmintDlg::onReplyFont);
    onClicked(ID_INPUT_FONT, &PellmintDlg::onInputFont);
    onClicked(ID_BROWSE, &PellmintDlg::onBrowse);
    onClicked(ID_TEST, &PellmintDlg::test);
    onClicked(ID_MAKE, &PellmintDlg::make);
    g_signal_connect_swapped(control(ID_CLOSE), "clicked", G_CALLBACK(gtk_widget_destroy), m_window);

    // A file dropped on the resource path: the model decides what it means.
    GtkWidget* resource = control(ID_RESOURCE);
    gtk_drag_dest_set(resource, GTK_DEST_DEFAULT_ALL, nullptr, 0, GDK_ACTION_COPY);
    gtk_drag_dest_add_uri_targets(resource);
    g_signal_connect(resource, "drag-data-received",
                     G_CALLBACK(+[](GtkWidget* widget, GdkDragContext*, gint, gint, GtkSelectionData* data, guint,
                                    guint, gpointer self) {
                         g_signal_stop_emission_by_name(widget, "drag-data-received");
                         std::vector<std::string> paths;
                         gchar** uris = gtk_selection_data_get_uris(data);
                         for (gchar** uri = uris; uri != nullptr && *uri != nullptr; ++uri) {
                             if (gchar* path = g_filename_from_uri(*uri, nullptr, nullptr)) {
                                 paths.push_back(path);
                                 g_free(path);
                             }
                         }
                         g_strfreev(uris);
                         auto* w = static_cast<PellmintWindow*>(self);
                         w->m_dlg.onDroppedFiles(paths);
                         w->sync();
                     }),
                     this);

    gtk_widget_show_all(m_window);
    return true;
}

void PellmintWindow::sync()
{
    m_syncing = true;
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(control(ID_SERVER_MODE)), m_dlg.m_serverMode != 0);
    for (const auto& [id, widget] : m_controls) {
        gtk_widget_set_sensitive(widget, m_dlg.isEnabled(id));
    }
    const auto& names = PellmintDlg::serverNames();
    const auto name = std::find(names.begin(), names.end(), m_dlg.m_serverName);
    gtk_combo_box_set_active(GTK_COMBO_BOX(control(ID_SERVER_NAME)),
                             name == names.end() ? -1 : static_cast<int>(name - names.begin()));
    setEntry(control(ID_SERVLET), m_dlg.m_servletUrl);
    setEntry(control(ID_CHAT), m_dlg.m_chatName);
    setEntry(control(ID_DOWNLOAD), m_dlg.m_downloadUrl);
    setEntry(control(ID_RESOURCE), m_dlg.m_resourcePath);
    gtk_combo_box_set_active(GTK_COMBO_BOX(control(ID_TEMPLATE)), m_dlg.m_templateIndex);
    m_syncing = false;
}

void PellmintWindow::showMessage(const std::string& text)
{
    messageBox(m_window != nullptr ? GTK_WINDOW(m_window) : nullptr, text);
}

bool PellmintWindow::askOkCancel(const std::string& text)
{
    return okCancelBox(GTK_WINDOW(m_window), text);
}

bool PellmintWindow::runPdataName(PdataNameDlg& dialog)
{
    return runPdataNameDialog(GTK_WINDOW(m_window), dialog);
}

void PellmintWindow::runFontSetting(FontSettingDlg& dialog)
{
    runFontDialog(GTK_WINDOW(m_window), dialog);
}

void PellmintWindow::runTest(TestDlg& dialog)
{
    gtk_widget_hide(m_window);
    runTestWindow(GTK_WINDOW(m_window), dialog);
    gtk_widget_show(m_window);
}

std::optional<std::string> PellmintWindow::chooseResourceFile(const std::string& folder)
{
    GtkWidget* chooser = gtk_file_chooser_dialog_new(nullptr, GTK_WINDOW(m_window), GTK_FILE_CHOOSER_ACTION_OPEN,
                                                     "ｷｬﾝｾﾙ", GTK_RESPONSE_CANCEL, "開く", GTK_RESPONSE_ACCEPT,
                                                     nullptr);
    GtkFileFilter* filter = gtk_file_filter_new();
    gtk_file_filter_set_name(filter, "知識ベースリソースファイル(*.res)");
    gtk_file_filter_add_pattern(filter, "*.[rR][eE][sS]");
    gtk_file_chooser_add_filter(GTK_FILE_CHOOSER(chooser), filter);
    // Not the current directory: the builder leaves its work area there.
    gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(chooser), folder.c_str());
    std::optional<std::string> chosen;
    if (gtk_dialog_run(GTK_DIALOG(chooser)) == GTK_RESPONSE_ACCEPT) {
        if (gchar* path = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(chooser))) {
            chosen = path;
            g_free(path);
        }
    }
    gtk_widget_destroy(chooser);
    return chosen;
}

}  // namespace quibo::pagemaker
