// The font dialog's model: face and colour of one text style, with sixteen
// colour buttons and a 30-point sample; Cancel restores what it opened with.
#pragma once

#include "pagemaker/PageBuilder.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace quibo::pagemaker {

struct ColourButton {
    int id;
    std::uint32_t colour;  // red in the low byte, then green, then blue
};

constexpr std::uint32_t rgb(std::uint32_t red, std::uint32_t green, std::uint32_t blue)
{
    return red | (green << 8) | (blue << 16);
}

// By position: the top row left to right, then the bottom row.
inline constexpr std::array<ColourButton, 16> COLOUR_BUTTONS = {{
    {1030, rgb(128, 0, 0)},     {1031, rgb(255, 0, 0)},     {1032, rgb(128, 0, 128)},
    {1033, rgb(255, 0, 255)},   {1034, rgb(255, 255, 0)},   {1035, rgb(0, 255, 0)},
    {1037, rgb(128, 128, 0)},   {1038, rgb(0, 128, 0)},     {1036, rgb(0, 0, 128)},
    {1039, rgb(0, 0, 255)},     {1040, rgb(0, 128, 128)},   {1041, rgb(0, 255, 255)},
    {1042, rgb(192, 192, 192)}, {1043, rgb(255, 255, 255)}, {1044, rgb(128, 128, 128)},
    {1045, rgb(0, 0, 0)},
}};

inline constexpr int SAMPLE_POINTS = 30;
inline constexpr const char* SAMPLE_TEXT = "AaBbYyZz";

class FontSettingDlg {
public:
    explicit FontSettingDlg(const TextStyle& style);

    // Opening: the face entry to select (the first that begins with the face,
    // without regard to ASCII case; -1 for none) and the colour button to set
    // (-1 when the colour is none of the sixteen).  Saves both for Cancel.
    void open();
    int selectedFace() const { return m_selectedFace; }
    int checkedButton() const;

    // A colour button (by position in COLOUR_BUTTONS): the colour becomes its
    // value and the face is taken from the selected entry again.
    void pickColour(int position);
    // The face list's selection changed.
    void selectFace(int entry);
    void cancel();

    std::uint32_t colour() const { return m_colour; }
    const std::string& face() const { return m_face; }
    const std::vector<std::string>& faces() const { return m_faces; }

private:
    std::uint32_t m_colour;
    std::string m_face;
    std::vector<std::string> m_faces;
    int m_selectedFace = -1;
    std::uint32_t m_savedColour = 0;
    std::string m_savedFace;
};

}  // namespace quibo::pagemaker
