#pragma once

#include <juce_graphics/juce_graphics.h>

#include <optional>
#include <vector>

/**
    A typeface read with FreeType straight from its font file, as JUCE's own
    Linux typefaces are, and giving the same outlines, advances and kerning,
    with three differences:

    - Kerning is read for the pairs of glyphs loaded so far. JUCE reads each new
      glyph's kerning against every character of the font (about 6,000 in
      DejaVu Sans), 0.2 to 0.4 ms a glyph; the first page loads some 70.
    - A glyph's table for the renderer's cache is shrunk to the crossings its
      rows have; JUCE sizes it for 40 or more where a letter has two to six.
    - It is safe on any thread: a lock covers the glyphs loaded on demand.
*/
class SansSerifTypeface final : public juce::CustomTypeface
{
public:
    /** One face of an installed font file. */
    struct Face
    {
        juce::File file;
        int index = 0;
        juce::String family, style;
        bool isSansSerif = false, isMonospaced = false;
    };

    /** The scalable faces in the folders JUCE reads fonts from (JUCE_FONT_PATH,
        else the folders fonts.conf names), in JUCE's order: by family, the
        regular styles of a family first. */
    static std::vector<Face> findInstalledFaces();

    /** Of those, the faces JUCE takes for the default sans-serif font in its
        regular and its bold style (the family it prefers from its list, the
        family's first style where it has no such style). */
    static std::optional<Face> pickDefault (const std::vector<Face>& faces, bool bold);

    /** The typeface of a face, or null if FreeType cannot read it. */
    static juce::Typeface::Ptr open (const Face& face);

    ~SansSerifTypeface() override;

    float getStringWidth (const juce::String& text) override;
    void getGlyphPositions (const juce::String& text, juce::Array<int>& glyphNumbers, juce::Array<float>& xOffsets) override;
    bool getOutlineForGlyph (int glyphNumber, juce::Path& path) override;
    juce::EdgeTable* getEdgeTableForGlyph (int glyphNumber, const juce::AffineTransform& transform, float fontHeight) override;

protected:
    bool loadGlyphIfPossible (juce::juce_wchar character) override;

private:
    struct FreeType;
    explicit SansSerifTypeface (std::unique_ptr<FreeType> freeType, const Face& face);

    /** Loads each character of text not tried yet, so that a pair's kerning is
        there before the pair is measured. */
    void loadCharactersOf (const juce::String& text);

    std::unique_ptr<FreeType> freeType;
    juce::CriticalSection lock;
    std::vector<std::pair<juce::juce_wchar, unsigned int>> loaded; // character, glyph index
    std::vector<juce::juce_wchar> failed;

    JUCE_DECLARE_NON_COPYABLE (SansSerifTypeface)
};
