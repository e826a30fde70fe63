// The control behaviours the program's handlers rely on, as Windows has them.
#include "test_window.h"

#include "platform/standin/desktop.h"
#include "platform/standin/window_table.h"

#include <gtest/gtest.h>

using namespace desktoptest;

namespace {

constexpr int kBox = 11;
constexpr int kList = 12;
constexpr int kEdit = 13;

std::vector<std::pair<int, int>> notifications(int id)
{
    std::vector<std::pair<int, int>> found;
    for (auto command : commands()) {
        if (command.first == id) {
            found.push_back(command);
        }
    }
    return found;
}

void fillList(HWND list, std::initializer_list<const wchar_t*> entries)
{
    for (const wchar_t* entry : entries) {
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    }
}

} // namespace

TEST(DesktopControls, CheckBoxOnlyNotifiesItsParentOnAClick)
{
    HWND window = createTestWindow();
    createControl(window, L"button", BS_CHECKBOX, kBox, 12, 12);
    standin::Desktop desktop;

    ASSERT_TRUE(desktop.click(kBox));

    EXPECT_FALSE(desktop.state(kBox).checked);
    EXPECT_EQ(notifications(kBox), (std::vector<std::pair<int, int>>{{kBox, BN_CLICKED}}));
}

TEST(DesktopControls, ChangesMadeInCodeSendNoNotification)
{
    HWND window = createTestWindow();
    HWND box = createControl(window, L"button", BS_CHECKBOX, kBox, 12, 12);
    HWND list = createControl(window, L"ComboBox", CBS_DROPDOWNLIST, kList);
    fillList(list, {L"10", L"20", L"30"});

    SendMessageW(box, BM_SETCHECK, BST_CHECKED, 0);
    SendMessageW(list, CB_SETCURSEL, 1, 0);
    SendMessageW(list, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"3"));
    SetWindowTextW(box, L"renamed");
    standin::Desktop().pumpUntilIdle();

    EXPECT_TRUE(commands().empty());
    EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(list, CB_GETCURSEL, 0, 0), 2);
}

TEST(DesktopControls, UserPickNotifiesSelChangeSelEndOkAndCloseUpInOrder)
{
    HWND window = createTestWindow();
    fillList(createControl(window, L"ComboBox", CBS_DROPDOWNLIST, kList), {L"MSFS 2020", L"MSFS 2024"});
    standin::Desktop desktop;

    ASSERT_TRUE(desktop.pick(kList, "msfs 2024"));

    EXPECT_EQ(desktop.state(kList).selection, 1);
    EXPECT_EQ(desktop.state(kList).text, "MSFS 2024");
    EXPECT_EQ(notifications(kList),
              (std::vector<std::pair<int, int>>{{kList, CBN_SELCHANGE}, {kList, CBN_SELENDOK}, {kList, CBN_CLOSEUP}}));
    EXPECT_FALSE(desktop.pick(kList, 2));
    EXPECT_FALSE(desktop.pick(kList, "FS9"));
}

TEST(DesktopControls, ListSearchesIgnoreCaseAndSelectStringTakesAPrefix)
{
    HWND window = createTestWindow();
    HWND list = createControl(window, L"ComboBox", CBS_DROPDOWNLIST, kList);
    fillList(list, {L"Alpha", L"beta", L"Betamax"});
    auto search = [&](UINT message, WPARAM start, const wchar_t* text) {
        return SendMessageW(list, message, start, reinterpret_cast<LPARAM>(text));
    };

    EXPECT_EQ(search(CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), L"BETA"), 1);
    EXPECT_EQ(search(CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), L"bet"), CB_ERR);
    EXPECT_EQ(search(CB_FINDSTRINGEXACT, 1, L"beta"), 1); // searching after 1 wraps round to it
    EXPECT_EQ(search(CB_SELECTSTRING, 1, L"BET"), 2);
    EXPECT_EQ(search(CB_SELECTSTRING, static_cast<WPARAM>(-1), L"gamma"), CB_ERR);
    EXPECT_EQ(SendMessageW(list, CB_GETCURSEL, 0, 0), 2); // a failed search keeps the selection

    wchar_t text[16]{};
    EXPECT_EQ(SendMessageW(list, CB_GETLBTEXTLEN, 0, 0), 5);
    EXPECT_EQ(SendMessageW(list, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text)), 5);
    EXPECT_EQ(std::wstring(text), L"Alpha");
    EXPECT_EQ(SendMessageW(list, CB_GETLBTEXT, 3, reinterpret_cast<LPARAM>(text)), CB_ERR);
    EXPECT_EQ(SendMessageW(list, CB_SETCURSEL, 7, 0), CB_ERR);
    EXPECT_EQ(SendMessageW(list, CB_GETCURSEL, 0, 0), CB_ERR);
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    EXPECT_EQ(SendMessageW(list, CB_GETCOUNT, 0, 0), 0);
}

TEST(DesktopControls, TypingNotifiesUpdateAndChangeAndEnterReachesTheEditAsACharacter)
{
    HWND window = createTestWindow();
    HWND edit = createControl(window, L"Edit", WS_BORDER, kEdit);
    SetWindowTextW(edit, L"old");
    standin::Desktop desktop;
    seen().clear();

    static std::vector<WPARAM> characters;
    static WNDPROC previous = nullptr;
    previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
        edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
            if (m == WM_CHAR) {
                characters.push_back(wp);
            }
            return CallWindowProcW(previous, w, m, wp, lp);
        })));

    ASSERT_TRUE(desktop.typeAndEnter(kEdit, "EDDF"));

    EXPECT_EQ(desktop.state(kEdit).text, "EDDF");
    EXPECT_EQ(characters, (std::vector<WPARAM>{'E', 'D', 'D', 'F', 0x0D}));
    const auto seenByParent = notifications(kEdit);
    ASSERT_EQ(seenByParent.size(), 8u);
    EXPECT_EQ(seenByParent[0].second, EN_UPDATE);
    EXPECT_EQ(seenByParent[1].second, EN_CHANGE);
}

TEST(DesktopControls, DisabledControlsIgnoreInput)
{
    HWND window = createTestWindow();
    createControl(window, L"button", BS_DEFPUSHBUTTON | WS_DISABLED, kBox);
    HWND list = createControl(window, L"ComboBox", CBS_DROPDOWNLIST, kList);
    fillList(list, {L"a", L"b"});
    HWND edit = createControl(window, L"Edit", WS_BORDER, kEdit);
    EnableWindow(list, FALSE);
    EnableWindow(edit, FALSE);
    standin::Desktop desktop;

    EXPECT_FALSE(desktop.click(kBox));
    EXPECT_FALSE(desktop.pick(kList, 1));
    EXPECT_FALSE(desktop.type(kEdit, "x"));
    // Input already on its way when the control is disabled is dropped as well.
    PostMessageW(list, standin::kPickEntry, 1, 0);
    desktop.pumpUntilIdle();

    EXPECT_TRUE(commands().empty());
    EXPECT_EQ(desktop.state(kList).selection, -1);
    EXPECT_FALSE(desktop.state(kBox).enabled);
}

TEST(DesktopControls, CheckDlgButtonSetsTheCheckQuietly)
{
    HWND window = createTestWindow();
    createControl(window, L"button", BS_CHECKBOX, kBox, 12, 12);

    EXPECT_TRUE(CheckDlgButton(window, kBox, BST_CHECKED));
    EXPECT_EQ(IsDlgButtonChecked(window, kBox), static_cast<UINT>(BST_CHECKED));
    EXPECT_FALSE(CheckDlgButton(window, 99, BST_CHECKED));
    EXPECT_TRUE(commands().empty());
}
