// The headless desktop draws the controls itself, over the window's client
// area, when a window is composed for a snapshot: simple and legible, with the
// colours the parent gives through WM_CTLCOLOR*.
#include "platform/standin/desktop.h"
#include "platform/standin/device_context.h"
#include "platform/standin/gdi32.h"
#include "platform/standin/window_table.h"

namespace standin {

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kDisabledText = RGB(160, 160, 160);
constexpr COLORREF kFace = RGB(225, 225, 225);
constexpr COLORREF kBorder = RGB(122, 122, 122);
constexpr COLORREF kDefaultBorder = RGB(0, 120, 215);

struct Canvas {
    Surface& surface;
    RECT area; // the control in surface coordinates
};

void lf_frame(Canvas& canvas, COLORREF colour)
{
    const RECT& r = canvas.area;
    fillArea(canvas.surface, r, RECT{r.left, r.top, r.right, r.top + 1}, colour);
    fillArea(canvas.surface, r, RECT{r.left, r.bottom - 1, r.right, r.bottom}, colour);
    fillArea(canvas.surface, r, RECT{r.left, r.top, r.left + 1, r.bottom}, colour);
    fillArea(canvas.surface, r, RECT{r.right - 1, r.top, r.right, r.bottom}, colour);
}

void lf_text(Canvas& canvas, int x, std::wstring_view text, COLORREF colour, bool centred)
{
    const TextExtent extent = measureText(text);
    const RECT& r = canvas.area;
    const int left = centred ? r.left + (r.right - r.left - extent.width) / 2 : r.left + x;
    const int top = r.top + (r.bottom - r.top - extent.height) / 2;
    drawText(canvas.surface, RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, left, top, text, colour);
}

// Asks the parent for the control's colours; returns the background and the text colour.
std::pair<COLORREF, COLORREF> lf_parentColours(Canvas& canvas, const Window& control, UINT message)
{
    const HDC dc = createSurfaceDc(std::shared_ptr<Surface>(&canvas.surface, [](Surface*) {}), canvas.area,
                                   POINT{canvas.area.left, canvas.area.top});
    SetTextColor(dc, kBlack);
    const auto brush = reinterpret_cast<HBRUSH>(SendMessageW(control.parent, message, reinterpret_cast<WPARAM>(dc),
                                                             reinterpret_cast<LPARAM>(control.handle)));
    const COLORREF background = brushColourOf(dc, brush, kWhite);
    const COLORREF text = textColourOf(dc);
    deleteSurfaceDc(dc);
    return {background, text};
}

void lf_paintPushButton(Canvas& canvas, const Window& control)
{
    fillArea(canvas.surface, canvas.area, canvas.area, kFace);
    lf_frame(canvas, (control.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON && control.enabled ? kDefaultBorder : kBorder);
    lf_text(canvas, 0, control.text, control.enabled ? kBlack : kDisabledText, true);
}

void lf_paintCheckBox(Canvas& canvas, const Window& control)
{
    const auto [background, textColour] = lf_parentColours(canvas, control, WM_CTLCOLORSTATIC);
    fillArea(canvas.surface, canvas.area, canvas.area, background);
    const RECT& r = canvas.area;
    const int top = r.top + (r.bottom - r.top - 12) / 2;
    Canvas box{canvas.surface, RECT{r.left, top, r.left + 12, top + 12}};
    fillArea(canvas.surface, r, box.area, kWhite);
    lf_frame(box, control.enabled ? RGB(51, 51, 51) : RGB(188, 188, 188));
    if (control.checked) {
        const COLORREF mark = control.enabled ? kBlack : kDisabledText;
        drawLine(canvas.surface, box.area, r.left + 2, top + 6, r.left + 5, top + 9, 2, mark);
        drawLine(canvas.surface, box.area, r.left + 5, top + 9, r.left + 10, top + 3, 2, mark);
    }
    if (r.right - r.left > 16) {
        Canvas caption{canvas.surface, RECT{r.left + 14, r.top, r.right, r.bottom}};
        lf_text(caption, 2, control.text, control.enabled ? textColour : kDisabledText, false);
    }
}

void lf_paintEdit(Canvas& canvas, const Window& control)
{
    const auto [background, textColour] =
        lf_parentColours(canvas, control, control.enabled ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC);
    fillArea(canvas.surface, canvas.area, canvas.area, background);
    lf_frame(canvas, kBorder);
    lf_text(canvas, 3, control.text, control.enabled ? textColour : kDisabledText, false);
}

void lf_paintComboBox(Canvas& canvas, const Window& control)
{
    fillArea(canvas.surface, canvas.area, canvas.area, control.enabled ? kFace : RGB(240, 240, 240));
    lf_frame(canvas, control.enabled ? kBorder : RGB(204, 204, 204));
    const std::wstring text = control.selection < 0 ? L"" : control.items[control.selection];
    Canvas field{canvas.surface, RECT{canvas.area.left, canvas.area.top, canvas.area.right - 14, canvas.area.bottom}};
    lf_text(field, 4, text, control.enabled ? kBlack : kDisabledText, false);
    // The drop-down arrow.
    const int x = canvas.area.right - 11;
    const int y = canvas.area.top + (canvas.area.bottom - canvas.area.top) / 2 - 2;
    for (int row = 0; row < 4; ++row) {
        fillArea(canvas.surface, canvas.area, RECT{x + row, y + row, x + 8 - row, y + row + 1}, control.enabled ? kBlack : kDisabledText);
    }
}

void lf_paintControl(Surface& surface, const Window& control)
{
    Canvas canvas{surface, control.rect};
    switch (control.kind) {
    case ControlKind::Button:
        if ((control.style & BS_TYPEMASK) == BS_CHECKBOX || (control.style & BS_TYPEMASK) == BS_AUTOCHECKBOX) {
            lf_paintCheckBox(canvas, control);
        } else {
            lf_paintPushButton(canvas, control);
        }
        break;
    case ControlKind::Edit:
        lf_paintEdit(canvas, control);
        break;
    case ControlKind::ComboBox:
        lf_paintComboBox(canvas, control);
        break;
    case ControlKind::None:
        break;
    }
}

} // namespace

Surface composeWindow(HWND handle)
{
    std::vector<Window> controls;
    Surface composed;
    {
        std::lock_guard lock(windowsMutex());
        const Window* window = findWindowLocked(handle);
        if (window == nullptr || !window->surface) {
            return composed;
        }
        composed = *window->surface;
        for (HWND child : childrenLocked(handle)) {
            const Window* control = findWindowLocked(child);
            if (control->visible) {
                controls.push_back(*control);
            }
        }
    }
    for (const Window& control : controls) {
        lf_paintControl(composed, control);
    }
    return composed;
}

} // namespace standin
