#pragma once

#include <juce_core/juce_core.h>

#include <memory>

/**
    Reads the program's small XML files (settings) so that no file can harm
    the start: JUCE's XML parser recurses once per nested element and follows
    a document type's entities, so a hostile or damaged file could overflow
    the stack or read other files.

    A file is refused before the parser sees it when it is larger than
    maxFileSize, nests elements deeper than maxDepth, holds a document type
    declaration, or is not plain UTF-8 text in the shapes the parser reads the
    same way as this check does. The check itself walks the text once and
    never recurses.
*/
struct BoundedXml
{
    static constexpr juce::int64 maxFileSize = 64 * 1024;
    static constexpr int maxDepth = 32;

    /** Whether text may be handed to JUCE's parser; the failure says why not
        ("elements nested deeper than 32"). */
    static juce::Result check (const void* text, size_t size);

    /** Checks, then parses. The failure says why nothing was read. */
    static juce::Result parse (const void* text, size_t size, std::unique_ptr<juce::XmlElement>& element);

    /** Reads a file of at most maxFileSize bytes (a larger one is refused by
        its size before it is opened) and parses it. */
    static juce::Result read (const juce::File& file, std::unique_ptr<juce::XmlElement>& element);
};
