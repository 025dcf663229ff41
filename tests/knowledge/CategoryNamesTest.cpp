#include "knowledge/CategoryNames.h"

#include <gtest/gtest.h>

namespace quibo {
namespace {

TEST(CategoryNamesTest, FallbackCentreIsStoredAsEucJp)
{
    // 補完談話 in EUC-JP: the word the dialogue layer looks up in the
    // knowledge base must have the knowledge file's encoding.
    EXPECT_EQ(COMPLEMENTARY_DISCOURSE, "\xCA\xE4\xB4\xB0\xC3\xCC\xCF\xC3");
    EXPECT_EQ(NOUN_WORD, "\xCC\xBE\xBB\xEC");
    EXPECT_EQ(ENTITY_WORD, "entity");
    EXPECT_EQ(DICTIONARY_EXTENSION, ".dic");
}

}  // namespace
}  // namespace quibo
