#include "SansSerifTypeface.h"

#include "model/BoundedFileReader.h"
#include "model/BoundedXml.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <memory>
#include <mutex>
#include <tuple>

namespace
{
    /** One FreeType library for all faces; FreeType wants its faces made and
        ended one at a time, glyphs may then load on several faces at once. */
    struct SharedLibrary
    {
        SharedLibrary()
        {
            if (FT_Init_FreeType (&library) != 0)
                library = nullptr;
        }

        ~SharedLibrary()
        {
            if (library != nullptr)
                FT_Done_FreeType (library);
        }

        /** Made on first use and kept, so the scan and the faces opened after it
            share one; each face holds it too, whatever the order of the ends. */
        static std::shared_ptr<SharedLibrary> get()
        {
            static const auto library = std::make_shared<SharedLibrary>();
            return library;
        }

        FT_Library library = nullptr;
        std::mutex facesMutex;
    };

    FT_Face openFace (SharedLibrary& shared, const juce::File& file, int index)
    {
        const std::lock_guard<std::mutex> guard (shared.facesMutex);
        FT_Face face = nullptr;

        if (shared.library == nullptr || FT_New_Face (shared.library, file.getFullPathName().toRawUTF8(), index, &face) != 0)
            return nullptr;

        if (FT_Select_Charmap (face, ft_encoding_unicode) != 0 && face->num_charmaps > 0)
            FT_Set_Charmap (face, face->charmaps[0]);

        return face;
    }

    bool isSansSerifFamily (const juce::String& family)
    {
        for (auto* name : { "Sans", "Verdana", "Arial", "Ubuntu" })
            if (family.containsIgnoreCase (name))
                return true;

        return false;
    }

    // "Regular", "Roman" and the like before "Bold", "Italic" and the rest.
    int styleOrder (const juce::String& style)
    {
        if (style == "Regular")
            return 0;
        if (style == "Roman")
            return 1;
        if (style == "Book")
            return 2;
        if (style.containsIgnoreCase ("Bold"))
            return 3;
        if (style.containsIgnoreCase ("Italic"))
            return 4;
        return 5;
    }

    /** fonts.conf, read as JUCE reads it but within bounds. Its document type
        names fontconfig's DTD, which the bounded reader refuses; a declaration
        without an internal subset says nothing the folders depend on, so it is
        dropped first. */
    std::unique_ptr<juce::XmlElement> readFontsConf (const juce::File& file)
    {
        juce::MemoryBlock data;

        if (BoundedFileReader::read (file, BoundedXml::maxFileSize, data).failed())
            return nullptr;

        auto text = data.toString();
        const auto doctype = text.indexOf ("<!DOCTYPE");

        if (doctype >= 0)
        {
            const auto end = text.indexOfChar (doctype, '>');

            if (end < 0 || text.substring (doctype, end).containsChar ('['))
                return nullptr;

            text = text.replaceSection (doctype, end + 1 - doctype, {});
        }

        std::unique_ptr<juce::XmlElement> conf;
        const auto utf8 = text.toUTF8();

        if (BoundedXml::parse (utf8.getAddress(), utf8.sizeInBytes() - 1, conf).failed())
            return nullptr;

        return conf;
    }

    juce::StringArray fontFolders()
    {
        juce::StringArray folders;
        folders.addTokens (juce::SystemStats::getEnvironmentVariable ("JUCE_FONT_PATH", {}), ";,", "");
        folders.removeEmptyStrings (true);

        if (folders.isEmpty())
        {
            for (auto* path : { "/etc/fonts/fonts.conf", "/usr/share/fonts/fonts.conf", "/usr/local/etc/fonts/fonts.conf",
                                "/usr/share/defaults/fonts/fonts.conf" })
            {
                const auto conf = readFontsConf (juce::File (path));

                if (conf == nullptr)
                    continue;

                for (auto* dir : conf->getChildWithTagNameIterator ("dir"))
                {
                    auto folder = dir->getAllSubText().trim();

                    if (folder.isNotEmpty() && dir->getStringAttribute ("prefix") == "xdg")
                    {
                        auto dataHome = juce::SystemStats::getEnvironmentVariable ("XDG_DATA_HOME", {});
                        folder = juce::File (dataHome.trimStart().isEmpty() ? "~/.local/share" : dataHome).getChildFile (folder).getFullPathName();
                    }

                    if (folder.isNotEmpty())
                        folders.add (folder);
                }

                break;
            }
        }

        if (folders.isEmpty())
            folders.add ("/usr/X11R6/lib/X11/fonts");

        folders.removeDuplicates (false);
        return folders;
    }

    /** The outline as JUCE converts it, normalised to a height of 1. */
    bool outlineToPath (const FT_Outline& outline, float scale, juce::Path& path)
    {
        const auto* contours = outline.contours;
        const auto* tags = outline.tags;
        const auto pointX = [&outline, scale] (int p)
        { return scale * (float) outline.points[p].x; };
        const auto pointY = [&outline, scale] (int p)
        { return -scale * (float) outline.points[p].y; };

        for (int c = 0; c < outline.n_contours; ++c)
        {
            const int startPoint = c == 0 ? 0 : contours[c - 1] + 1;
            const int endPoint = contours[c];

            for (int p = startPoint; p <= endPoint; ++p)
            {
                const auto x = pointX (p), y = pointY (p);

                if (p == startPoint)
                {
                    if (FT_CURVE_TAG (tags[p]) == FT_CURVE_TAG_CONIC)
                    {
                        auto x2 = pointX (endPoint), y2 = pointY (endPoint);

                        if (FT_CURVE_TAG (tags[endPoint]) != FT_CURVE_TAG_ON)
                        {
                            x2 = (x + x2) * 0.5f;
                            y2 = (y + y2) * 0.5f;
                        }

                        path.startNewSubPath (x2, y2);
                    }
                    else
                    {
                        path.startNewSubPath (x, y);
                    }
                }

                if (FT_CURVE_TAG (tags[p]) == FT_CURVE_TAG_ON)
                {
                    if (p != startPoint)
                        path.lineTo (x, y);
                }
                else if (FT_CURVE_TAG (tags[p]) == FT_CURVE_TAG_CONIC)
                {
                    const int next = p == endPoint ? startPoint : p + 1;
                    auto x2 = pointX (next), y2 = pointY (next);

                    if (FT_CURVE_TAG (tags[next]) == FT_CURVE_TAG_CONIC)
                    {
                        x2 = (x + x2) * 0.5f;
                        y2 = (y + y2) * 0.5f;
                    }
                    else
                    {
                        ++p;
                    }

                    path.quadraticTo (x, y, x2, y2);
                }
                else if (FT_CURVE_TAG (tags[p]) == FT_CURVE_TAG_CUBIC)
                {
                    const int next1 = p + 1;
                    const int next2 = p == endPoint - 1 ? startPoint : p + 2;

                    if (p >= endPoint || FT_CURVE_TAG (tags[next1]) != FT_CURVE_TAG_CUBIC || FT_CURVE_TAG (tags[next2]) != FT_CURVE_TAG_ON)
                        return false;

                    path.cubicTo (x, y, pointX (next1), pointY (next1), pointX (next2), pointY (next2));
                    p += 2;
                }
            }

            path.closeSubPath();
        }

        return true;
    }
}

struct SansSerifTypeface::FreeType
{
    ~FreeType()
    {
        if (face != nullptr)
        {
            const std::lock_guard<std::mutex> guard (library->facesMutex);
            FT_Done_Face (face);
        }
    }

    std::shared_ptr<SharedLibrary> library;
    FT_Face face = nullptr;
};

std::vector<SansSerifTypeface::Face> SansSerifTypeface::findInstalledFaces()
{
    std::vector<Face> faces;
    auto library = SharedLibrary::get();

    for (const auto& folder : fontFolders())
    {
        // JUCE follows every link; a loop of them would keep this walk going.
        const auto root = juce::File::getCurrentWorkingDirectory().getChildFile (folder);

        for (const auto& entry : juce::RangedDirectoryIterator (root, true, "*", juce::File::findFiles, juce::File::FollowSymlinks::noCycles))
        {
            const auto file = entry.getFile();

            if (! file.hasFileExtension ("ttf;pfb;pcf;otf"))
                continue;

            int numFaces = 1;

            for (int index = 0; index < numFaces; ++index)
            {
                auto* face = openFace (*library, file, index);

                if (face == nullptr)
                    continue;

                if (index == 0)
                    numFaces = (int) face->num_faces;

                if ((face->face_flags & FT_FACE_FLAG_SCALABLE) != 0)
                {
                    const juce::String family (face->family_name), style (face->style_name);
                    faces.push_back ({ file, index, family, style, isSansSerifFamily (family), (face->face_flags & FT_FACE_FLAG_FIXED_WIDTH) != 0 });
                }

                const std::lock_guard<std::mutex> guard (library->facesMutex);
                FT_Done_Face (face);
            }
        }
    }

    std::sort (faces.begin(), faces.end(), [] (const Face& a, const Face& b)
               {
                   const auto tie = [] (const Face& f)
                   { return std::make_tuple (f.family, styleOrder (f.style), f.style, f.isSansSerif, f.isMonospaced, f.index, f.file.getFullPathName()); };
                   return tie (a) < tie (b); });

    return faces;
}

std::optional<SansSerifTypeface::Face> SansSerifTypeface::pickDefault (const std::vector<Face>& faces, bool bold)
{
    juce::StringArray families;

    for (const auto& face : faces)
        if (face.isSansSerif)
            families.addIfNotAlreadyThere (face.family);

    if (families.isEmpty())
        return std::nullopt;

    // JUCE's preference: an exact name, then one that starts with it, then one containing it.
    const auto family = [&families]
    {
        static const char* const preferred[] { "Verdana", "Bitstream Vera Sans", "Luxi Sans", "Liberation Sans", "DejaVu Sans", "Sans" };

        for (auto* name : preferred)
            if (families.contains (name, true))
                return juce::String (name);

        for (auto* name : preferred)
            for (const auto& f : families)
                if (f.startsWithIgnoreCase (name))
                    return f;

        for (auto* name : preferred)
            for (const auto& f : families)
                if (f.containsIgnoreCase (name))
                    return f;

        return families[0];
    }();

    // The style asked for if the family has it by that name, else its first.
    const juce::String wanted (bold ? "Bold" : "Regular");
    const Face* first = nullptr;
    const Face* named = nullptr;

    for (const auto& face : faces)
    {
        if (face.family != family)
            continue;

        if (first == nullptr)
            first = &face;

        if (named == nullptr && face.style == wanted)
            named = &face;
    }

    if (named != nullptr)
        return *named;

    return first != nullptr ? std::optional<Face> (*first) : std::nullopt;
}

juce::Typeface::Ptr SansSerifTypeface::open (const Face& face)
{
    auto freeType = std::make_unique<FreeType>();
    freeType->library = SharedLibrary::get();
    freeType->face = openFace (*freeType->library, face.file, face.index);

    if (freeType->face == nullptr || freeType->face->ascender - freeType->face->descender == 0)
        return nullptr;

    return new SansSerifTypeface (std::move (freeType), face);
}

SansSerifTypeface::SansSerifTypeface (std::unique_ptr<FreeType> ft, const Face& face)
    : freeType (std::move (ft))
{
    const auto* f = freeType->face;
    setCharacteristics (face.family, face.style, (float) f->ascender / (float) (f->ascender - f->descender), L' ');
}

SansSerifTypeface::~SansSerifTypeface() = default;

bool SansSerifTypeface::loadGlyphIfPossible (juce::juce_wchar character)
{
    const juce::ScopedLock sl (lock);

    if (std::find (failed.begin(), failed.end(), character) != failed.end())
        return false;

    auto* face = freeType->face;
    const auto glyphIndex = FT_Get_Char_Index (face, (FT_ULong) character);
    // As JUCE computes them: outlines and advances scaled by the reciprocal,
    // kerning divided by the height, so that every float comes out the same.
    const auto height = (float) (face->ascender - face->descender);
    const auto scale = 1.0f / height;
    juce::Path shape;

    if (FT_Load_Glyph (face, glyphIndex, FT_LOAD_NO_SCALE | FT_LOAD_NO_BITMAP | FT_LOAD_IGNORE_TRANSFORM | FT_LOAD_NO_HINTING) != 0
        || face->glyph->format != FT_GLYPH_FORMAT_OUTLINE
        || ! outlineToPath (face->glyph->outline, scale, shape))
    {
        failed.push_back (character);
        return false;
    }

    addGlyph (character, shape, (float) face->glyph->metrics.horiAdvance * scale);

    if ((face->face_flags & FT_FACE_FLAG_KERNING) != 0)
    {
        // The pairs this glyph makes with itself and with each loaded one, both
        // ways. A character the font does not map is never the right-hand side.
        const auto kern = [face, height, this] (juce::juce_wchar left, unsigned int leftGlyph, juce::juce_wchar right, unsigned int rightGlyph)
        {
            FT_Vector kerning;

            if (rightGlyph != 0 && FT_Get_Kerning (face, leftGlyph, rightGlyph, ft_kerning_unscaled, &kerning) == 0 && kerning.x != 0)
                addKerningPair (left, right, (float) kerning.x / height);
        };

        kern (character, glyphIndex, character, glyphIndex);

        // The end of a string is measured as a pair with character 0, which a
        // font may map (to its ".null" glyph), and which JUCE then kerns too.
        kern (character, glyphIndex, 0, FT_Get_Char_Index (face, 0));

        for (const auto& [other, otherGlyph] : loaded)
        {
            kern (character, glyphIndex, other, otherGlyph);
            kern (other, otherGlyph, character, glyphIndex);
        }
    }

    loaded.emplace_back (character, glyphIndex);
    return true;
}

void SansSerifTypeface::loadCharactersOf (const juce::String& text)
{
    for (auto t = text.getCharPointer(); ! t.isEmpty();)
    {
        const auto c = t.getAndAdvance();
        const auto known = [c] (const auto& glyph)
        { return glyph.first == c; };

        if (std::find_if (loaded.begin(), loaded.end(), known) == loaded.end())
            loadGlyphIfPossible (c);
    }
}

float SansSerifTypeface::getStringWidth (const juce::String& text)
{
    const juce::ScopedLock sl (lock);
    loadCharactersOf (text);
    return juce::CustomTypeface::getStringWidth (text);
}

void SansSerifTypeface::getGlyphPositions (const juce::String& text, juce::Array<int>& glyphNumbers, juce::Array<float>& xOffsets)
{
    const juce::ScopedLock sl (lock);
    loadCharactersOf (text);
    juce::CustomTypeface::getGlyphPositions (text, glyphNumbers, xOffsets);
}

bool SansSerifTypeface::getOutlineForGlyph (int glyphNumber, juce::Path& path)
{
    const juce::ScopedLock sl (lock);
    return juce::CustomTypeface::getOutlineForGlyph (glyphNumber, path);
}

juce::EdgeTable* SansSerifTypeface::getEdgeTableForGlyph (int glyphNumber, const juce::AffineTransform& transform, float fontHeight)
{
    const juce::ScopedLock sl (lock);
    auto* table = juce::CustomTypeface::getEdgeTableForGlyph (glyphNumber, transform, fontHeight);

    if (table != nullptr)
        table->optimiseTable();

    return table;
}
