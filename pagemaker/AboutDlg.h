// The About box: the program's name and version, and an OK button.
#pragma once

namespace quibo::pagemaker {

struct AboutDlg {
    static constexpr const char* TITLE = "Pellmintのバージョン情報";
    static constexpr const char* TEXT = "Pellmint Version 1.2-1.0";
    // The menu item that opens it.
    static constexpr const char* MENU_ITEM = "バージョン情報(_A)...";
};

}  // namespace quibo::pagemaker
