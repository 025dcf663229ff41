#include "pagemaker/PdataNameDlg.h"

#include "pagemaker/PellmintDlg.h"

namespace quibo::pagemaker {

bool PdataNameDlg::okEnabled(const std::string& editText)
{
    return refusal(editText).empty();
}

std::string PdataNameDlg::refusal(const std::string& editText)
{
    if (editText.find_first_not_of(" \t") == std::string::npos) {
        return "名前を入力してください。";
    }
    // The name is UTF-8: one character is a lead byte and its continuations.
    for (std::size_t begin = 0, end; begin < editText.size(); begin = end) {
        end = begin + 1;
        while (end < editText.size() && (static_cast<unsigned char>(editText[end]) & 0xC0) == 0x80) {
            ++end;
        }
        const std::string character = editText.substr(begin, end - begin);
        if (PellmintDlg::containsForbidden(character)) {
            return "「" + character + "」は使えません。全角文字、半角カタカナ、記号 /><?:\"\\*|; は使えません。";
        }
    }
    return {};
}

void PdataNameDlg::ok(const std::string& editText)
{
    m_newName = editText;
}

}  // namespace quibo::pagemaker
