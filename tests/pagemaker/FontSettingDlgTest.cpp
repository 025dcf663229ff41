#include "pagemaker/FontSettingDlg.h"

#include "tests/support/ScriptedFront.h"

#include <gtest/gtest.h>

namespace quibo::pagemaker {
namespace {

TEST(FontSettingDlgTest, AColourOutsideTheSixteenSetsNoButtonAndSurvivesOk)
{
    TextStyle style;
    style.colour = rgb(1, 2, 3);
    test::ScriptedFront front;
    front.fontScript = [](FontSettingDlg& dialog) {
        EXPECT_EQ(dialog.checkedButton(), -1);
        EXPECT_EQ(dialog.selectedFace(), 0);
        dialog.selectFace(2);
    };
    style.choose(front);
    EXPECT_EQ(style.colour, rgb(1, 2, 3));
    EXPECT_EQ(style.face, "Microsoft Sans Serif");
}

TEST(FontSettingDlgTest, CancelRestoresWhatTheDialogOpenedWith)
{
    TextStyle style;
    style.face = "ＭＳ 明朝";
    style.colour = rgb(0, 0, 128);
    test::ScriptedFront front;
    front.fontScript = [](FontSettingDlg& dialog) {
        EXPECT_EQ(COLOUR_BUTTONS[dialog.checkedButton()].id, 1036);
        dialog.pickColour(1);
        EXPECT_EQ(dialog.colour(), rgb(255, 0, 0));
        EXPECT_EQ(dialog.face(), "ＭＳ 明朝");
        dialog.selectFace(0);
        dialog.cancel();
    };
    style.choose(front);
    EXPECT_EQ(style.colour, rgb(0, 0, 128));
    EXPECT_EQ(style.face, "ＭＳ 明朝");
}

}  // namespace
}  // namespace quibo::pagemaker
