// Generated knowledge sources for the benchmark programs.
#pragma once

#include <sstream>
#include <string>

namespace quibo::bench {

// A shop: `topics` products in a chain, each with a comparison topic that
// names it and the next product, and a reply table of three groups.  UTF-8.
// An answering shop's products are searchable topics whose titles pair with
// the questions "商品Aと商品Bの違いを教えて" and "商品Aの値段は？".
inline std::string connectedSource(int topics, bool answering = false)
{
    auto u8 = [](const char8_t* text) { return reinterpret_cast<const char*>(text); };
    const std::string product = u8(u8"商品");
    std::ostringstream out;
    for (int category = 0; category < 20; ++category)
        out << "entity " << u8(u8"分類") << category << " flags=8\n";
    out << u8(u8"predicative 教える\n");
    for (int k = 0; k <= topics; ++k) {
        out << "entity " << product << k << (answering ? "\n" : " flags=1\n");
        out << "related " << product << k << " " << u8(u8"分類") << k % 20 << "\n";
    }
    for (int k = 0; k < topics; ++k) {
        const std::string a = product + std::to_string(k);
        const std::string b = product + std::to_string(k + 1);
        out << "table " << a << "\ngroup 0\nentry " << a << u8(u8"は") << b << u8(u8"より軽くできています。 | 商品=") << k
            << "\ngroup 9 type=1\nentry " << a << u8(u8"の詳しいご案内です。\ngroup 8\nentry ")
            << u8(u8"ほかにご質問はありますか？\n");
        out << "topic " << a << " table=" << a << " entities=" << a << "," << b << "\n";
        out << "title X_Y_N source=" << a << u8(u8"と") << b << u8(u8"の違いを教えて x=") << a
            << (answering ? b + u8(u8" y=違い教えて") : " y=" + b) << "\n";
        out << "title X_A_N source=" << a << u8(u8"の値段は？ x=") << a << (answering ? u8(u8"値段") : "") << "\n";
    }
    return out.str();
}

}  // namespace quibo::bench
