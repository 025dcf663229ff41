// The faces an author picks keep their names: they are written into
// custom.js for the visitor's browser.  This system has none of them, so the
// program tells fontconfig which installed face stands in for each, and the
// font dialog's sample shows a face of the kind the name stands for.
#pragma once

namespace quibo::pagemaker {

// Adds the stand-ins to the process's font configuration.  Called before
// GTK first lays out text; false when fontconfig refused them (the sample
// then shows whatever face fontconfig picks).
bool registerFontAliases();

}  // namespace quibo::pagemaker
