#pragma once

#include "VeskClock.h"
#include "VeskTransferReport.h"
#include "midi/MyMidiInputCallback.h"

#include <array>
#include <vector>

/**
    Whole-unit transfers, one at a time, driven on the message thread:

    - Get All: asks for the system block, the temporary pattern and user
      patterns 1-20, one request at a time. The next request goes out when the
      answer has been applied, or after timeoutMs; an unanswered or damaged
      answer is asked for again (retries more times), then the block is
      skipped, and the library keeps its own.
    - Send All: the system bulk, user patterns 1-20, then the temporary
      pattern, each message followed by a pause of its time on a 31,250 baud
      line plus gapMs, so a unit with a small input buffer keeps up. The
      library does not change.
    - Verify: a Get All into an image of its own, then a field-by-field
      comparison. The library does not change.

    It decides, for the receivers, where every dump goes. While it runs, and
    for twice timeoutMs after it ends or is cancelled, a dump that answers one
    of its requests is its own: Get All lets only the answer for the block in
    hand into the library, Verify only into its own image, and answers that
    come after a skip or a cancel go nowhere. A dump that none of its requests
    asked for is kept out while it runs and named in the summary. Any other
    dump goes into the library as always.

    It sends through the model's output. cancel stops at once: nothing
    further is sent.
*/
class VeskTransfer : public MyMidiInputCallback::Listener
{
public:
    using Kind = VeskTransferReport::Kind;
    using BlockResult = VeskTransferReport::BlockResult;
    using Report = VeskTransferReport;

    struct Settings
    {
        double timeoutMs = 1000.0;
        int retries = 2;
        double gapMs = 40.0;
    };

    VeskTransfer (VeskModel& modelToUse, VeskClock& clockToUse);
    ~VeskTransfer() override;

    Settings settings;

    /** Starts a transfer; refused (false, nothing sent) while one runs. */
    bool start (Kind kind);

    /** A Send All of only these blocks, in Send All's order and pace: what
        undoing a whole-block change sends. Refused while a transfer runs or
        with no block. */
    bool startSending (const std::vector<VeskBlock>& blocks);

    /** Stops a running transfer where it is; what was applied stays. */
    void cancel();

    bool isRunning() const noexcept { return running; }

    /** Blocks in transfer order. */
    static std::vector<VeskBlock> blockOrder (Kind kind) { return Report::blockOrder (kind); }

    static juce::String title (Kind kind) { return Report::title (kind); }

    const Report& getReport() const noexcept { return report; }

    /** What the unit sent during the last Verify; only the blocks the report
        lists as done hold its bytes. */
    const juce::uint8* getUnitImage() const noexcept { return unitImage.data(); }

    /** After each block and at the end (also after cancel). */
    std::function<void()> onProgress;
    std::function<void()> onFinished;

    MyMidiInputCallback::DumpPlace placeDump (const VeskDecoder::Dump& dump) override;
    void dumpReceived (const VeskDecoder::Dump& dump, bool intoLibrary) override;

private:
    /** A request not answered yet. Until the run that sent it ends it stays
        open; then it may be answered for a grace period. */
    struct Request
    {
        VeskBlock block;
        int run;
        double answerableUntil;
    };

    bool begin (Kind kind, const std::vector<VeskBlock>& order);
    void request();
    void timedOut();
    void failedTry (const juce::String& why);
    void nextBlock();
    void sendNext();
    void finish();
    void stopTimer();
    bool progressed();
    void forgetExpiredRequests();
    bool libraryChangedBesidesAnswers() const;

    VeskModel& model;
    VeskClock& clock;
    bool running = false;
    int timerId = 0;
    Report report;
    std::vector<juce::MidiMessage> toSend;
    std::array<juce::uint8, VeskImage::imageSize> unitImage {};
    std::array<juce::uint8, VeskImage::imageSize> libraryAtStart {};

    int run = 0; // counts starts, so a late answer is told from the running one's
    std::vector<Request> unanswered; // oldest first
    std::optional<VeskBlock> answerInHand; // the block placeDump let in as the answer in hand, until dumpReceived takes it

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VeskTransfer)
};
