#include "LayoutReport.h"
#include "model/WholeFileWriter.h"

namespace
{
    void describeTree (juce::Component& component, juce::Point<int> origin, const juce::String& parentPath, juce::String& out);

    /** A component at its place in the window, and everything inside it. */
    void describeChild (juce::Component& child, juce::Point<int> parentOrigin, const juce::String& parentPath, juce::String& out)
    {
        const auto area = child.getBounds() + parentOrigin;
        auto path = parentPath;

        if (child.getName().isNotEmpty())
        {
            path = parentPath.isEmpty() ? child.getName() : parentPath + "/" + child.getName();
            out << path << "\t" << area.getX() << " " << area.getY() << " " << area.getWidth() << " " << area.getHeight() << "\n";
        }

        describeTree (child, area.getPosition(), path, out);
    }

    void describeTree (juce::Component& component, juce::Point<int> origin, const juce::String& parentPath, juce::String& out)
    {
        for (auto* child : component.getChildren())
            describeChild (*child, origin, parentPath, out);

        // A tabbed component holds only the page shown; the others have their
        // place already and are listed where they will lie.
        if (auto* tabs = dynamic_cast<juce::TabbedComponent*> (&component))
            for (int i = 0; i < tabs->getNumTabs(); ++i)
                if (auto* page = tabs->getTabContentComponent (i); page != nullptr && page->getParentComponent() != tabs)
                    describeChild (*page, origin, parentPath, out);
    }
}

juce::String LayoutReport::describe (juce::Component& window)
{
    juce::String out;
    describeTree (window, {}, {}, out);
    return out;
}

juce::Result LayoutReport::writeIfAsked (juce::Component& window)
{
    const auto path = juce::SystemStats::getEnvironmentVariable (environmentVariable, {});

    if (path.isEmpty())
        return juce::Result::ok();

    const auto text = describe (window).toStdString();
    return WholeFileWriter::write (juce::File::getCurrentWorkingDirectory().getChildFile (path), text.data(), text.size());
}
