#include "input/ClavierBas.h"

#include <gtest/gtest.h>

#include <functional>

namespace qcm::test {
namespace {

using namespace Qt::StringLiterals;

TEST(FilterKey, DigitRowGivesDigitsEverythingElseButBackspaceAndFormFeedIsDiscarded)
{
    const QString typed = u"0123456789à&é\"'(è_ç"_s, digits = u"0123456789012345789"_s;
    for (int mode : {FilterMode::Digits, FilterMode::SignedPoints, FilterMode::Date}) {
        for (qsizetype i = 0; i < typed.size(); ++i)
            EXPECT_EQ(FilterKey(typed[i].unicode(), u"01/02/202"_s, mode), digits[i].unicode()) << mode << " " << i;
        for (QChar c : u"azAZÉÀÇ /,.+=?;:!*§µ²$%€~#{}[]|`\\^@<>\t\r\n\x01\x16\x1b\x7f"_s)
            EXPECT_EQ(FilterKey(c.unicode(), u"1"_s, mode), 0) << mode << " " << int(c.unicode());
        EXPECT_EQ(FilterKey(KeyEnter, u""_s, mode), 0);
        EXPECT_EQ(FilterKey(KeyBackspace, u"1"_s, mode), KeyBackspace);
        EXPECT_EQ(FilterKey(12, u"1"_s, mode), 12);
    }
}

TEST(FilterKey, MinusSignLeadsSignedPointsOnlyAndAFullDateTakesOnlyBackspace)
{
    struct Case {
        int mode;
        QString text;
        char16_t key, expected;
    } const cases[] = {{FilterMode::SignedPoints, u""_s, u'-', u'-'}, {FilterMode::SignedPoints, u"-"_s, u'-', u'6'},
        {FilterMode::SignedPoints, u"3"_s, u'-', 0}, {FilterMode::SignedPoints, u"-6"_s, u'-', 0},
        {FilterMode::Digits, u""_s, u'-', u'6'}, {FilterMode::Digits, u"-"_s, u'-', u'6'},
        {FilterMode::Date, u"12/0"_s, u'-', u'6'}, {FilterMode::Date, u"01/02/2026"_s, u'-', 0},
        {FilterMode::Date, u"01/02/2026"_s, u'7', 0}, {FilterMode::Date, u"01/02/2026"_s, u'é', 0},
        {FilterMode::Date, u"01/02/2026"_s, 12, 0}, {FilterMode::Date, u"01/02/20261"_s, u'7', 0},
        {FilterMode::Date, u"01/02/2026"_s, KeyBackspace, KeyBackspace},
        {FilterMode::Digits, u"01/02/2026"_s, u'7', u'7'}, {FilterMode::SignedPoints, u"-123456789"_s, u'7', u'7'}};
    for (const Case &c : cases)
        EXPECT_EQ(int(FilterKey(c.key, c.text, c.mode)), int(c.expected))
            << "mode " << c.mode << ", text " << c.text.toStdString() << ", key " << int(c.key);
}

TEST(DateAutoSlash, TypedDigitsGetTheirSlashesAndADeletedSlashTakesItsDigitAlong)
{
    // As in the window: every change runs the routine, and its rewrite is one
    // more change, made from inside the first.
    QString text;
    int DatePreviousLength = 0, depth = 0;
    std::function<void(const QString &)> changeTo = [&](const QString &next) {
        DateFieldText field{next, 0};
        text = next;
        if (DateAutoSlash(field, DatePreviousLength)) {
            EXPECT_EQ(field.caret, field.text.size());
            ASSERT_EQ(depth++, 0) << "a rewrite asked for another one";
            changeTo(field.text);
            --depth;
        }
    };
    const auto type = [&](const QString &digits) {
        for (QChar c : digits)
            changeTo(text + c);
        return text;
    };
    const auto backspace = [&] {
        changeTo(text.chopped(1));
        return text;
    };

    EXPECT_EQ(type(u"12"_s), u"12/"_s);
    EXPECT_EQ(type(u"05"_s), u"12/05/"_s);
    EXPECT_EQ(backspace(), u"12/0"_s);
    EXPECT_EQ(type(u"6"_s), u"12/06/"_s);
    EXPECT_EQ(backspace(), u"12/0"_s);
    EXPECT_EQ(backspace(), u"12/"_s);
    EXPECT_EQ(backspace(), u"1"_s);
    EXPECT_EQ(type(u"3"_s), u"13/"_s);

    changeTo(u""_s);
    EXPECT_EQ(type(u"05122026"_s), u"05/12/2026"_s);
    EXPECT_EQ(DatePreviousLength, 0);
    // A date set by the program is kept, and deleting from its end still works.
    changeTo(u"01/02/2026"_s);
    for (int i = 0; i < 4; ++i)
        backspace();
    EXPECT_EQ(backspace(), u"01/0"_s);
}

} // namespace
} // namespace qcm::test
