// The GTK windows of the side dialogs and message boxes.  Each shows its
// model's state and hands every event to the model.
#pragma once

#include "pagemaker/FontSettingDlg.h"
#include "pagemaker/PdataNameDlg.h"
#include "pagemaker/TestDlg.h"

#include <gtk/gtk.h>
#include <string>

namespace quibo::pagemaker {

void messageBox(GtkWindow* parent, const std::string& text);
bool okCancelBox(GtkWindow* parent, const std::string& text);
void runAboutBox(GtkWindow* parent);
void runFontDialog(GtkWindow* parent, FontSettingDlg& model);
// True when the dialog ended with OK.
bool runPdataNameDialog(GtkWindow* parent, PdataNameDlg& model);
// Runs the test window until its close box ends it.
void runTestWindow(GtkWindow* parent, TestDlg& model);

}  // namespace quibo::pagemaker
