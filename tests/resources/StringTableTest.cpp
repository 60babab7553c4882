#include "resources/StringTable.h"

#include <climits>
#include <cstddef>
#include <gtest/gtest.h>
#include <string_view>

namespace orlo {
namespace {

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t extra = 0;
        char32_t point = 0;
        char32_t minimum = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1;
            point = lead & 0x1F;
            minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2;
            point = lead & 0x0F;
            minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3;
            point = lead & 0x07;
            minimum = 0x10000;
        } else {
            return false;
        }
        if (text.size() - i <= extra) {
            return false;
        }
        for (std::size_t k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            point = (point << 6) | (next & 0x3F);
        }
        if (point < minimum || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) {
            return false;
        }
        i += extra + 1;
    }
    return true;
}

TEST(Utf8Check, RejectsMalformedSequences) {
    EXPECT_TRUE(IsValidUtf8("Orlo 通信 °"));
    EXPECT_FALSE(IsValidUtf8("\xE9\x80"));         // cut short
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));         // overlong '/'
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));     // surrogate
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80")); // above U+10FFFF
    EXPECT_FALSE(IsValidUtf8("\x82\xA0"));         // CP932 bytes, not UTF-8
}

TEST(StringTable, IdsAscendStrictly) {
    const auto entries = StringTableEntries();
    ASSERT_FALSE(entries.empty());
    for (std::size_t i = 1; i < entries.size(); ++i) {
        EXPECT_LT(entries[i - 1].id, entries[i].id)
            << "entry " << i << " (id " << entries[i].id << ") is out of order or repeats an id";
    }
}

TEST(StringTable, EveryEntryIsNonEmptyValidUtf8) {
    for (const auto& entry : StringTableEntries()) {
        EXPECT_FALSE(entry.text.empty()) << "id " << entry.id;
        EXPECT_TRUE(IsValidUtf8(entry.text)) << "id " << entry.id;
    }
}

TEST(StringTable, LoadStringFindsEveryEntry) {
    for (const auto& entry : StringTableEntries()) {
        EXPECT_EQ(LoadString(entry.id), entry.text) << "id " << entry.id;
    }
}

TEST(StringTable, UnknownIdsGiveEmptyText) {
    const auto entries = StringTableEntries();
    for (int id : {INT_MIN, -1, 0, 999, 1114, 1119, 1142, 3199, 9999, INT_MAX, entries.front().id - 1,
                   entries.back().id + 1}) {
        EXPECT_TRUE(LoadString(id).empty()) << "id " << id;
    }
}

// Texts whose bytes are easy to damage by hand: placeholders, ASCII punctuation inside Japanese
// text, doubled blanks, the degree sign.
TEST(StringTable, KeepsPlaceholdersAndPunctuationExactly) {
    EXPECT_EQ(LoadString(1000), "japanese");
    EXPECT_EQ(LoadString(1109),
              "通信が正しく行えませんでした。(コード:%Xh)\nお問い合わせ先にご連絡ください。");
    EXPECT_EQ(LoadString(1110),
              "通信が正しく行えませんでした。(コード:%d)\nお問い合わせ先にご連絡ください。");
    EXPECT_EQ(LoadString(1129), "No.%dのエリアを削除します。\n削除してよろしいですか?");
    EXPECT_EQ(LoadString(3503), "重なり %d%%");
    EXPECT_EQ(LoadString(3701), "動体検知領域(近距離)");
    EXPECT_EQ(LoadString(5000), "Settings File (*.ini)|*.ini|");
    EXPECT_EQ(LoadString(5030), "%d\xC2\xB0");
    EXPECT_EQ(LoadString(5100), "%s %d.%d.%d.%d  COM%d:%d");
    EXPECT_EQ(LoadString(5101), "%s %d.%d.%d.%d  %s:%d");
}

} // namespace
} // namespace orlo
