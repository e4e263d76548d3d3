#include "LayoutReport.h"
#include "model/WholeFileWriter.h"

#include <iostream>

namespace
{
    void describeTree (juce::Component& component, juce::Point<int> origin, const juce::String& parentPath, float scale, juce::String& out);

    /** A component at its place in the window, and everything inside it. */
    void describeChild (juce::Component& child, const juce::String& name, juce::Point<int> parentOrigin,
                        const juce::String& parentPath, float scale, juce::String& out)
    {
        const auto area = child.getBounds() + parentOrigin;
        auto path = parentPath;

        if (name.isNotEmpty())
        {
            const auto shown = (area.toFloat() * scale).toNearestInt();
            path = parentPath.isEmpty() ? name : parentPath + "/" + name;
            out << path << "\t" << shown.getX() << " " << shown.getY() << " " << shown.getWidth() << " " << shown.getHeight() << "\n";
        }

        describeTree (child, area.getPosition(), path, scale, out);
    }

    void describeTree (juce::Component& component, juce::Point<int> origin, const juce::String& parentPath, float scale, juce::String& out)
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
            describeChild (*child, namedByMenus ? menus[i] : child->getName(), origin, parentPath, scale, out);
        }

        // A tabbed component holds only the page shown; the others have their
        // place already and are listed where they will lie.
        if (auto* tabs = dynamic_cast<juce::TabbedComponent*> (&component))
            for (int i = 0; i < tabs->getNumTabs(); ++i)
                if (auto* page = tabs->getTabContentComponent (i); page != nullptr && page->getParentComponent() != tabs)
                    describeChild (*page, page->getName(), origin, parentPath, scale, out);
    }
}

juce::String LayoutReport::describe (juce::Component& window)
{
    juce::String out;
    describeTree (window, {}, {}, window.getDesktopScaleFactor(), out);
    return out;
}

std::unique_ptr<LayoutReport> LayoutReport::fromEnvironment (juce::Component& window)
{
    const auto path = juce::SystemStats::getEnvironmentVariable (environmentVariable, {});

    if (path.isEmpty())
        return nullptr;

    return std::make_unique<LayoutReport> (window, juce::File::getCurrentWorkingDirectory().getChildFile (path));
}

LayoutReport::LayoutReport (juce::Component& windowToReport, const juce::File& fileToWrite)
    : window (&windowToReport),
      file (fileToWrite)
{
    timerCallback();
    startTimer (200);
}

LayoutReport::~LayoutReport()
{
    stopTimer();
}

juce::Result LayoutReport::refresh()
{
    if (window == nullptr)
        return juce::Result::ok();

    const auto text = describe (*window);

    if (text == written)
        return juce::Result::ok();

    const auto bytes = text.toStdString();
    const auto result = WholeFileWriter::write (file, bytes.data(), bytes.size());

    if (result.wasOk())
        written = text;

    return result;
}

void LayoutReport::timerCallback()
{
    const auto result = refresh();

    // Said once: a folder that cannot be written to stays so.
    if (result.failed() && ! failedBefore)
        std::cerr << "VeskEdit: the layout report could not be written to " << file.getFullPathName()
                  << ": " << result.getErrorMessage() << std::endl;

    failedBefore = failedBefore || result.failed();
}
