#pragma once

#include "MidiOut.h"
#include "VeskBlock.h"
#include "VeskDecoder.h"
#include "VeskField.h"
#include "VeskImage.h"

#include <juce_data_structures/juce_data_structures.h>
#include <juce_gui_extra/juce_gui_extra.h>

/**
    The document: a byte-exact copy of the unit's editable memory, and the
    operations that change it. Every change is stored first and then sent to
    the unit at once through owner.

    Editors read bytes of systemBlock and currentPattern directly. A field is
    changed through storeAndSend, which VeskSession::edit calls for the user's
    edits; the setters are its names for their fields, converting a control's
    value as VeskFieldTable does. sendDataSet, sendPatternField and
    sendSystemField send a byte the caller has stored itself.

    Every edit a setter or a send makes, and every dump or controller applied
    from the unit, marks the library changed (storePatternField only when the
    byte changes; the session keeps the mark for its edits); loading, saving
    and resetToDefaults leave it unchanged. Nothing is broadcast.
*/
class VeskModel : public juce::FileBasedDocument
{
public:
    explicit VeskModel (MidiOut& output);
    ~VeskModel() override;

    //==============================================================================
    MidiOut& owner;

    /** -1 while the temporary pattern is edited, 0-19 for user patterns 1-20. */
    int currentPatternIndex = -1;

    /** The pattern currentPatternIndex names: the temporary one, or a user pattern. */
    VeskBlock getShownBlock() const noexcept { return VeskBlock::fromPatternIndex (currentPatternIndex).value_or (VeskBlock::temporary()); }

    /** Makes block (a pattern) the one shown and edited: currentPatternIndex
        and currentPattern; sends nothing (see selectUserPattern). */
    void showBlock (VeskBlock block) noexcept;

    /** The 159-byte record being edited. */
    juce::uint8* currentPattern = nullptr;

    juce::uint8 image[VeskImage::imageSize] = {};

    juce::uint8* const systemBlock = image + VeskImage::systemBlockOffset;
    juce::uint8* const temporaryPattern = image + VeskImage::temporaryPatternOffset;
    juce::uint8* const userPatterns = image + VeskImage::userPatternsOffset;

    /** The first byte of a block in the image. */
    juce::uint8* bytesOf (VeskBlock block) noexcept { return image + block.imageOffset(); }

    //==============================================================================
    /** Whole image to the unit's defaults (VeskImage::defaults), each field
        sent as an edit of it is: the system block's, then user patterns 1-20
        and the temporary pattern, all to the unit's temporary pattern. The
        result is a new library without a file, unchanged. */
    void resetToDefaults();

    /** The image a reset leaves, written into image without sending anything. */
    static void writeDefaults (juce::uint8* image);

    /** currentPattern to the pattern defaults, its fields sent as the reset sends them. */
    void resetPattern();

    /** Makes the temporary pattern the one being edited; sends nothing. */
    void selectTemporaryPattern();

    /** Points currentPattern at user pattern currentPatternIndex + 1 and selects it
        on the unit with bank select 85 and a program change. */
    void selectUserPattern();

    //==============================================================================
    /** A one-byte data set; the caller has stored the value. */
    void sendDataSet (int a0, int a2, int a3, int value);

    /** Sends currentPattern[offset] as a data set to the unit's temporary pattern. */
    void sendPatternField (int offset);

    /** storeAndSend for a one-byte field of currentPattern; the library counts
        as changed only when the byte does. */
    void storePatternField (int offset, int value);

    /** Sends systemBlock[offset] as a data set. */
    void sendSystemField (int offset);

    void setMasterTune (double hz);
    void setMidiChannel (int channel);
    int getMidiChannel() const noexcept;
    void sendSystemBlock();
    void requestSystemBlock();

    void setTempo (double bpm);
    void setControl16 (double value);
    void setControl16Signed (double value);
    void setControl17 (double value);
    void setControl18 (double value);
    void setControl74 (double value);
    void setControl71 (double value);
    void setControl83 (double value);
    void setLevel (double value);
    void setPan (double value);
    void setStepType (int stepIndex, int value);

    void sendCurrentPattern (bool editBufferOnly);
    void requestCurrentPattern();

    static juce::uint8 computeChecksum (const juce::uint8* body, int length) noexcept;

    //==============================================================================
    /** A field's stored value: of the system block, or of currentPattern. */
    int readField (VeskField field) const noexcept;

    /** Stores a field's value without sending it or marking anything. */
    void storeField (VeskField field, int value) noexcept;

    /** The one way a field is changed: stores its value (see VeskField) and
        sends it as sendField does. Marks nothing, as the callers count edits
        differently; true when a byte changed. */
    bool storeAndSend (VeskField field, int value);

    /** Sends a field's stored value as an edit of it does: the controller that
        carries it while the unit's channel is on, else a data set to the
        unit's temporary pattern (or system block); the tempo as two data sets. */
    void sendField (VeskField field);

    /** Image offset of a field's first byte, in the record being edited. */
    int imageOffsetOf (VeskField field) const noexcept;

    /** Told after a library was read or written by the document operations, with its file. */
    std::function<void (const juce::File&)> onLoaded, onSaved;

    //==============================================================================
    /** Applies an exclusive body received from the unit (see VeskDecoder). */
    VeskDecoder::Dump receiveDump (const juce::uint8* body, int length);

    /** Applies a controller or program change received from the unit. */
    VeskDecoder::ChannelAction receiveChannelMessage (const juce::MidiMessage& message, int& bankSelect);

    //==============================================================================
    /** Loads a library file: all of it, or nothing. */
    bool readLibrary (const juce::File& file);
    bool writeLibrary (const juce::File& file);

    juce::String getDocumentTitle() override;
    juce::Result loadDocument (const juce::File& file) override;
    /** Writes the library whole or not at all; a failure says why in a
        sentence for the user ("Could not save "Set 1.vsk": the disk is full
        ..."). */
    juce::Result saveDocument (const juce::File& file) override;
    juce::File getLastDocumentOpened() override;
    void setLastDocumentOpened (const juce::File& file) override;

private:
    /** A field of currentPattern set from a control's value, as its entry
        for that type converts it. */
    void setPatternField (int offset, int partType, double value);

    /** What every setter does: storeAndSend, and the library counts as changed. */
    void setField (VeskField field, int value);
    void setPatternField (int offset, double value);
    void sendPatternFields();
    void send (const juce::MidiMessage& message) { owner.send (message); }
    bool channelIsOn() const noexcept;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VeskModel)
};
