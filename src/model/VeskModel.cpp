#include "VeskModel.h"
#include "VeskLibraryFile.h"
#include "VeskProtocol.h"

#include <cmath>
#include <cstring>

namespace
{
    // Shared by the whole program, kept in memory only: the file choosers start here.
    juce::File lastDocumentOpened;

    /** Whole part of a control's value, safe for any double. */
    int wholePart (double value) noexcept
    {
        if (! std::isfinite (value))
            return 0;

        return (int) juce::jlimit (-100000.0, 100000.0, value);
    }

    /** Above 127 becomes 0 and below 0 becomes 127: the unit's knobs wrap. */
    int wrap7 (int value) noexcept
    {
        return value > 127 ? 0 : (value < 0 ? 127 : value);
    }

    int clamp7 (int value) noexcept { return juce::jlimit (0, 127, value); }
}

VeskModel::VeskModel (MidiOut& output)
    : juce::FileBasedDocument ("vsk", "*.vsk", "Load", "Save"),
      owner (output),
      currentPattern (image + VeskImage::temporaryPatternOffset)
{
    resetToDefaults();
}

VeskModel::~VeskModel() = default;

//==============================================================================
void VeskModel::resetToDefaults()
{
    using namespace VeskImage;

    std::memset (image, 0, sizeof (image));

    auto setSystem = [this] (int offset, int value)
    {
        systemBlock[offset] = (juce::uint8) value;
        sendSystemField (offset);
    };

    setSystem (System::masterTune, 63);
    setSystem (System::transpose, 12);
    setSystem (System::receiveProgramChange, 1);
    setSystem (System::transmitProgramChange, 1);
    setSystem (System::receiveControlChange, 1);
    setSystem (System::receivePitchBend, 1);
    setMidiChannel (1);

    for (const auto block : VeskBlock::patterns())
    {
        if (block.isUser())
        {
            currentPattern = bytesOf (block);
            resetPattern();
        }
    }

    currentPattern = temporaryPattern;
    resetPattern();

    // Leave the record being edited the one the pattern selector names.
    currentPattern = bytesOf (getShownBlock());

    // A fresh library: no file, so a later Save cannot overwrite the library
    // that was open with these defaults without asking.
    setFile ({});
    setChangedFlag (false);
}

void VeskModel::writeDefaults (juce::uint8* destination)
{
    struct Discard : MidiOut
    {
        void send (const juce::MidiMessage&) override {}
    };

    // The reset is the one definition of the defaults.
    Discard discard;
    VeskModel model (discard);
    std::memcpy (destination, model.image, sizeof (model.image));
}

void VeskModel::resetPattern()
{
    using namespace VeskImage::Pattern;
    const auto* d = headerDefaults;

    currentPattern[type] = d[type];
    sendPatternField (type);
    currentPattern[tempoHigh] = d[tempoHigh];
    currentPattern[tempoLow] = d[tempoLow];
    sendPatternField (tempoHigh);
    sendPatternField (tempoLow);

    for (int offset : { (int) patternLength, (int) stepsPerBar, (int) loopCtrl, (int) toneOrKit })
    {
        currentPattern[offset] = d[offset];
        sendPatternField (offset);
    }

    setControl16 (d[tuneOrEffectParam1]);
    setControl17 (d[envModOrEffectParam2]);
    setControl18 (d[accentOrEffectParam3]);
    setControl74 (d[filterCutoffOrBdLevel]);
    setControl71 (d[filterResonanceOrSdLevel]);
    setControl83 (d[filterDecayOrHhLevel]);
    setLevel (d[level]);
    setPan (0);

    for (int offset = lfoRate; offset <= vintageOrEffectType; ++offset)
    {
        currentPattern[offset] = d[offset];
        sendPatternField (offset);
    }

    std::memset (currentPattern + stepNote, defaultStepNote, numSteps);
    std::memset (currentPattern + stepLevel, defaultStepLevel, numSteps);
    std::memset (currentPattern + stepGate, defaultStepGate, numSteps);
    std::memset (currentPattern + stepType, defaultStepType, numSteps);
}

void VeskModel::showBlock (VeskBlock block) noexcept
{
    jassert (block.isPattern());
    currentPatternIndex = block.patternIndex();
    currentPattern = bytesOf (block);
}

void VeskModel::selectTemporaryPattern()
{
    showBlock (VeskBlock::temporary());
}

void VeskModel::selectUserPattern()
{
    const auto shown = VeskBlock::fromPatternIndex (currentPatternIndex);

    if (! shown.has_value() || ! shown->isUser())
    {
        selectTemporaryPattern();
        return;
    }

    currentPattern = bytesOf (*shown);

    // With the unit's channel off there is no channel to select the pattern on.
    if (! channelIsOn())
        return;

    const int channel = systemBlock[VeskImage::System::midiChannel] + 1;
    send (juce::MidiMessage::controllerEvent (channel, 0x00, VeskDecoder::userPatternBank));
    send (juce::MidiMessage::controllerEvent (channel, 0x20, 0));
    send (juce::MidiMessage::programChange (channel, shown->programNumber()));
}

//==============================================================================
void VeskModel::sendDataSet (int a0, int a2, int a3, int value)
{
    setChangedFlag (true);
    send (VeskProtocol::dataSet (a0, a2, a3, value));
}

void VeskModel::sendPatternField (int offset)
{
    setChangedFlag (true);
    send (VeskProtocol::dataSetAtOffset (VeskImage::Area::temporaryPattern, offset, currentPattern[offset]));
}

void VeskModel::storePatternField (int offset, int value)
{
    const auto byte = (juce::uint8) (value & 0x7F);

    // Sent either way, but storing the byte that is there (the pattern page
    // telling the unit the shown loop control again) is no edit of the library.
    if (currentPattern[offset] != byte)
        setChangedFlag (true);

    currentPattern[offset] = byte;
    send (VeskProtocol::dataSetAtOffset (VeskImage::Area::temporaryPattern, offset, byte));
}

void VeskModel::sendSystemField (int offset)
{
    setChangedFlag (true);
    send (VeskProtocol::dataSetAtOffset (VeskImage::Area::system, offset, systemBlock[offset]));
}

int VeskModel::masterTuneValue (double hz) noexcept
{
    // Nearest 0.2 Hz step: a slider's 440.0 may arrive as 439.99999...
    const double steps = std::isfinite (hz) ? (hz * 10.0 - 4274.0) * 0.5 : 63.0;
    return clamp7 (juce::roundToInt (juce::jlimit (-1.0, 200.0, steps)));
}

int VeskModel::midiChannelValue (int channel) noexcept
{
    return (channel <= 0 || channel > 16) ? VeskImage::System::channelOff : channel - 1;
}

void VeskModel::setMasterTune (double hz)
{
    systemBlock[VeskImage::System::masterTune] = (juce::uint8) masterTuneValue (hz);
    sendSystemField (VeskImage::System::masterTune);
}

void VeskModel::setMidiChannel (int channel)
{
    systemBlock[VeskImage::System::midiChannel] = (juce::uint8) midiChannelValue (channel);
    sendSystemField (VeskImage::System::midiChannel);
}

int VeskModel::getMidiChannel() const noexcept
{
    return channelIsOn() ? systemBlock[VeskImage::System::midiChannel] + 1 : 0;
}

bool VeskModel::channelIsOn() const noexcept
{
    return systemBlock[VeskImage::System::midiChannel] < VeskImage::System::channelOff;
}

void VeskModel::sendSystemBlock()
{
    send (VeskProtocol::systemBulk (systemBlock));
}

void VeskModel::requestSystemBlock()
{
    send (VeskProtocol::systemRequest());
}

//==============================================================================
int VeskModel::tempoValue (double bpm) noexcept
{
    // Whole beats per minute only; the tenths are dropped.
    return juce::jlimit (0, 0x3FFF, wholePart (bpm) * 10);
}

void VeskModel::setTempo (double bpm)
{
    using namespace VeskImage::Pattern;

    const int t = tempoValue (bpm);
    currentPattern[tempoHigh] = (juce::uint8) (t >> 7);
    currentPattern[tempoLow] = (juce::uint8) (t & 0x7F);
    sendPatternField (tempoHigh);
    sendPatternField (tempoLow);
}

void VeskModel::storeAndSendController (int controllerNumber, int offset, int value)
{
    currentPattern[offset] = (juce::uint8) value;
    setChangedFlag (true);

    if (channelIsOn())
        send (juce::MidiMessage::controllerEvent (systemBlock[VeskImage::System::midiChannel] + 1,
                                                  controllerNumber, value));
    else
        sendPatternField (offset); // no channel to send the controller on: the data-set form reaches the unit
}

void VeskModel::setControl16 (double value) { storeAndSendController (16, VeskImage::Pattern::tuneOrEffectParam1, wrap7 (wholePart (value))); }
void VeskModel::setControl16Signed (double value) { storeAndSendController (16, VeskImage::Pattern::tuneOrEffectParam1, wrap7 (wholePart (value) + 64)); }
void VeskModel::setControl17 (double value) { storeAndSendController (17, VeskImage::Pattern::envModOrEffectParam2, wrap7 (wholePart (value))); }
void VeskModel::setControl18 (double value) { storeAndSendController (18, VeskImage::Pattern::accentOrEffectParam3, wrap7 (wholePart (value))); }
void VeskModel::setControl74 (double value) { storeAndSendController (74, VeskImage::Pattern::filterCutoffOrBdLevel, clamp7 (wholePart (value))); }
void VeskModel::setControl71 (double value) { storeAndSendController (71, VeskImage::Pattern::filterResonanceOrSdLevel, clamp7 (wholePart (value))); }
void VeskModel::setControl83 (double value) { storeAndSendController (83, VeskImage::Pattern::filterDecayOrHhLevel, clamp7 (wholePart (value))); }
void VeskModel::setLevel (double value) { storeAndSendController (7, VeskImage::Pattern::level, clamp7 (wholePart (value))); }
void VeskModel::setPan (double value) { storeAndSendController (10, VeskImage::Pattern::pan, wrap7 (wholePart (value) + 64)); }

int VeskModel::stepTypeValue (int value) noexcept
{
    using namespace VeskImage;

    // The wheel wraps: past the last type comes the first, before the first the last.
    return value >= StepType::numTypes ? StepType::normal : (value < 0 ? StepType::accent : value);
}

void VeskModel::setStepType (int stepIndex, int value)
{
    using namespace VeskImage;

    if (stepIndex < 0 || stepIndex >= Pattern::numSteps)
        return;

    currentPattern[Pattern::stepType + stepIndex] = (juce::uint8) stepTypeValue (value);
    sendPatternField (Pattern::stepType + stepIndex);
}

void VeskModel::sendCurrentPattern (bool editBufferOnly)
{
    using namespace VeskImage;

    const auto shown = getShownBlock();

    // Into the edit buffer with the shown pattern's number, then into the pattern itself.
    send (VeskProtocol::patternBulk (Area::temporaryPattern, shown.addressIndex(), currentPattern));

    if (shown.isUser() && ! editBufferOnly)
        send (VeskProtocol::patternBulk (shown.addressArea(), shown.addressIndex(), currentPattern));
}

void VeskModel::requestCurrentPattern()
{
    send (VeskProtocol::blockRequest (getShownBlock()));
}

juce::uint8 VeskModel::computeChecksum (const juce::uint8* body, int length) noexcept
{
    return VeskProtocol::computeChecksum (body, length);
}

//==============================================================================
int VeskModel::controllerForOffset (int offset) noexcept
{
    for (int controller : { 16, 17, 18, 74, 71, 83, 7, 10 })
        if (VeskDecoder::patternOffsetForController (controller) == offset)
            return controller;

    return -1;
}

int VeskModel::knobValue (int offset, double value, bool isSigned) noexcept
{
    using namespace VeskImage::Pattern;
    const int whole = wholePart (value) + (isSigned ? 64 : 0);

    switch (offset)
    {
        // The unit's effect knobs and pan wrap; its levels and filter stop at the ends.
        case tuneOrEffectParam1:
        case envModOrEffectParam2:
        case accentOrEffectParam3:
        case pan:
            return wrap7 (whole);

        case filterCutoffOrBdLevel:
        case filterResonanceOrSdLevel:
        case filterDecayOrHhLevel:
        case level:
            return clamp7 (whole);

        default:
            return whole & 0x7F;
    }
}

int VeskModel::imageOffsetOf (VeskField field) const noexcept
{
    return field.isSystem() ? VeskImage::systemBlockOffset + field.offset
                            : (int) (currentPattern - image) + field.offset;
}

int VeskModel::readField (VeskField field) const noexcept
{
    const auto* bytes = image + imageOffsetOf (field);
    return field.width == 2 ? bytes[0] * 128 + bytes[1] : bytes[0];
}

void VeskModel::storeField (VeskField field, int value) noexcept
{
    auto* bytes = image + imageOffsetOf (field);

    if (field.width == 2)
    {
        const int v = juce::jlimit (0, 0x3FFF, value);
        bytes[0] = (juce::uint8) (v >> 7);
        bytes[1] = (juce::uint8) (v & 0x7F);
        return;
    }

    bytes[0] = (juce::uint8) (value & 0x7F);
}

void VeskModel::sendField (VeskField field)
{
    if (field.isSystem())
    {
        send (VeskProtocol::dataSetAtOffset (VeskImage::Area::system, field.offset, systemBlock[field.offset]));
        return;
    }

    const int controller = field.width == 1 ? controllerForOffset (field.offset) : -1;

    if (controller >= 0 && channelIsOn())
    {
        send (juce::MidiMessage::controllerEvent (systemBlock[VeskImage::System::midiChannel] + 1,
                                                  controller, currentPattern[field.offset]));
        return;
    }

    for (int i = 0; i < field.width; ++i)
        send (VeskProtocol::dataSetAtOffset (VeskImage::Area::temporaryPattern, field.offset + i,
                                             currentPattern[field.offset + i]));
}

//==============================================================================
VeskDecoder::Dump VeskModel::receiveDump (const juce::uint8* body, int length)
{
    const auto dump = VeskDecoder::applyDump (image, body, length);

    if (dump.applied())
        setChangedFlag (true);

    return dump;
}

VeskDecoder::ChannelAction VeskModel::receiveChannelMessage (const juce::MidiMessage& message, int& bankSelect)
{
    const auto action = VeskDecoder::applyChannelMessage (systemBlock, currentPattern, message, bankSelect);

    if (action.kind == VeskDecoder::ChannelAction::Kind::controllerStored)
        setChangedFlag (true);

    return action;
}

//==============================================================================
bool VeskModel::readLibrary (const juce::File& file)
{
    return VeskLibraryFile::read (file, image).wasOk();
}

bool VeskModel::writeLibrary (const juce::File& file)
{
    return VeskLibraryFile::write (file, image).wasOk();
}

juce::String VeskModel::getDocumentTitle()
{
    const auto file = getFile();
    return file == juce::File() ? juce::String ("New") : file.getFileNameWithoutExtension();
}

juce::Result VeskModel::loadDocument (const juce::File& file)
{
    if (! readLibrary (file))
        return juce::Result::fail ("Error while loading file");

    setLastDocumentOpened (file);

    if (onLoaded != nullptr)
        onLoaded();

    return juce::Result::ok();
}

juce::Result VeskModel::saveDocument (const juce::File& file)
{
    const auto written = VeskLibraryFile::write (file, image);

    // The document keeps its changed mark and its file on a failure, so the
    // sentence can promise both.
    if (written.failed())
        return juce::Result::fail ("Could not save \"" + file.getFileName() + "\": " + written.getErrorMessage()
                                   + ". The library is unchanged on disk and still open here.");

    if (onSaved != nullptr)
        onSaved();

    return juce::Result::ok();
}

juce::File VeskModel::getLastDocumentOpened()
{
    return lastDocumentOpened;
}

void VeskModel::setLastDocumentOpened (const juce::File& file)
{
    lastDocumentOpened = file;
}
