// What Pellmint's dialog models need of the windows around them: message
// boxes and the modal side dialogs.  The GTK front implements it; tests
// implement it with a scripted fake, so every decision (validation, the
// order of the builder's steps, which message shows) runs without a display.
#pragma once

#include <optional>
#include <string>

namespace quibo::pagemaker {

class FontSettingDlg;
class PdataNameDlg;
class TestDlg;

class DialogFront {
public:
    virtual ~DialogFront() = default;
    // A message box with an OK button.
    virtual void showMessage(const std::string& text) = 0;
    // A question with OK and Cancel: true for OK.
    virtual bool askOkCancel(const std::string& text) = 0;
    // Runs the dialog modally: true when it ended with OK.
    virtual bool runPdataName(PdataNameDlg& dialog) = 0;
    virtual void runFontSetting(FontSettingDlg& dialog) = 0;
    // Hides the main window, runs the test window modally, shows the main
    // window again.
    virtual void runTest(TestDlg& dialog) = 0;
    // The open-file dialog for a resource file, opened in `folder`: the
    // chosen path, or nothing on Cancel.
    virtual std::optional<std::string> chooseResourceFile(const std::string& folder) = 0;
};

// Keys as the dialogs tell them apart.
enum class Key {
    Enter,
    Control,
    Escape,
    EditLetter,  // A, C, V, X or Z: the edit shortcuts with Ctrl
    Other,
    // Any key pressed while the input method composes a text: it is the
    // input method's (Enter there ends the composition).
    InputMethod
};

}  // namespace quibo::pagemaker
