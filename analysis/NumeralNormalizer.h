// One written form per quantity: numeral words in full-width digits, kanji
// numerals, formal kanji numerals, digits mixed with units and grouped
// digits all become the number's decimal value in full-width digits, so
// that word lists compare quantities by their text.
#pragma once

#include <string>

namespace quibo {

// The canonical written form of the numeral word `text` (EUC-JP).  Text it
// cannot evaluate comes back in a canonical character form rather than as
// a value: decimals unchanged, indefinite numerals (何百) as their
// indefinite character, anything else with digit characters made
// canonical.  One-byte characters are taken as such; they end evaluation.
std::string normalizeNumeral(const std::string& text);

}  // namespace quibo
