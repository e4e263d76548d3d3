#include "model/DecimalNumber.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

// What the user typed is the double the compiler reads from the same digits.
TEST (DecimalNumber, ReadsTypedNumbersToTheNearestDouble)
{
    EXPECT_EQ (DecimalNumber::read ("130.1"), 130.1);
    EXPECT_EQ (DecimalNumber::read ("1.118"), 1.118);
    EXPECT_EQ (DecimalNumber::read ("0.3"), 0.3);
    EXPECT_EQ (DecimalNumber::read ("-5"), -5.0);
    EXPECT_EQ (DecimalNumber::read ("+3"), 3.0);
    EXPECT_EQ (DecimalNumber::read ("12."), 12.0);
    EXPECT_EQ (DecimalNumber::read (".5"), 0.5);
    EXPECT_EQ (DecimalNumber::read ("-0.25"), -0.25);

    // Every tempo to a tenth, and knob values to three places, as the C library reads them.
    for (int i = 0; i <= 30000; ++i)
    {
        for (const auto& text : { juce::String (i / 10) + "." + juce::String (i % 10),
                                  juce::String (i / 1000) + "." + juce::String (i % 1000).paddedLeft ('0', 3) })
        {
            const auto read = DecimalNumber::read (text);
            ASSERT_TRUE (read.has_value()) << text;
            ASSERT_EQ (*read, std::strtod (text.toRawUTF8(), nullptr)) << text;
        }
    }
}

TEST (DecimalNumber, ReadsTheSameWhereTheLocaleWritesACommaAndRefusesAnythingButPlainDigits)
{
    // A locale with a decimal comma, where one is installed; the reading must not notice.
    const std::string before = std::setlocale (LC_NUMERIC, nullptr);

    for (auto* name : { "de_DE.UTF-8", "de_DE", "German_Germany.1252" })
        if (std::setlocale (LC_NUMERIC, name) != nullptr)
            break;

    EXPECT_EQ (DecimalNumber::read ("130.1"), 130.1);

    for (auto* text : { "", "+", "-", ".", "1.2.3", "1,5", " 1", "1 ", "1e3", "0x10", "inf", "nan", "--1", "+-1", "1-", "12a" })
        EXPECT_FALSE (DecimalNumber::read (text).has_value()) << text;

    std::setlocale (LC_NUMERIC, before.c_str());
}
