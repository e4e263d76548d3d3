#pragma once

#include <juce_core/juce_core.h>

/**
    What became of a command of the session, as a value: done (with a report
    for the user, as an import gives), failed for a reason in words, or
    refused for a reason only the app can word, because its sentence names
    the app's menus and windows: a job runs, no output is chosen, no input is
    ticked.
*/
class SessionResult
{
public:
    enum class Refusal
    {
        none, // done
        failed, // why is in getText
        busy, // a job runs: see getCommand, getJobTitle, jobHasWindow
        noOutput, // no MIDI output is chosen, so nothing can reach the unit
        noInput, // no MIDI input is ticked, so no answer could arrive
        heldBack // a window holds the shown pattern to put it back: see getCommand, getJobTitle (the window's)
    };

    /** Done, with nothing to report. */
    SessionResult() = default;

    static SessionResult ok (const juce::String& report = {}) { return { Refusal::none, report }; }
    static SessionResult fail (const juce::String& reason) { return { Refusal::failed, reason }; }
    static SessionResult from (const juce::Result& result) { return result.wasOk() ? ok() : fail (result.getErrorMessage()); }
    static SessionResult refused (Refusal why) { return { why, {} }; }

    static SessionResult busy (const juce::String& command, const juce::String& jobTitle, bool jobHasWindow)
    {
        SessionResult result { Refusal::busy, {} };
        result.command = command;
        result.jobTitle = jobTitle;
        result.withWindow = jobHasWindow;
        return result;
    }

    /** command waits until the window called holder, which will put the shown
        pattern back if cancelled, is closed. */
    static SessionResult heldBack (const juce::String& command, const juce::String& holder)
    {
        SessionResult result { Refusal::heldBack, {} };
        result.command = command;
        result.jobTitle = holder;
        result.withWindow = true;
        return result;
    }

    bool wasOk() const noexcept { return refusal == Refusal::none; }
    bool failed() const noexcept { return ! wasOk(); }
    Refusal getRefusal() const noexcept { return refusal; }

    /** What a command done reports, or why one failed; empty for the refusals the app words. */
    const juce::String& getText() const noexcept { return text; }

    /** Of a busy refusal: the command that waits, the job that runs (or the
        window that holds the pattern back), and
        whether that job has a window to cancel it in (the few records an
        undo step sends have none). */
    const juce::String& getCommand() const noexcept { return command; }
    const juce::String& getJobTitle() const noexcept { return jobTitle; }
    bool jobHasWindow() const noexcept { return withWindow; }

    bool operator== (const SessionResult& other) const noexcept
    {
        return refusal == other.refusal && text == other.text && command == other.command && jobTitle == other.jobTitle
               && withWindow == other.withWindow;
    }

    bool operator!= (const SessionResult& other) const noexcept { return ! operator== (other); }

private:
    SessionResult (Refusal why, const juce::String& words) : refusal (why), text (words) {}

    Refusal refusal = Refusal::none;
    juce::String text, command, jobTitle;
    bool withWindow = false;
};
