// A dialog front that plays a script instead of showing windows: it records
// every message and question in order and answers from queues the test
// fills.  A call the script did not provide for fails the test.
#pragma once

#include "pagemaker/DialogFront.h"
#include "pagemaker/FontSettingDlg.h"
#include "pagemaker/PdataNameDlg.h"
#include "pagemaker/TestDlg.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quibo::test {

class ScriptedFront : public pagemaker::DialogFront {
public:
    void showMessage(const std::string& text) override { shown.push_back(text); }
    bool askOkCancel(const std::string& text) override
    {
        shown.push_back(text);
        return next(okCancel, "askOkCancel");
    }
    bool runPdataName(pagemaker::PdataNameDlg& dialog) override
    {
        shown.push_back("[pdata " + dialog.oldName() + " -> " + dialog.newName() + "]");
        const std::optional<std::string> answer = next(pdataNames, "runPdataName");
        if (answer) {
            dialog.ok(*answer);
        }
        return answer.has_value();
    }
    void runFontSetting(pagemaker::FontSettingDlg& dialog) override
    {
        dialog.open();
        if (fontScript) {
            fontScript(dialog);
        } else {
            ADD_FAILURE() << "unscripted font dialog";
        }
    }
    void runTest(pagemaker::TestDlg& dialog) override { testPages.push_back(dialog.startPage()); }
    std::optional<std::string> chooseResourceFile(const std::string& folder) override
    {
        chooserFolders.push_back(folder);
        return next(chosenFiles, "chooseResourceFile");
    }

    std::vector<std::string> shown;
    std::deque<bool> okCancel;
    std::deque<std::optional<std::string>> pdataNames;  // nothing: Cancel
    std::deque<std::optional<std::string>> chosenFiles;
    // The folder each file dialog opened in.
    std::vector<std::string> chooserFolders;
    std::function<void(pagemaker::FontSettingDlg&)> fontScript;
    std::vector<std::string> testPages;

private:
    template <typename T>
    T next(std::deque<T>& answers, const char* call)
    {
        if (answers.empty()) {
            ADD_FAILURE() << "unscripted " << call;
            return T{};
        }
        T answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

}  // namespace quibo::test
