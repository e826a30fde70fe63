// One full paint of the 880 x 516 status panel (five areas, row lines, about
// 60 texts, one blit to the window) against FreeType drawing the same texts
// into a bare buffer. It runs on every status-line change; the aim is well
// under a millisecond.
#include "platform/win32.h"

#include <benchmark/benchmark.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <string>
#include <vector>

namespace {

struct Label {
    int x;
    int y;
    std::wstring text;
};

std::vector<Label> panelTexts()
{
    std::vector<Label> labels;
    const wchar_t* words[] = {L"Scan for liveries", L"Automatic:", L"Prioritize", L"# liveries: 1234", L"qnh: 1013",
                              L"Traffic injection", L"Radius:", L"nm, or", L"Max park (static+live):", L"live: 42"};
    for (int i = 0; i < 60; ++i) {
        labels.push_back(Label{5 + (i % 6) * 140, 7 + (i / 6) * 46, words[i % 10]});
    }
    return labels;
}

LRESULT CALLBACK benchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND benchWindow()
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = benchProc;
    windowClass.lpszClassName = L"PaintBench";
    RegisterClassExW(&windowClass);
    HWND window = CreateWindowExW(0, L"PaintBench", L"PaintBench", WS_CAPTION | WS_SYSMENU, 0, 0, 880, 516, nullptr,
                                  nullptr, nullptr, nullptr);
    ShowWindow(window, SW_SHOW);
    return window;
}

void paintPanel(HDC target, const std::vector<Label>& labels, HBRUSH const (&brushes)[5], HPEN pen)
{
    HDC memory = CreateCompatibleDC(target);
    HBITMAP bitmap = CreateCompatibleBitmap(target, 880, 516);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    const RECT areas[5] = {{0, 0, 880, 28}, {0, 28, 880, 112}, {0, 112, 880, 392}, {0, 392, 880, 448}, {0, 448, 880, 476}};
    for (int i = 0; i < 5; ++i) {
        FillRect(memory, &areas[i], brushes[i]);
    }
    HGDIOBJ oldPen = SelectObject(memory, pen);
    for (int y : {140, 168, 196, 224, 252, 280, 308}) {
        MoveToEx(memory, 0, y, nullptr);
        LineTo(memory, 880, y);
    }
    SelectObject(memory, oldPen);
    SetBkMode(memory, TRANSPARENT);
    for (const Label& label : labels) {
        const COLORREF old = SetTextColor(memory, RGB(50, 205, 50));
        TextOutW(memory, label.x, label.y, label.text.c_str(), static_cast<int>(label.text.size()));
        SetTextColor(memory, old);
    }
    BitBlt(target, 0, 0, 880, 516, memory, 0, 0, SRCCOPY);
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
}

} // namespace

static void BM_fullPanelPaint(benchmark::State& state)
{
    HWND window = benchWindow();
    const std::vector<Label> labels = panelTexts();
    HBRUSH const brushes[5] = {CreateSolidBrush(RGB(0, 0, 0)), CreateSolidBrush(RGB(0, 0, 0)), CreateSolidBrush(RGB(153, 204, 255)),
                               CreateSolidBrush(RGB(0, 0, 0)), CreateSolidBrush(RGB(50, 205, 50))};
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
    for (auto _ : state) {
        HDC dc = GetDC(window);
        paintPanel(dc, labels, brushes, pen);
        ReleaseDC(window, dc);
    }
    state.SetLabel("one paint with 60 texts and the blit");
}
BENCHMARK(BM_fullPanelPaint)->Unit(benchmark::kMicrosecond);

// The floor: FreeType rendering the same texts into a bare 880 x 516 buffer.
static void BM_freetypeTextsFloor(benchmark::State& state)
{
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    FT_Init_FreeType(&library);
    if (FT_New_Face(library, SKYWEAVER_DEJAVU_FONT, 0, &face) != 0) {
        state.SkipWithError("no font");
        return;
    }
    FT_Set_Pixel_Sizes(face, 0, 13);
    const std::vector<Label> labels = panelTexts();
    std::vector<unsigned char> buffer(880 * 516);
    for (auto _ : state) {
        for (const Label& label : labels) {
            int penX = label.x;
            for (wchar_t ch : label.text) {
                if (FT_Load_Char(face, static_cast<FT_ULong>(ch), FT_LOAD_RENDER) != 0) {
                    continue;
                }
                const FT_Bitmap& glyph = face->glyph->bitmap;
                const int left = penX + face->glyph->bitmap_left;
                const int top = label.y + 12 - face->glyph->bitmap_top;
                for (unsigned row = 0; row < glyph.rows; ++row) {
                    for (unsigned col = 0; col < glyph.width; ++col) {
                        const int x = left + static_cast<int>(col);
                        const int y = top + static_cast<int>(row);
                        if (x >= 0 && x < 880 && y >= 0 && y < 516) {
                            buffer[static_cast<std::size_t>(y) * 880 + x] |= glyph.buffer[row * glyph.pitch + col];
                        }
                    }
                }
                penX += static_cast<int>(face->glyph->advance.x >> 6);
            }
        }
        benchmark::DoNotOptimize(buffer.data());
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
}
BENCHMARK(BM_freetypeTextsFloor)->Unit(benchmark::kMicrosecond);
