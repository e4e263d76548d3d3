#include "VeskModel.h"
#include "VeskFieldTable.h"
#include "VeskLibraryFile.h"
#include "VeskPattern.h"
#include "VeskProtocol.h"

#include <algorithm>

namespace
{
    // Shared by the whole program, kept in memory only: the file choosers start here.
    juce::File lastDocumentOpened;
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

    std::copy (defaults.begin(), defaults.end(), image);

    // The unit's own order: the channel last, once the rest of the block is set.
    for (int offset : { (int) System::masterTune, (int) System::transpose, (int) System::receiveProgramChange,
                        (int) System::transmitProgramChange, (int) System::receiveControlChange,
                        (int) System::receivePitchBend, (int) System::midiChannel })
        sendField (VeskField::system (offset));

    for (const auto block : VeskBlock::patterns())
    {
        if (block.isUser())
        {
            currentPattern = bytesOf (block);
            sendPatternFields();
        }
    }

    currentPattern = temporaryPattern;
    sendPatternFields();

    // Leave the record being edited the one the pattern selector names.
    currentPattern = bytesOf (getShownBlock());

    // A fresh library: no file, so a later Save cannot overwrite the library
    // that was open with these defaults without asking.
    setFile ({});
    setChangedFlag (false);
}

void VeskModel::writeDefaults (juce::uint8* destination)
{
    std::copy (VeskImage::defaults.begin(), VeskImage::defaults.end(), destination);
}

void VeskModel::resetPattern()
{
    const auto* record = VeskImage::defaults.data() + VeskImage::temporaryPatternOffset;

    std::copy (record, record + VeskImage::patternSize, currentPattern);
    sendPatternFields();
    setChangedFlag (true);
}

void VeskModel::sendPatternFields()
{
    using namespace VeskImage::Pattern;

    // The type first, so the unit takes the rest as fields of that part; the
    // steps are not sent.
    sendField (VeskField::pattern (type));
    sendField (VeskField::tempo());

    for (int offset = patternLength; offset <= vintageOrEffectType; ++offset)
        if (offset != type)
            sendField (VeskField::pattern (offset));
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
    sendDataSet (VeskImage::Area::temporaryPattern, offset >> 7, offset & 0x7F, currentPattern[offset]);
}

void VeskModel::storePatternField (int offset, int value)
{
    // Sent either way, but storing the byte that is there is no edit of the library.
    if (storeAndSend (VeskField::pattern (offset), value))
        setChangedFlag (true);
}

void VeskModel::sendSystemField (int offset)
{
    sendDataSet (VeskImage::Area::system, offset >> 7, offset & 0x7F, systemBlock[offset]);
}

void VeskModel::setMasterTune (double hz)
{
    using namespace VeskImage::System;
    setField (VeskField::system (masterTune), VeskFieldTable::system (masterTune).stored (hz));
}

void VeskModel::setMidiChannel (int channel)
{
    using namespace VeskImage::System;
    setField (VeskField::system (midiChannel), VeskFieldTable::system (midiChannel).stored (channel));
}

int VeskModel::getMidiChannel() const noexcept
{
    using namespace VeskImage::System;
    return (int) VeskFieldTable::system (midiChannel).shownAt (systemBlock, midiChannel);
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
void VeskModel::setTempo (double bpm)
{
    setPatternField (VeskImage::Pattern::tempoHigh, bpm);
}

void VeskModel::setPatternField (int offset, int partType, double value)
{
    const auto& entry = VeskFieldTable::pattern (offset, partType);
    setField (entry.kind == VeskFieldTable::Kind::tempo ? VeskField::tempo() : VeskField::pattern (offset), entry.stored (value));
}

void VeskModel::setPatternField (int offset, double value)
{
    setPatternField (offset, currentPattern[VeskImage::Pattern::type], value);
}

// Controller 16 is a plain effect knob but for the Bass's signed tune, whatever the record's type.
void VeskModel::setControl16 (double value) { setPatternField (VeskImage::Pattern::tuneOrEffectParam1, VeskImage::PartType::lead, value); }
void VeskModel::setControl16Signed (double value) { setPatternField (VeskImage::Pattern::tuneOrEffectParam1, VeskImage::PartType::bass, value); }
void VeskModel::setControl17 (double value) { setPatternField (VeskImage::Pattern::envModOrEffectParam2, value); }
void VeskModel::setControl18 (double value) { setPatternField (VeskImage::Pattern::accentOrEffectParam3, value); }
void VeskModel::setControl74 (double value) { setPatternField (VeskImage::Pattern::filterCutoffOrBdLevel, value); }
void VeskModel::setControl71 (double value) { setPatternField (VeskImage::Pattern::filterResonanceOrSdLevel, value); }
void VeskModel::setControl83 (double value) { setPatternField (VeskImage::Pattern::filterDecayOrHhLevel, value); }
void VeskModel::setLevel (double value) { setPatternField (VeskImage::Pattern::level, value); }
void VeskModel::setPan (double value) { setPatternField (VeskImage::Pattern::pan, value); }

void VeskModel::setStepType (int stepIndex, int value)
{
    using namespace VeskImage;

    if (stepIndex < 0 || stepIndex >= Pattern::numSteps)
        return;

    setPatternField (Pattern::stepType + stepIndex, value);
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
int VeskModel::imageOffsetOf (VeskField field) const noexcept
{
    return field.isSystem() ? VeskImage::systemBlockOffset + field.offset
                            : (int) (currentPattern - image) + field.offset;
}

int VeskModel::readField (VeskField field) const noexcept
{
    const auto* bytes = image + imageOffsetOf (field);
    return field.width == 2 ? VeskPattern (bytes).tempo() : bytes[0];
}

void VeskModel::storeField (VeskField field, int value) noexcept
{
    auto* bytes = image + imageOffsetOf (field);

    if (field.width == 2)
        VeskImage::Pattern::storeTempo (bytes, value);
    else
        bytes[0] = (juce::uint8) (value & 0x7F);
}

bool VeskModel::storeAndSend (VeskField field, int value)
{
    const int before = readField (field);
    storeField (field, value);
    sendField (field);
    return readField (field) != before;
}

void VeskModel::setField (VeskField field, int value)
{
    storeAndSend (field, value);
    setChangedFlag (true);
}

void VeskModel::sendField (VeskField field)
{
    if (field.isSystem())
    {
        send (VeskProtocol::dataSetAtOffset (VeskImage::Area::system, field.offset, systemBlock[field.offset]));
        return;
    }

    const int controller = field.width == 1 ? VeskFieldTable::pattern (field.offset, currentPattern).controller : -1;

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
        onLoaded (file);

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
        onSaved (file);

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
