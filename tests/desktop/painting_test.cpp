// GDI painting into the window and the window's PNG snapshot.
#include "test_window.h"

#include "platform/standin/desktop.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>

using namespace desktoptest;

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(153, 204, 255);
constexpr COLORREF kGreen = RGB(50, 205, 50);
constexpr COLORREF kWhite = RGB(255, 255, 255);

// Paints as the program does: everything into a memory bitmap, then one blit.
void paintPanel(HDC dc)
{
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 880, 516);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    HBRUSH red = CreateSolidBrush(kRed);
    HBRUSH blue = CreateSolidBrush(kBlue);
    HPEN white = CreatePen(PS_SOLID, 1, kWhite);
    RECT top{0, 0, 880, 112};
    RECT middle{0, 112, 880, 392};
    FillRect(memory, &top, red);
    FillRect(memory, &middle, blue);
    HGDIOBJ oldPen = SelectObject(memory, white);
    MoveToEx(memory, 0, 28, nullptr);
    LineTo(memory, 880, 28);
    SelectObject(memory, oldPen);
    SetBkMode(memory, TRANSPARENT);
    EXPECT_EQ(SetTextColor(memory, kGreen), RGB(0, 0, 0));
    TextOutW(memory, 5, 35, L"Skyweaver", 9);
    EXPECT_EQ(SetTextColor(memory, RGB(0, 0, 0)), kGreen);
    BitBlt(dc, 0, 0, 880, 516, memory, 0, 0, SRCCOPY);
    SelectObject(memory, previous);
    DeleteObject(red);
    DeleteObject(blue);
    DeleteObject(white);
    DeleteObject(bitmap);
    DeleteDC(memory);
}

// The bounding box of pixels of one colour within an area; empty when none.
RECT findColour(const standin::Surface& surface, const RECT& area, COLORREF colour)
{
    RECT box{area.right, area.bottom, area.left, area.top};
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            if (surface.pixel(x, y) == colour) {
                box = RECT{std::min(box.left, static_cast<LONG>(x)), std::min(box.top, static_cast<LONG>(y)),
                           std::max(box.right, static_cast<LONG>(x + 1)), std::max(box.bottom, static_cast<LONG>(y + 1))};
            }
        }
    }
    return box;
}

struct PngImage {
    int width = 0;
    int height = 0;
    std::vector<png_byte> rgb;
    COLORREF at(int x, int y) const
    {
        const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 3;
        return RGB(rgb[i], rgb[i + 1], rgb[i + 2]);
    }
};

PngImage readPng(const std::filesystem::path& file)
{
    PngImage image;
    png_image reader{};
    reader.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&reader, file.c_str()) == 0) {
        return image;
    }
    reader.format = PNG_FORMAT_RGB;
    image.rgb.resize(PNG_IMAGE_SIZE(reader));
    if (png_image_finish_read(&reader, nullptr, image.rgb.data(), 0, nullptr) != 0) {
        image.width = static_cast<int>(reader.width);
        image.height = static_cast<int>(reader.height);
    }
    return image;
}

// A window painted all red whose next paints fill everything white.
HWND redWindowPaintingWhiteNext(standin::Desktop& desktop)
{
    HWND window = createTestWindow();
    g_painter = [](HDC dc) {
        HBRUSH red = CreateSolidBrush(kRed);
        RECT all{0, 0, 880, 516};
        FillRect(dc, &all, red);
        DeleteObject(red);
    };
    desktop.pumpUntilIdle();
    g_painter = [](HDC dc) {
        RECT all{0, 0, 880, 516};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    };
    return window;
}

} // namespace

TEST(DesktopPainting, PanelPaintedIntoABitmapReachesTheWindowAndItsPng)
{
    HWND box = createControl(createTestWindow(), L"button", BS_CHECKBOX, 3, 12, 12);
    g_painter = paintPanel;
    SendMessageW(box, BM_SETCHECK, BST_CHECKED, 0);
    standin::Desktop desktop;
    desktop.pumpUntilIdle();
    testsupport::TempFolder folder;

    const standin::Surface image = desktop.snapshot();
    ASSERT_TRUE(desktop.savePng(folder / "window.png"));
    const PngImage png = readPng(folder / "window.png");

    EXPECT_EQ(image.width, 864);
    EXPECT_EQ(image.height, 477);
    EXPECT_EQ(image.pixel(600, 10), kRed);
    EXPECT_EQ(image.pixel(600, 28), kWhite);
    EXPECT_EQ(image.pixel(600, 300), kBlue);
    const RECT text = findColour(image, RECT{0, 30, 300, 60}, kGreen);
    EXPECT_LT(text.left, text.right);
    EXPECT_GE(text.left, 5);
    EXPECT_GE(text.top, 35);
    EXPECT_LE(text.bottom, 35 + 17);
    EXPECT_GT(text.right - text.left, 40);
    // The check box is drawn over the panel with its mark.
    EXPECT_EQ(image.pixel(11, 11), kWhite);
    const RECT mark = findColour(image, RECT{11, 11, 21, 21}, RGB(0, 0, 0));
    EXPECT_LT(mark.left, mark.right);

    ASSERT_EQ(png.width, 864);
    ASSERT_EQ(png.height, 477);
    EXPECT_EQ(png.at(600, 10), kRed);
    EXPECT_EQ(png.at(600, 300), kBlue);
}

TEST(DesktopPainting, PaintingIsClippedToTheUpdateRegion)
{
    standin::Desktop desktop;
    HWND window = redWindowPaintingWhiteNext(desktop);

    RECT line{0, 448, 880, 476};
    InvalidateRect(window, &line, FALSE);
    desktop.pumpUntilIdle();

    const standin::Surface image = desktop.snapshot();
    EXPECT_EQ(image.pixel(100, 460), kWhite);
    EXPECT_EQ(image.pixel(100, 440), kRed);
}

TEST(DesktopPainting, TwoInvalidatedAreasLeaveWhatLiesBetweenThemAlone)
{
    standin::Desktop desktop;
    HWND window = redWindowPaintingWhiteNext(desktop);

    // As Windows does, the update region is the two areas, not the box around them.
    const RECT header{0, 28, 880, 112};
    const RECT line{0, 448, 880, 476};
    InvalidateRect(window, &header, FALSE);
    InvalidateRect(window, &line, FALSE);
    desktop.pumpUntilIdle();

    const standin::Surface image = desktop.snapshot();
    EXPECT_EQ(image.pixel(100, 60), kWhite);
    EXPECT_EQ(image.pixel(100, 460), kWhite);
    EXPECT_EQ(image.pixel(100, 300), kRed);
}

TEST(DesktopPainting, DefaultFontIsTheBoldSystemFontAndASelectedFontReplacesIt)
{
    HDC dc = CreateCompatibleDC(nullptr);
    SIZE system{};
    ASSERT_TRUE(GetTextExtentPoint32W(dc, L"Airport parking", 15, &system));
    HFONT font = CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Tahoma");
    const HGDIOBJ previous = SelectObject(dc, font);
    SIZE chosen{};
    ASSERT_TRUE(GetTextExtentPoint32W(dc, L"Airport parking", 15, &chosen));

    // The System font has a 16-pixel cell and is bold, as on Windows: wider than a 12-pixel font.
    EXPECT_EQ(system.cy, 16);
    EXPECT_GT(system.cx, chosen.cx + 15);
    EXPECT_LT(chosen.cy, system.cy);
    EXPECT_EQ(SelectObject(dc, previous), font);
    DeleteObject(font);
    DeleteDC(dc);
}

TEST(DesktopPainting, EraseBackgroundUsesTheClassBrushUnlessTheWindowHandlesIt)
{
    createTestWindow();
    standin::Desktop desktop;
    desktop.pumpUntilIdle();

    EXPECT_EQ(desktop.snapshot().pixel(400, 200), RGB(0, 0, 0));
}

TEST(DesktopPainting, EditBoxTakesItsColoursFromTheParent)
{
    static HBRUSH blue = CreateSolidBrush(kBlue);
    HWND window = createTestWindow();
    HWND edit = createControl(window, L"Edit", WS_BORDER, 4, 200, 16);
    SetWindowTextW(edit, L"WWWWWW");
    static WNDPROC previous = nullptr;
    previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
        window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
            if (m == WM_CTLCOLOREDIT) {
                SetTextColor(reinterpret_cast<HDC>(wp), kRed);
                return reinterpret_cast<LRESULT>(blue);
            }
            return CallWindowProcW(previous, w, m, wp, lp);
        })));
    standin::Desktop desktop;
    desktop.pumpUntilIdle();

    const standin::Surface image = desktop.snapshot();

    EXPECT_EQ(image.pixel(200, 12), kBlue);
    EXPECT_TRUE(findColour(image, RECT{11, 11, 209, 25}, kRed).left < 209);
}
