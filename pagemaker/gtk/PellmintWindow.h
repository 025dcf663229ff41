// The main window: the controls of the dialog model, named after their
// control ids ("1006" for the resource path, ...), copying every change into
// the model and showing the model's state after every event.
#pragma once

#include "pagemaker/PellmintDlg.h"
#include "pagemaker/gtk/WebBrowser.h"

#include <gtk/gtk.h>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace quibo::pagemaker {

class PellmintWindow : public DialogFront {
public:
    PellmintWindow(const std::string& workArea, const std::string& startFolder);

    // Builds and shows the window; false when initialisation failed (its
    // message was shown and the window is gone).
    bool open();

    void showMessage(const std::string& text) override;
    bool askOkCancel(const std::string& text) override;
    bool runPdataName(PdataNameDlg& dialog) override;
    void runFontSetting(FontSettingDlg& dialog) override;
    void runTest(TestDlg& dialog) override;
    std::optional<std::string> chooseResourceFile(const std::string& folder) override;

private:
    GtkWidget* control(int id) const { return m_controls.at(id); }
    GtkWidget* add(int id, GtkWidget* widget);
    void build();
    // Shows the model's fields, and enables the controls the model enables.
    void sync();
    // A button that runs a handler of the model, then shows the model.
    void onClicked(int id, void (PellmintDlg::*handler)());
    void onEdit(int id, std::string PellmintDlg::*field);

    WebBrowser m_preview;
    PellmintDlg m_dlg;
    GtkWidget* m_window = nullptr;
    std::map<int, GtkWidget*> m_controls;
    bool m_syncing = false;
    struct Action {
        PellmintWindow* window;
        void (PellmintDlg::*handler)();
    };
    std::vector<std::unique_ptr<Action>> m_actions;
};

}  // namespace quibo::pagemaker
