#include "model/BoundedXml.h"

#include <gtest/gtest.h>

namespace
{
    std::string nested (int depth, const std::string& open = "<a>", const std::string& close = "</a>")
    {
        std::string text;

        for (int i = 0; i < depth; ++i)
            text += open;

        for (int i = 0; i < depth; ++i)
            text += close;

        return text;
    }

    juce::Result check (const std::string& text)
    {
        return BoundedXml::check (text.data(), text.size());
    }

    int depthOf (const juce::XmlElement& root)
    {
        int depth = 1;

        for (auto* e = root.getFirstChildElement(); e != nullptr; e = e->getFirstChildElement())
            if (! e->isTextElement())
                ++depth;

        return depth;
    }
}

TEST (BoundedXml, RefusesDeepNestingHoweverItIsWritten)
{
    // Just inside the bound: the parser gets it and reads every level.
    std::unique_ptr<juce::XmlElement> xml;
    const auto inside = "<?xml version=\"1.0\"?><!-- c --><?pi <b> ?>" + nested (BoundedXml::maxDepth);
    ASSERT_TRUE (BoundedXml::parse (inside.data(), inside.size(), xml).wasOk());
    EXPECT_EQ (depthOf (*xml), BoundedXml::maxDepth);

    // One level more, in every shape an element can be opened with.
    const std::string shapes[] = {
        "<a>",
        "<a x=\"1\">",
        "<a x='1' y = \"2\"\n>",
        "<a x=\"/>\">", // a quoted > or /> ends nothing
        "<a x=\"<b/>\">",
        "<!-- <b/> --><a>", // what a comment holds is not counted, the rest is
        "<a><![CDATA[<b/>]]>",
        "text &amp; &#60; &#x3C;<a>",
    };

    for (auto& open : shapes)
    {
        SCOPED_TRACE (open);
        EXPECT_TRUE (check (nested (BoundedXml::maxDepth + 1, open)).failed());
        EXPECT_EQ (check (nested (BoundedXml::maxDepth, open)).getErrorMessage(), "");
    }

    // Self-closing elements and closed siblings do not add up.
    std::string wide = "<root>";

    for (int i = 0; i < 1000; ++i)
        wide += "<a/><b></b>";

    EXPECT_TRUE (check (wide + "</root>").wasOk());

    // The file that crashed every start: refused at once, without recursion.
    EXPECT_TRUE (check (nested (200'000)).failed());
}

TEST (BoundedXml, RefusesWhatTheParserWouldReadDifferentlyOrFollowElsewhere)
{
    // Each of these could make the parser see elements this check does not,
    // read other files, or never end; each is refused whatever its depth.
    const std::string refused[] = {
        "<!DOCTYPE a [<!ENTITY e \"&e;\">]><a>&e;</a>", // entities that expand into themselves
        "<!DOCTYPE a SYSTEM \"/dev/zero\"><a/>",
        "<a>&e;</a>", // an entity the parser would look for up to the next ';'
        "<a x=\"&e\" ;\"><b/></a>",
        "<a x=\"&#x12\"><b/></a>",
        "<a <!-- x --> y=\"1\"/>",
        "<a x=1/>",
        "< a/>",
        "<a>\xff</a>",
        "</a>",
        "<a><!-- never closed",
        "<a><![CDATA[ never closed",
        "<a><?pi?>text</a>", // the parser would read this for ever
        std::string ("<a>\0<b></b></a>", 15),
        "<a x=\"" + std::string ((size_t) BoundedXml::maxFileSize, 'x') + "\"/>", // over the size bound, even when harmless
    };

    for (const auto& text : refused)
    {
        SCOPED_TRACE (text.substr (0, 40));
        EXPECT_TRUE (check (text).failed());
    }
}
