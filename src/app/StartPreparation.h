#pragma once

#include <juce_core/juce_core.h>

#include <thread>

/**
    What the first page needs read and decoded before it can be laid out and
    painted: the installed fonts, the glyphs of its texts and its panel
    pictures. A thread of its own does it while the message thread opens the
    display, most of which is waiting (JUCE asks the X server about the screens
    and runs gsettings for their scale). What the page asks for before the
    thread has it, it loads itself; nothing waits for the thread but its end.
*/
class StartPreparation
{
public:
    /** Starts the thread. */
    StartPreparation();

    /** Waits for the thread to end. */
    ~StartPreparation();

    /** The pictures of the page the program starts with: the pattern settings
        over the editor of the default pattern, a lead with its drive effect. */
    static const juce::StringArray& firstPagePictures();

private:
    std::thread thread;

    JUCE_DECLARE_NON_COPYABLE (StartPreparation)
};
