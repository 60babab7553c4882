#include "core/strings/StringTable.h"

#include "core/strings/LanguageChoice.h"

#include <climits>
#include <cstddef>
#include <gtest/gtest.h>
#include <string>
#include <string_view>
#include <vector>

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

// The printf conversions of a text in order ("%d", "%Xh" counts as "%X"); "%%" is no conversion.
std::vector<std::string> Conversions(std::string_view text) {
    std::vector<std::string> found;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '%') {
            continue;
        }
        std::size_t end = i + 1;
        while (end < text.size() &&
               std::string_view("0123456789.-+ #l").find(text[end]) != std::string_view::npos) {
            ++end;
        }
        if (end < text.size() && text[end] != '%') {
            found.emplace_back(text.substr(i, end - i + 1));
        }
        i = end;
    }
    return found;
}

// Any kana, CJK ideograph or full-width form: what an English window must not show.
bool HoldsJapanese(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        char32_t point = lead & (length == 4 ? 0x07 : length == 3 ? 0x0F : 0x1F);
        for (std::size_t k = 1; k < length && i + k < text.size(); ++k) {
            point = (point << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        }
        if ((point >= 0x3000 && point <= 0x30FF) || (point >= 0x4E00 && point <= 0x9FFF) ||
            (point >= 0xFF00 && point <= 0xFFEF)) {
            return true;
        }
        i += length;
    }
    return false;
}

TEST(StringTable, EveryEntryHasAnEnglishTextWithTheSamePlaceholders) {
    for (const auto& entry : StringTableEntries()) {
        EXPECT_FALSE(entry.english.empty()) << "id " << entry.id << " has no English text";
        EXPECT_TRUE(IsValidUtf8(entry.english)) << "id " << entry.id;
        EXPECT_FALSE(HoldsJapanese(entry.english)) << "id " << entry.id << ": " << entry.english;
        EXPECT_EQ(Conversions(entry.english), Conversions(entry.text)) << "id " << entry.id;
    }
}

TEST(StringTable, LoadStringAnswersInTheChosenLanguage) {
    EXPECT_EQ(CurrentLanguage(), Language::Japanese);
    EXPECT_EQ(LoadString(9701), "接続");
    SetLanguage(Language::English);
    EXPECT_EQ(LoadString(9701), "Connect");
    EXPECT_EQ(LoadString(1129), "Area No.%d will be deleted.\nDelete it?");
    EXPECT_TRUE(LoadString(999).empty());
    SetLanguage(Language::Japanese);
    EXPECT_EQ(LoadString(1129), "No.%dのエリアを削除します。\n削除してよろしいですか?");
    EXPECT_EQ(LoadString(9701, Language::English), "Connect");
    EXPECT_EQ(LoadString(9701, Language::Japanese), "接続");
}

TEST(StringTable, PlaceholderCheckSeesADifference) {
    EXPECT_EQ(Conversions("Overlap %d%%"), std::vector<std::string>{"%d"});
    EXPECT_EQ(Conversions("(コード:%Xh) %s"), (std::vector<std::string>{"%X", "%s"}));
    EXPECT_NE(Conversions("%d %s"), Conversions("%s %d"));
    EXPECT_TRUE(HoldsJapanese("OK～"));
    EXPECT_TRUE(HoldsJapanese("はい"));
    EXPECT_FALSE(HoldsJapanese("Reconnecting… 90°"));
}

TEST(LanguageChoice, OptionNamesOnlyTheTwoLanguages) {
    EXPECT_EQ(ParseLanguageName("en"), Language::English);
    EXPECT_EQ(ParseLanguageName("ja"), Language::Japanese);
    for (std::string_view bad : {"", "EN", "english", "fr", "en_US", "ja "}) {
        EXPECT_FALSE(ParseLanguageName(bad).has_value()) << bad;
    }
}

TEST(LanguageChoice, JapaneseUnlessTheLocaleNamesAnotherLanguage) {
    for (std::string_view japanese :
         {"", "C", "C.UTF-8", "C.utf8", "POSIX", "ja", "ja_JP", "ja_JP.UTF-8", "ja_JP.eucJP", "japanese"}) {
        EXPECT_EQ(LanguageOfLocale(japanese), Language::Japanese) << japanese;
    }
    for (std::string_view other : {"en_US.UTF-8", "en_GB", "de_DE.UTF-8@euro", "fr", "zh_CN.UTF-8"}) {
        EXPECT_EQ(LanguageOfLocale(other), Language::English) << other;
    }
}

TEST(LanguageChoice, LocaleVariablesInThePosixOrderAndTheOptionFirst) {
    EXPECT_EQ(MessagesLocale("en_US.UTF-8", "ja_JP.UTF-8", "ja_JP.UTF-8"), "en_US.UTF-8");
    EXPECT_EQ(MessagesLocale("", "de_DE", "ja_JP.UTF-8"), "de_DE");
    EXPECT_EQ(MessagesLocale(nullptr, "", "ja_JP.UTF-8"), "ja_JP.UTF-8");
    EXPECT_EQ(MessagesLocale(nullptr, nullptr, nullptr), "");
    EXPECT_EQ(ChooseLanguage(std::nullopt, "en_US.UTF-8"), Language::English);
    EXPECT_EQ(ChooseLanguage(std::nullopt, ""), Language::Japanese);
    EXPECT_EQ(ChooseLanguage(Language::Japanese, "en_US.UTF-8"), Language::Japanese);
    EXPECT_EQ(ChooseLanguage(Language::English, "ja_JP.UTF-8"), Language::English);
}

} // namespace
} // namespace orlo
