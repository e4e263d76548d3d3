#include "BoundedXml.h"
#include "BoundedFileReader.h"
#include "WholeFileWriter.h"

#include <cstring>

namespace
{
    /** A cursor over the text that only ever moves forward. */
    struct Scanner
    {
        const char* p;
        const char* end;

        bool atEnd() const noexcept { return p >= end; }
        char peek (size_t ahead = 0) const noexcept { return p + ahead < end ? p[ahead] : 0; }

        bool startsWith (const char* s) const noexcept
        {
            const auto n = std::strlen (s);
            return (size_t) (end - p) >= n && std::memcmp (p, s, n) == 0;
        }

        /** Moves past the next occurrence of s; false when there is none. */
        bool skipPast (const char* s) noexcept
        {
            const auto n = std::strlen (s);

            for (; (size_t) (end - p) >= n; ++p)
            {
                if (std::memcmp (p, s, n) == 0)
                {
                    p += n;
                    return true;
                }
            }

            p = end;
            return false;
        }
    };

    bool isSpace (char c) noexcept
    {
        return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
    }

    // Only the ASCII part of what JUCE takes for a name: anything else in a
    // name is refused, so the two can never read a tag differently.
    bool isNameChar (char c) noexcept
    {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
               || c == '_' || c == '-' || c == ':' || c == '.';
    }

    bool isHexDigit (char c) noexcept
    {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    }

    /** At '&': moves past one of the entities JUCE reads without looking
        further (the five named ones, decimal and hex character references). */
    bool skipEntity (Scanner& s) noexcept
    {
        ++s.p;

        for (auto* named : { "amp;", "quot;", "apos;", "lt;", "gt;" })
        {
            if (s.startsWith (named))
            {
                s.p += std::strlen (named);
                return true;
            }
        }

        if (s.peek() != '#')
            return false;

        ++s.p;
        const bool hex = s.peek() == 'x' || s.peek() == 'X';

        if (hex)
            ++s.p;

        int digits = 0;

        while (hex ? isHexDigit (s.peek()) : (s.peek() >= '0' && s.peek() <= '9'))
        {
            ++s.p;
            ++digits;
        }

        if (digits == 0 || digits > (hex ? 8 : 12) || s.peek() != ';')
            return false;

        ++s.p;
        return true;
    }

    juce::Result refuse (const char* why)
    {
        return juce::Result::fail (why);
    }
}

juce::Result BoundedXml::check (const void* text, size_t size)
{
    auto* start = static_cast<const char*> (text);

    if (size > (size_t) maxFileSize)
        return juce::Result::fail ("larger than " + juce::String (maxFileSize / 1024) + " KiB");

    if (size > 0 && std::memchr (start, 0, size) != nullptr)
        return refuse ("holds a zero byte");

    if (! juce::CharPointer_UTF8::isValidString (start, (int) size))
        return refuse ("not UTF-8 text");

    Scanner s { start, start + size };
    int depth = 0;

    while (! s.atEnd())
    {
        const char c = s.peek();

        if (c == '&')
        {
            if (! skipEntity (s))
                return refuse ("holds an entity other than a character reference");

            continue;
        }

        if (c != '<')
        {
            ++s.p;
            continue;
        }

        if (s.startsWith ("<!--"))
        {
            s.p += 4;

            if (! s.skipPast ("-->"))
                return refuse ("has an unterminated comment");

            continue;
        }

        if (s.startsWith ("<![CDATA["))
        {
            s.p += 9;

            if (! s.skipPast ("]]>"))
                return refuse ("has an unterminated CDATA section");

            continue;
        }

        if (s.startsWith ("<?"))
        {
            // Inside an element, JUCE's parser steps back over a processing
            // instruction before text and reads it again, for ever.
            if (depth > 0)
                return refuse ("has a processing instruction inside an element");

            s.p += 2;

            if (! s.skipPast ("?>"))
                return refuse ("has an unterminated processing instruction");

            continue;
        }

        if (s.peek (1) == '!')
            return refuse ("holds a document type declaration");

        if (s.peek (1) == '/')
        {
            if (depth == 0)
                return refuse ("closes an element that was never opened");

            if (! s.skipPast (">"))
                return refuse ("has an unterminated closing tag");

            --depth;
            continue;
        }

        // An opening tag: a name, then name="value" pairs, then > or />.
        ++s.p;

        if (! isNameChar (s.peek()))
            return refuse ("has a tag without a name");

        while (isNameChar (s.peek()))
            ++s.p;

        for (;;)
        {
            while (isSpace (s.peek()))
                ++s.p;

            if (s.peek() == '/' && s.peek (1) == '>')
            {
                s.p += 2;
                break;
            }

            if (s.peek() == '>')
            {
                ++s.p;

                if (++depth > maxDepth)
                    return juce::Result::fail ("elements nested deeper than " + juce::String (maxDepth));

                break;
            }

            if (! isNameChar (s.peek()))
                return refuse ("has a malformed tag");

            while (isNameChar (s.peek()))
                ++s.p;

            while (isSpace (s.peek()))
                ++s.p;

            if (s.peek() != '=')
                return refuse ("has an attribute without a value");

            ++s.p;

            while (isSpace (s.peek()))
                ++s.p;

            const char quote = s.peek();

            if (quote != '"' && quote != '\'')
                return refuse ("has an attribute value without quotes");

            ++s.p;

            while (s.peek() != quote)
            {
                if (s.atEnd())
                    return refuse ("has an unterminated attribute value");

                if (s.peek() == '&')
                {
                    if (! skipEntity (s))
                        return refuse ("holds an entity other than a character reference");
                }
                else
                {
                    ++s.p;
                }
            }

            ++s.p;
        }
    }

    return juce::Result::ok();
}

juce::Result BoundedXml::parse (const void* text, size_t size, std::unique_ptr<juce::XmlElement>& element)
{
    element.reset();
    auto* bytes = static_cast<const char*> (text);

    // A byte-order mark, as some editors write, is not part of the document.
    if (size >= 3 && std::memcmp (bytes, "\xEF\xBB\xBF", 3) == 0)
    {
        bytes += 3;
        size -= 3;
    }

    const auto checked = check (bytes, size);

    if (checked.failed())
        return checked;

    juce::XmlDocument document (juce::String::fromUTF8 (bytes, (int) size));
    element = document.getDocumentElement();

    if (element == nullptr)
        return juce::Result::fail ("not an XML document" + (document.getLastParseError().isEmpty() ? juce::String() : " (" + document.getLastParseError() + ")"));

    return juce::Result::ok();
}

juce::Result BoundedXml::read (const juce::File& file, std::unique_ptr<juce::XmlElement>& element)
{
    element.reset();

    if (! file.existsAsFile())
        return juce::Result::fail ("no such file");

    const auto size = file.getSize();

    if (size > maxFileSize)
        return juce::Result::fail ("larger than " + juce::String (maxFileSize / 1024) + " KiB ("
                                   + WholeFileWriter::formatCount (size) + " bytes)");

    // The size a file reports can change or be wrong: the reader stops one
    // byte past the bound, which parse refuses.
    juce::MemoryBlock data;

    if (const auto read = BoundedFileReader::read (file, (size_t) maxFileSize, data); read.failed())
        return read;

    return parse (static_cast<const char*> (data.getData()), data.getSize(), element);
}
