#include "LayoutReport.h"
#include "model/WholeFileWriter.h"

namespace
{
    void describeTree (juce::Component& component, juce::Point<int> origin, const juce::String& parentPath, juce::String& out);

    /** A component at its place in the window, and everything inside it. */
    void describeChild (juce::Component& child, const juce::String& name, juce::Point<int> parentOrigin,
                        const juce::String& parentPath, juce::String& out)
    {
        const auto area = child.getBounds() + parentOrigin;
        auto path = parentPath;

        if (name.isNotEmpty())
        {
            path = parentPath.isEmpty() ? name : parentPath + "/" + name;
            out << path << "\t" << area.getX() << " " << area.getY() << " " << area.getWidth() << " " << area.getHeight() << "\n";
        }

        describeTree (child, area.getPosition(), path, out);
    }

    void describeTree (juce::Component& component, juce::Point<int> origin, const juce::String& parentPath, juce::String& out)
    {
        // A menu bar's items are children without a name of their own, one
        // per menu in the model's order.
        juce::StringArray menus;

        if (auto* bar = dynamic_cast<juce::MenuBarComponent*> (&component); bar != nullptr && bar->getModel() != nullptr)
            menus = bar->getModel()->getMenuBarNames();

        const bool namedByMenus = ! menus.isEmpty() && menus.size() == component.getNumChildComponents();

        for (int i = 0; i < component.getNumChildComponents(); ++i)
        {
            auto* child = component.getChildComponent (i);
            describeChild (*child, namedByMenus ? menus[i] : child->getName(), origin, parentPath, out);
        }

        // A tabbed component holds only the page shown; the others have their
        // place already and are listed where they will lie.
        if (auto* tabs = dynamic_cast<juce::TabbedComponent*> (&component))
            for (int i = 0; i < tabs->getNumTabs(); ++i)
                if (auto* page = tabs->getTabContentComponent (i); page != nullptr && page->getParentComponent() != tabs)
                    describeChild (*page, page->getName(), origin, parentPath, out);
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
