// Text on surfaces through FreeType with DejaVu Sans, regular or bold, at the font's size.
// Glyphs are rendered once per font and kept, so repainting the status panel costs only the
// copies.
#include "platform/standin/surface.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>
#include <mutex>
#include <stdexcept>
#include <unordered_map>

static_assert(sizeof(wchar_t) == 4, "the stand-in reads wide text as UTF-32");

namespace standin {

namespace {

// The cell height a font of height 0 gets.
constexpr int kDefaultCellPixels = 16;

struct Glyph {
    int left = 0;
    int top = 0;
    int width = 0;
    int rows = 0;
    int advance = 0;
    std::vector<std::uint8_t> coverage;
};

class FontCache {
public:
    explicit FontCache(FontStyle style)
    {
        const char* file = style.bold ? SKYWEAVER_DEJAVU_BOLD_FONT : SKYWEAVER_DEJAVU_FONT;
        if (FT_Init_FreeType(&m_library) != 0 || FT_New_Face(m_library, file, 0, &m_face) != 0) {
            throw std::runtime_error(std::string("cannot load the font ") + file);
        }
        if (style.height < 0) {
            FT_Set_Pixel_Sizes(m_face, 0, static_cast<FT_UInt>(-style.height));
        } else {
            // A cell height, as Windows takes a positive height: ascender to descender.
            FT_Size_RequestRec request{FT_SIZE_REQUEST_TYPE_REAL_DIM, 0,
                                       static_cast<FT_Long>(style.height == 0 ? kDefaultCellPixels : style.height) * 64,
                                       0, 0};
            FT_Request_Size(m_face, &request);
        }
        m_ascender = static_cast<int>((m_face->size->metrics.ascender + 63) >> 6);
        m_height = static_cast<int>((m_face->size->metrics.height + 63) >> 6);
    }
    ~FontCache()
    {
        FT_Done_Face(m_face);
        FT_Done_FreeType(m_library);
    }
    FontCache(const FontCache&) = delete;
    FontCache& operator=(const FontCache&) = delete;

    int ascender() const { return m_ascender; }
    int height() const { return m_height; }

    const Glyph& glyph(wchar_t ch)
    {
        auto found = m_glyphs.find(ch);
        if (found != m_glyphs.end()) {
            return found->second;
        }
        Glyph glyph;
        if (FT_Load_Char(m_face, static_cast<FT_ULong>(ch), FT_LOAD_RENDER) == 0) {
            const FT_GlyphSlot slot = m_face->glyph;
            glyph.left = slot->bitmap_left;
            glyph.top = slot->bitmap_top;
            glyph.width = static_cast<int>(slot->bitmap.width);
            glyph.rows = static_cast<int>(slot->bitmap.rows);
            glyph.advance = static_cast<int>((slot->advance.x + 32) >> 6);
            for (int row = 0; row < glyph.rows; ++row) {
                const std::uint8_t* line = slot->bitmap.buffer + row * slot->bitmap.pitch;
                glyph.coverage.insert(glyph.coverage.end(), line, line + glyph.width);
            }
        }
        return m_glyphs.emplace(ch, std::move(glyph)).first->second;
    }

private:
    FT_Library m_library = nullptr;
    FT_Face m_face = nullptr;
    int m_ascender = 0;
    int m_height = 0;
    std::unordered_map<wchar_t, Glyph> m_glyphs;
};

// Every font drawn so far; the mutex guards the list and the glyphs of each.
struct FontList {
    std::mutex mutex;
    std::vector<std::pair<FontStyle, std::unique_ptr<FontCache>>> fonts;
};

FontList& lf_fonts()
{
    static FontList list;
    return list;
}

FontCache& lf_fontLocked(FontList& list, FontStyle style)
{
    for (auto& [made, font] : list.fonts) {
        if (made == style) {
            return *font;
        }
    }
    return *list.fonts.emplace_back(style, std::make_unique<FontCache>(style)).second;
}

std::uint32_t lf_blend(std::uint32_t background, COLORREF colour, unsigned coverage)
{
    if (coverage == 255) {
        return toPixel(colour);
    }
    const unsigned r = GetRValue(colour);
    const unsigned g = GetGValue(colour);
    const unsigned b = GetBValue(colour);
    const unsigned br = (background >> 16) & 0xff;
    const unsigned bg = (background >> 8) & 0xff;
    const unsigned bb = background & 0xff;
    const unsigned inv = 255 - coverage;
    return (((r * coverage + br * inv) / 255) << 16) | (((g * coverage + bg * inv) / 255) << 8) |
           ((b * coverage + bb * inv) / 255);
}

} // namespace

TextExtent measureText(std::wstring_view text, FontStyle style)
{
    FontList& list = lf_fonts();
    std::lock_guard lock(list.mutex);
    FontCache& font = lf_fontLocked(list, style);
    TextExtent extent{0, font.height()};
    for (wchar_t ch : text) {
        extent.width += font.glyph(ch).advance;
    }
    return extent;
}

void drawText(Surface& surface, const RECT& clip, int x, int y, std::wstring_view text, COLORREF colour, FontStyle style)
{
    FontList& list = lf_fonts();
    std::lock_guard lock(list.mutex);
    FontCache& font = lf_fontLocked(list, style);
    const RECT r = intersect(clip, RECT{0, 0, surface.width, surface.height});
    const int baseline = y + font.ascender();
    int penX = x;
    for (wchar_t ch : text) {
        const Glyph& glyph = font.glyph(ch);
        const int left = penX + glyph.left;
        const int top = baseline - glyph.top;
        const int firstRow = std::max(0, static_cast<int>(r.top) - top);
        const int lastRow = std::min(glyph.rows, static_cast<int>(r.bottom) - top);
        const int firstCol = std::max(0, static_cast<int>(r.left) - left);
        const int lastCol = std::min(glyph.width, static_cast<int>(r.right) - left);
        for (int row = firstRow; row < lastRow; ++row) {
            for (int col = firstCol; col < lastCol; ++col) {
                const unsigned coverage = glyph.coverage[static_cast<std::size_t>(row) * glyph.width + col];
                if (coverage == 0) {
                    continue;
                }
                std::uint32_t& pixel = surface.pixels[static_cast<std::size_t>(top + row) * surface.width + left + col];
                pixel = lf_blend(pixel, colour, coverage);
            }
        }
        penX += glyph.advance;
    }
}

} // namespace standin
