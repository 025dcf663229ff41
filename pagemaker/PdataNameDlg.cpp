#include "pagemaker/PdataNameDlg.h"

namespace quibo::pagemaker {

bool PdataNameDlg::okEnabled(const std::string& editText)
{
    return editText.find_first_not_of(" \t") != std::string::npos;
}

void PdataNameDlg::ok(const std::string& editText)
{
    m_newName = editText;
}

}  // namespace quibo::pagemaker
