#include "pagemaker/gtk/FontAliases.h"

#include <fontconfig/fontconfig.h>
#include <string>

namespace quibo::pagemaker {
namespace {

struct StandIn {
    const char* face;
    const char* installed;
};

// Gothic faces by the IPA Gothic pair (fixed and proportional), mincho by IPA
// Mincho, the Latin interface face by the system's sans-serif.
constexpr StandIn STAND_INS[] = {
    {"ＭＳ ゴシック", "IPAGothic"},
    {"ＭＳ Ｐゴシック", "IPAPGothic"},
    {"ＭＳ 明朝", "IPAMincho"},
    {"Microsoft Sans Serif", "sans-serif"},
};

}  // namespace

bool registerFontAliases()
{
    std::string rules = "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"urn:fontconfig:fonts.dtd\">\n"
                        "<fontconfig>\n";
    for (const StandIn& s : STAND_INS) {
        // "same": the stand-in binds as strongly as the face asked for, so
        // that it wins over the faces the system would add for the language.
        rules += std::string("<alias binding=\"same\"><family>") + s.face + "</family><prefer><family>" +
                 s.installed + "</family></prefer></alias>\n";
    }
    rules += "</fontconfig>\n";
    FcConfig* config = FcConfigGetCurrent();
    return config != nullptr &&
           FcConfigParseAndLoadFromMemory(config, reinterpret_cast<const FcChar8*>(rules.c_str()), FcTrue) == FcTrue;
}

}  // namespace quibo::pagemaker
