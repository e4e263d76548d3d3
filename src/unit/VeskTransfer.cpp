#include "VeskTransfer.h"
#include "model/VeskProtocol.h"

#include <algorithm>
#include <limits>

namespace
{
    using Status = VeskTransfer::BlockResult::Status;

    juce::String describeRefusal (VeskDecoder::DumpResult result)
    {
        return result == VeskDecoder::DumpResult::truncated ? juce::String ("cut short") : VeskDecoder::describe (result);
    }
}

VeskTransfer::VeskTransfer (VeskModel& modelToUse, VeskClock& clockToUse)
    : model (modelToUse),
      clock (clockToUse)
{
}

VeskTransfer::~VeskTransfer()
{
    stopTimer();
}

//==============================================================================
bool VeskTransfer::start (Kind kind)
{
    return begin (kind, blockOrder (kind));
}

bool VeskTransfer::startSending (const std::vector<VeskBlock>& blocks)
{
    std::vector<VeskBlock> order;

    for (const auto block : blockOrder (Kind::sendAll))
        if (std::find (blocks.begin(), blocks.end(), block) != blocks.end())
            order.push_back (block);

    return ! order.empty() && begin (Kind::sendAll, order);
}

bool VeskTransfer::begin (Kind kind, const std::vector<VeskBlock>& order)
{
    if (running)
        return false;

    report = {};
    report.kind = kind;

    for (const auto block : order)
        report.blocks.push_back ({ block, Status::waiting, {} });

    running = true;
    ++run;
    forgetExpiredRequests();
    answerInHand.reset();
    std::copy (std::begin (model.image), std::end (model.image), libraryAtStart.begin());

    if (kind == Kind::sendAll)
    {
        toSend.clear();

        for (const auto block : order)
            toSend.push_back (VeskProtocol::blockBulk (model.image, block));

        sendNext();
        return true;
    }

    std::copy (std::begin (model.image), std::end (model.image), unitImage.begin());

    if (progressed())
        request();

    return true;
}

void VeskTransfer::cancel()
{
    if (! running)
        return;

    report.cancelled = true;
    finish();
}

void VeskTransfer::stopTimer()
{
    if (timerId != 0)
        clock.cancel (timerId);

    timerId = 0;
}

bool VeskTransfer::progressed()
{
    if (onProgress != nullptr)
        onProgress();

    // onProgress may have cancelled it.
    return running;
}

//==============================================================================
void VeskTransfer::request()
{
    const auto block = report.blocks[(size_t) report.current].block;

    unanswered.push_back ({ block, run, std::numeric_limits<double>::infinity() });

    // Armed before sending: an answer delivered from inside send finds the
    // timer to stop, and nothing here runs after the transfer moved on or ended.
    timerId = clock.callAfter (settings.timeoutMs, [this]
                               {
                                   timerId = 0;

                                   if (running)
                                       failedTry ("no answer"); });

    model.owner.send (VeskProtocol::blockRequest (block));
}

MyMidiInputCallback::DumpPlace VeskTransfer::placeDump (const VeskDecoder::Dump& dump)
{
    using Place = MyMidiInputCallback::DumpPlace;
    answerInHand.reset();

    // Another device's message, or one naming no block: nothing to decide.
    if (! dump.block.has_value())
        return Place::library();

    forgetExpiredRequests();

    const auto asked = std::find_if (unanswered.begin(), unanswered.end(), [&dump] (auto& r)
                                     { return r.block == *dump.block; });

    if (asked != unanswered.end())
    {
        const bool inHand = running && asked->run == run && *dump.block == report.blocks[(size_t) report.current].block;
        unanswered.erase (asked);

        // After a skip or a cancel, or a second answer to a block that has one: wanted no more.
        if (! inHand)
            return Place::nowhere();

        answerInHand = dump.block;
        return report.kind == Kind::getAll ? Place::library() : Place::into (unitImage.data());
    }

    if (! running)
        return Place::library();

    // Taking it would make the summary untrue; a damaged one would not be taken anyway.
    if (dump.applied())
        report.ignored.push_back (*dump.block);

    return Place::nowhere();
}

void VeskTransfer::dumpReceived (const VeskDecoder::Dump& dump, bool intoLibrary)
{
    if (! answerInHand.has_value() || dump.block != answerInHand)
        return;

    answerInHand.reset();

    // Counted only where it went: Get All's into the library, Verify's into its own image.
    if (! running || intoLibrary != (report.kind == Kind::getAll))
        return;

    if (! dump.applied())
    {
        // A damaged answer is an answer: ask again at once rather than wait.
        failedTry (describeRefusal (dump.result));
        return;
    }

    stopTimer();
    report.blocks[(size_t) report.current].status = Status::done;
    nextBlock();
}

void VeskTransfer::failedTry (const juce::String& why)
{
    stopTimer();
    auto& block = report.blocks[(size_t) report.current];
    block.failedTries.add (why);

    if (report.attempt <= settings.retries)
    {
        ++report.attempt;

        if (! progressed())
            return;

        request();
        return;
    }

    block.status = Status::skipped;
    nextBlock();
}

void VeskTransfer::nextBlock()
{
    report.attempt = 1;

    if (++report.current == (int) report.blocks.size())
    {
        finish();
        return;
    }

    if (! progressed())
        return;

    request();
}

void VeskTransfer::sendNext()
{
    // A copy: toSend is cleared when the transfer ends.
    const auto message = toSend[(size_t) report.current];
    report.blocks[(size_t) report.current].status = Status::done;

    // Its time on the wire plus a gap before the next one.
    const double pause = VeskProtocol::wireMilliseconds (message.getRawDataSize()) + settings.gapMs;

    timerId = clock.callAfter (pause, [this]
                               {
                                   timerId = 0;

                                   if (! running)
                                       return;

                                   if (++report.current == (int) report.blocks.size())
                                       finish();
                                   else
                                       sendNext(); });

    model.owner.send (message);

    if (running)
        progressed();
}

void VeskTransfer::finish()
{
    stopTimer();
    running = false;
    report.finished = ! report.cancelled;
    toSend.clear();

    // Answers still on their way are this run's for a while yet.
    const double graceEnd = clock.now() + 2.0 * settings.timeoutMs;

    for (auto& r : unanswered)
        if (r.run == run)
            r.answerableUntil = graceEnd;

    if (report.kind != Kind::sendAll)
        report.libraryChangedBesides = libraryChangedBesidesAnswers();

    if (report.kind == Kind::verify)
    {
        for (auto& d : VeskFields::differences (model.image, unitImage.data()))
            for (auto& b : report.blocks)
                if (b.block == d.block && b.status == Status::done)
                    report.differences.push_back (d);
    }

    progressed();

    if (onFinished != nullptr)
        onFinished();
}

void VeskTransfer::forgetExpiredRequests()
{
    const double now = clock.now();
    unanswered.erase (std::remove_if (unanswered.begin(), unanswered.end(), [now] (auto& r)
                                      { return r.answerableUntil < now; }),
                      unanswered.end());
}

bool VeskTransfer::libraryChangedBesidesAnswers() const
{
    std::vector<bool> written (VeskImage::imageSize, false);

    if (report.kind == Kind::getAll)
        for (auto& b : report.blocks)
            if (b.status == Status::done)
            {
                const auto offset = b.block.imageOffset();
                std::fill (written.begin() + offset, written.begin() + offset + b.block.size(), true);
            }

    for (int i = 0; i < VeskImage::imageSize; ++i)
        if (! written[(size_t) i] && model.image[i] != libraryAtStart[(size_t) i])
            return true;

    return false;
}
