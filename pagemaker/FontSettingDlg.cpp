#include "pagemaker/FontSettingDlg.h"

#include "pagemaker/DialogFront.h"

#include <strings.h>

namespace quibo::pagemaker {

void TextStyle::choose(DialogFront& front)
{
    FontSettingDlg dialog(*this);
    front.runFontSetting(dialog);
    colour = dialog.colour();
    face = dialog.face();
}

FontSettingDlg::FontSettingDlg(const TextStyle& style)
    : m_colour(style.colour), m_face(style.face), m_faces(style.faces)
{
}

void FontSettingDlg::open()
{
    m_selectedFace = -1;
    for (std::size_t i = 0; i < m_faces.size(); ++i) {
        if (::strncasecmp(m_faces[i].c_str(), m_face.c_str(), m_face.size()) == 0) {
            m_selectedFace = static_cast<int>(i);
            break;
        }
    }
    m_savedColour = m_colour;
    m_savedFace = m_face;
}

int FontSettingDlg::checkedButton() const
{
    for (std::size_t i = 0; i < COLOUR_BUTTONS.size(); ++i) {
        if (COLOUR_BUTTONS[i].colour == m_colour) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void FontSettingDlg::pickColour(int position)
{
    if (position >= 0 && static_cast<std::size_t>(position) < COLOUR_BUTTONS.size()) {
        m_colour = COLOUR_BUTTONS[position].colour;
    }
    selectFace(m_selectedFace);
}

void FontSettingDlg::selectFace(int entry)
{
    // With no entry selected the face stays as it is.
    if (entry >= 0 && static_cast<std::size_t>(entry) < m_faces.size()) {
        m_selectedFace = entry;
        m_face = m_faces[entry];
    }
}

void FontSettingDlg::cancel()
{
    m_colour = m_savedColour;
    m_face = m_savedFace;
}

}  // namespace quibo::pagemaker
