// Names from UTF-16 to UTF-8 and back, as the tree keeps them.

#include "tree/utf8.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string toUtf8(const std::u16string& in, size_t room = 1024) {
    std::vector<char> out(room);
    size_t length = utf16ToUtf8(in.data(), in.size(), out.data(), room);
    EXPECT_EQ(out[length], 0);
    return std::string(out.data(), length);
}

std::u16string toUtf16(const std::string& in, size_t room = 1024) {
    std::vector<char16_t> out(room);
    size_t length = utf8ToUtf16(in.data(), in.size(), out.data(), room);
    EXPECT_EQ(out[length], 0);
    return std::u16string(out.data(), length);
}

TEST(Utf8, EverySequenceLengthSurrogatePairsAndUnpairedUnits) {
    const std::string fffd = "\xEF\xBF\xBD";
    struct Case {
        std::u16string wide;
        std::string narrow;
    };
    const Case cases[] = {
        {u"", ""},
        {u"plain", "plain"},
        {u"\u007F", "\x7F"},
        {u"\u0080\u00E9\u07FF", "\xC2\x80\xC3\xA9\xDF\xBF"},  // 2 bytes
        {u"\u0800\u65E5\uFFFF", "\xE0\xA0\x80\xE6\x97\xA5\xEF\xBF\xBF"},  // 3 bytes
        {u"\U00010000\U0001F600\U0010FFFF", "\xF0\x90\x80\x80\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF"},  // pairs
        {u"\xD800x", fffd + "x"},                           // unpaired high at the start
        {u"a\xDC00" "b", "a" + fffd + "b"},                 // unpaired low in the middle
        {u"ab\xD83D", "ab" + fffd},                          // high at the end
        {u"\xDE00\xD83D", fffd + fffd},                      // a pair the wrong way round
        {u"\xD83D\xD83D\xDE00", fffd + "\xF0\x9F\x98\x80"},  // two highs, then a low
    };
    for (const Case& c : cases) {
        EXPECT_EQ(toUtf8(c.wide), c.narrow);
        // Back again where nothing was replaced.
        if (c.narrow.find(fffd) == std::string::npos) {
            EXPECT_EQ(toUtf16(c.narrow), c.wide);
        }
    }
}

// 255 units, the longest name: three bytes each, or pairs of four.
TEST(Utf8, TheLongestNameFitsTheRoomItIsGiven) {
    std::u16string kana(255, u'\u30A2');
    EXPECT_EQ(toUtf8(kana, utf8RoomFor(255) + 1).size(), 765u);
    std::u16string emoji;
    for (int i = 0; i < 127; ++i) emoji += u"\U0001F600";
    emoji += u'x';
    std::string narrow = toUtf8(emoji, utf8RoomFor(255) + 1);
    EXPECT_EQ(narrow.size(), 127u * 4 + 1);
    EXPECT_EQ(toUtf16(narrow), emoji);
}

// A room too small ends the text at a whole character, never inside one.
TEST(Utf8, ShortRoomEndsAtAWholeCharacter) {
    EXPECT_EQ(toUtf8(u"a\u00E9\U0001F600", 3), "a");
    EXPECT_EQ(toUtf8(u"a\u00E9\U0001F600", 4), "a\xC3\xA9");
    EXPECT_EQ(toUtf16("a\xF0\x9F\x98\x80", 3), u"a");
}

TEST(Utf8, BytesOutsideAnySequenceBecomeReplacementCharacters) {
    EXPECT_EQ(toUtf16("a\xFF" "b"), u"a\uFFFD" "b");
    EXPECT_EQ(toUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");          // overlong
    EXPECT_EQ(toUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // a surrogate written out
    EXPECT_EQ(toUtf16("\xE6\x97"), u"\uFFFD\uFFFD");          // cut short
    EXPECT_EQ(toUtf16("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");  // past U+10FFFF
    EXPECT_EQ(toUtf16("\xF5\x80\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");  // a lead past U+10FFFF
    EXPECT_EQ(toUtf16("\xFC\x84\x80\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD");  // no lead at all
    EXPECT_EQ(toUtf16("\x80" "a"), u"\uFFFD" "a");                            // a lone continuation
}

}  // namespace
