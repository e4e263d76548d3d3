// The check in front of JUCE's XML parser, as settings files are read.
#include "FuzzCheck.h"
#include "model/BoundedXml.h"

#include <utility>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput (const juce::uint8* data, size_t size)
{
    std::unique_ptr<juce::XmlElement> xml;
    const auto result = BoundedXml::parse (data, size, xml);
    FUZZ_CHECK (result.wasOk() == (xml != nullptr));

    if (xml == nullptr)
        return 0;

    // Whatever the check let through, the parser read no deeper than the bound.
    std::vector<std::pair<const juce::XmlElement*, int>> pending { { xml.get(), 1 } };

    while (! pending.empty())
    {
        const auto [element, depth] = pending.back();
        pending.pop_back();
        FUZZ_CHECK (depth <= BoundedXml::maxDepth);

        for (auto* child = element->getFirstChildElement(); child != nullptr; child = child->getNextElement())
            if (! child->isTextElement())
                pending.emplace_back (child, depth + 1);
    }

    return 0;
}
