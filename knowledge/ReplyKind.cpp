#include "knowledge/ReplyKind.h"

#include <array>

namespace quibo {

namespace {

struct KindRow {
    int letter;
    std::int32_t flag;
};

// Indexed by kind number.
constexpr std::array<KindRow, REPLY_KIND_COUNT> KINDS = {{
    {'d', 0x001},
    {'w', 0x200},
    {'o', 0x400},
    {'t', 0x010},
    {'p', 0x080},
    {'l', 0x020},
    {'c', 0x004},
    {'h', 0x100},
    {'n', 0x040},
    {'i', 0x002},
    {'e', 0x008},
    {'d', 0x001},
}};

constexpr int LETTER_A = 'a';
constexpr std::int32_t FLAG_A = 0x800;

}  // namespace

int replyKindLetter(int kind)
{
    if (kind < 0 || kind >= REPLY_KIND_COUNT)
        return -1;
    return KINDS[static_cast<std::size_t>(kind)].letter;
}

std::int32_t replyKindFlag(int letter)
{
    if (letter == LETTER_A)
        return FLAG_A;
    for (const KindRow& row : KINDS) {
        if (row.letter == letter)
            return row.flag;
    }
    return 0;
}

std::int32_t replyGroupKindValue(int sourceType)
{
    switch (sourceType) {
    case 0: return 1;
    case 1: return 64;
    case 2: return 256;
    case 3: return 32;
    default: return -1;
    }
}

}  // namespace quibo
