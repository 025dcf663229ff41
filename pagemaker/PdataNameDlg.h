// The pdata-name dialog's model: asks for a new name when the knowledge
// file's name holds characters a package may not carry.
#pragma once

#include <string>

namespace quibo::pagemaker {

inline constexpr const char* PDATA_NAME_TITLE = "Pellmint：pdata名チェック";
inline constexpr const char* PDATA_NAME_NOTICE =
    "pdata名に全角文字、半角ｶﾀｶﾅ文字、あるいは不正な記号（/><?:\"|;）が使われています。\n"
    "有効な名前に変更してください。";
// Characters the new-name edit takes.
inline constexpr int PDATA_NAME_LIMIT = 259;

class PdataNameDlg {
public:
    PdataNameDlg(std::string oldName, std::string newName)
        : m_oldName(std::move(oldName)), m_newName(std::move(newName))
    {
    }

    // OK is enabled while the edit's text, leading blanks removed, is not
    // empty and holds no character a package may not carry.
    static bool okEnabled(const std::string& editText);
    // Why OK is not enabled, shown under the edit as the name is typed; ""
    // when it is.
    static std::string refusal(const std::string& editText);
    // OK: the new name as typed (leading blanks kept).
    void ok(const std::string& editText);

    const std::string& oldName() const { return m_oldName; }
    const std::string& newName() const { return m_newName; }

private:
    std::string m_oldName;
    std::string m_newName;
};

}  // namespace quibo::pagemaker
