#include "platform/Bstr.h"

#include <gtest/gtest.h>

#include <cstring>

namespace quibo::platform {
namespace {

TEST(BstrTest, LengthPrefixCountsBytesAndTextEndsInNul)
{
    const OLECHAR text[] = {u'a', 0, u'b'};
    BSTR bstr = SysAllocStringLen(text, 3);
    ASSERT_NE(bstr, nullptr);
    std::uint32_t prefix = 0;
    std::memcpy(&prefix, reinterpret_cast<char*>(bstr) - 4, 4);
    EXPECT_EQ(prefix, 6u);
    EXPECT_EQ(SysStringLen(bstr), 3u);
    EXPECT_EQ(SysStringByteLen(bstr), 6u);
    EXPECT_EQ(bstr[1], 0);
    EXPECT_EQ(bstr[3], 0);
    SysFreeString(bstr);

    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    SysFreeString(nullptr);
    EXPECT_EQ(SysAllocStringLen(nullptr, 0xFFFFFFFFu), nullptr);
}

TEST(BstrTest, ShiftJisTextBecomesUtf16AsCodePage932ReadsIt)
{
    // ソ and 表 carry 5C as their trail byte; 5C and 7E alone are ASCII in
    // code page 932, not the yen sign and overline; 81 alone is no character.
    BSTR bstr = SysAllocStringFromShiftJis("\x83\x5C\x95\x5C\\~\x81");
    ASSERT_NE(bstr, nullptr);
    EXPECT_EQ(std::u16string(bstr, SysStringLen(bstr)), u"ソ表\\~");
    EXPECT_EQ(bstrToUtf8(bstr), reinterpret_cast<const char*>(u8"ソ表\\~"));
    SysFreeString(bstr);

    BSTR empty = SysAllocStringFromShiftJis("");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(SysStringLen(empty), 0u);
    SysFreeString(empty);
}

}  // namespace
}  // namespace quibo::platform
