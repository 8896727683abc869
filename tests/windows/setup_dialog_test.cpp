// The installer dialog as the user sees it: the real SETUP.exe started, driven from outside,
// and its windows read back through the system.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/product.h"
#include "tests/windows/machine_state.h"
#include "tests/windows/setup_driver.h"
#include "ui/resource.h"

namespace {

using setup_test::ClassName;
using setup_test::ReadResource;
using setup_test::QueryWindow;
using setup_test::SetupRun;
using setup_test::WindowText;

// The texts once more, written out here: a wrong constant in the product's table shows.
constexpr char kExpectedCaption[] = "Quorvale Lumifold Installer";
constexpr char kExpectedAcceptText[] = "Yes, I accept license agreement.";
constexpr char kExpectedLaunchText[] = "Launch Quorvale Lumifold after install";

// The window's style bits that a template decides (WS_CLIPSIBLINGS, which the system gives
// every overlapped window, left out), and the dialog styles.
constexpr LONG kWindowStyleBits = WS_POPUP | WS_CHILD | WS_MINIMIZE | WS_VISIBLE | WS_DISABLED |
                                  WS_CLIPCHILDREN | WS_MAXIMIZE | WS_CAPTION | WS_VSCROLL |
                                  WS_HSCROLL | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX |
                                  WS_MAXIMIZEBOX;
constexpr LONG kDialogStyleBits = DS_ABSALIGN | DS_SYSMODAL | DS_LOCALEDIT | DS_SETFONT |
                                  DS_MODALFRAME | DS_NOIDLEMSG | DS_SETFOREGROUND | DS_FIXEDSYS |
                                  DS_NOFAILCREATE | DS_CONTROL | DS_CENTER | DS_CENTERMOUSE |
                                  DS_CONTEXTHELP;

LONG StyleOf(HWND window) { return GetWindowLongA(window, GWL_STYLE); }
LONG ExStyleOf(HWND window) { return GetWindowLongA(window, GWL_EXSTYLE); }

// The dialog units of a dialog font, worked out here the way the dialog manager does: the
// average width of the 52 Latin letters (rounded) and the font's height, in pixels.
SIZE DialogUnitsOf(const char* face, int points) {
  HDC screen = GetDC(nullptr);
  LOGFONTA font = {};
  font.lfHeight = -MulDiv(points, GetDeviceCaps(screen, LOGPIXELSY), 72);
  font.lfCharSet = DEFAULT_CHARSET;
  lstrcpynA(font.lfFaceName, face, LF_FACESIZE);
  HFONT handle = CreateFontIndirectA(&font);
  HGDIOBJ previous = SelectObject(screen, handle);
  SIZE letters = {};
  TEXTMETRICA metrics = {};
  GetTextExtentPoint32A(screen, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52,
                        &letters);
  GetTextMetricsA(screen, &metrics);
  SelectObject(screen, previous);
  DeleteObject(handle);
  ReleaseDC(nullptr, screen);
  return {(letters.cx / 26 + 1) / 2, metrics.tmHeight};
}

// A template rectangle (x, y, cx, cy in dialog units) in pixels, as the dialog manager makes it.
RECT InPixels(SIZE units, int x, int y, int cx, int cy) {
  const int left = MulDiv(x, units.cx, 4), top = MulDiv(y, units.cy, 8);
  return {left, top, left + MulDiv(cx, units.cx, 4), top + MulDiv(cy, units.cy, 8)};
}

// Compared as text, which also reads well in a failure.
std::string Describe(const RECT& rect) {
  return "(" + std::to_string(rect.left) + ", " + std::to_string(rect.top) + ")-(" +
         std::to_string(rect.right) + ", " + std::to_string(rect.bottom) + ")";
}

class SetupDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(run_.Start());
    dialog_ = run_.WaitForDialog();
    ASSERT_NE(dialog_, nullptr);
  }

  HWND Install() { return run_.Control(IDC_INSTALL); }
  bool InstallEnabled() { return IsWindowEnabled(Install()) != FALSE; }

  // Posts Enter and Esc to the focused control and IDOK and IDCANCEL to the dialog, then two
  // clicks on the launch box. Posted after the keys, the clicks are handled after them: once
  // their effect shows, so does anything that the keys caused.
  void PressEnterAndEscape() {
    HWND focus = setup_test::FocusedWindow(dialog_);
    if (focus == nullptr) focus = dialog_;
    ASSERT_TRUE(setup_test::PostKey(focus, VK_RETURN));
    ASSERT_TRUE(setup_test::PostKey(focus, VK_ESCAPE));
    ASSERT_TRUE(PostMessageA(dialog_, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0));
    ASSERT_TRUE(PostMessageA(dialog_, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0));
    const LRESULT launch = setup_test::CheckState(run_.Control(IDC_LAUNCH));
    ASSERT_NE(run_.ClickCheckBox(IDC_LAUNCH), -1);
    ASSERT_EQ(run_.ClickCheckBox(IDC_LAUNCH), launch);
  }

  SetupRun run_{"SETUP.exe"};
  HWND dialog_ = nullptr;
};

TEST_F(SetupDialogTest, DialogIsAnOverlappedWindowWithCaptionAndCloseBoxOnly) {
  EXPECT_EQ(WindowText(dialog_), kExpectedCaption);
  EXPECT_STREQ(kInstallerTitle, kExpectedCaption);
  EXPECT_EQ(ClassName(dialog_), "#32770");
  EXPECT_EQ(GetWindow(dialog_, GW_OWNER), nullptr);
  EXPECT_EQ(GetMenu(dialog_), nullptr);

  const LONG style = StyleOf(dialog_);
  EXPECT_EQ(style & kWindowStyleBits, WS_CAPTION | WS_SYSMENU | WS_VISIBLE) << std::hex << style;
  EXPECT_EQ(style & kDialogStyleBits, DS_MODALFRAME | DS_CENTER | DS_SETFONT) << std::hex << style;
  // The template asks for no extended style; the system adds these for a modal frame, a caption
  // and a dialog's controls.
  const LONG exStyle = ExStyleOf(dialog_);
  EXPECT_EQ(exStyle & ~(WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_CONTROLPARENT), 0)
      << std::hex << exStyle;

  // DS_CENTER: centred on the work area, whatever the template's position.
  RECT window = {}, work = {};
  ASSERT_TRUE(GetWindowRect(dialog_, &window));
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
  EXPECT_NEAR((window.left + window.right) / 2, (work.left + work.right) / 2, 1);
  EXPECT_NEAR((window.top + window.bottom) / 2, (work.top + work.bottom) / 2, 1);
}

TEST_F(SetupDialogTest, ControlsAreTheFourOfTheTemplateInItsOrder) {
  struct Expected {
    int id;
    const char* className;
    const char* text;  // null: set at run time, checked below
    LONG styles;       // all of these
    LONG forbidden;    // none of these
  };
  const Expected controls[] = {
      {IDC_INSTALL, "Button", "Install", WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP,
       WS_BORDER | WS_VSCROLL | WS_HSCROLL},
      {IDC_LICENSE_TEXT, "Edit", nullptr,
       WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | ES_MULTILINE | ES_READONLY,
       WS_DISABLED | WS_GROUP | WS_HSCROLL | ES_AUTOHSCROLL | ES_WANTRETURN | ES_PASSWORD},
      {IDC_ACCEPT, "Button", kExpectedAcceptText, WS_CHILD | WS_VISIBLE | WS_TABSTOP,
       WS_DISABLED | WS_GROUP | WS_BORDER | WS_VSCROLL | WS_HSCROLL},
      {IDC_LAUNCH, "Button", kExpectedLaunchText, WS_CHILD | WS_VISIBLE | WS_TABSTOP,
       WS_DISABLED | WS_GROUP | WS_BORDER | WS_VSCROLL | WS_HSCROLL},
  };

  // Template order is child order: tab order and z order.
  std::vector<int> ids;
  for (HWND child = GetWindow(dialog_, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    ids.push_back(GetDlgCtrlID(child));
  }
  EXPECT_EQ(ids, (std::vector<int>{IDC_INSTALL, IDC_LICENSE_TEXT, IDC_ACCEPT, IDC_LAUNCH}));

  for (const Expected& expected : controls) {
    SCOPED_TRACE("control " + std::to_string(expected.id));
    HWND control = run_.Control(expected.id);
    ASSERT_NE(control, nullptr);
    EXPECT_STRCASEEQ(ClassName(control).c_str(), expected.className);
    if (expected.text != nullptr) {
      EXPECT_EQ(WindowText(control), expected.text);
    }
    const LONG style = StyleOf(control);
    EXPECT_EQ(style & expected.styles, expected.styles) << std::hex << style;
    EXPECT_EQ(style & expected.forbidden, 0) << std::hex << style;
  }

  EXPECT_EQ(StyleOf(Install()) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
  EXPECT_EQ(StyleOf(run_.Control(IDC_ACCEPT)) & BS_TYPEMASK, BS_AUTOCHECKBOX);
  EXPECT_EQ(StyleOf(run_.Control(IDC_LAUNCH)) & BS_TYPEMASK, BS_AUTOCHECKBOX);
  // The licence's border: WS_BORDER as the template says, or the sunken edge that the dialog
  // manager may turn it into.
  HWND license = run_.Control(IDC_LICENSE_TEXT);
  EXPECT_TRUE((StyleOf(license) & WS_BORDER) != 0 || (ExStyleOf(license) & WS_EX_CLIENTEDGE) != 0)
      << std::hex << StyleOf(license) << " " << ExStyleOf(license);
}

TEST_F(SetupDialogTest, DialogAndControlsHaveTheTemplatesSizesInItsFont) {
  // Arial, 9 points: the template's font, which sets the dialog units. Wine without Arial
  // substitutes the same font for every face name, so there only the size tells; on Windows the
  // face does too.
  const SIZE units = DialogUnitsOf("Arial", 9);
  RECT client = {};
  ASSERT_TRUE(GetClientRect(dialog_, &client));
  EXPECT_EQ(Describe(client), Describe(InPixels(units, 0, 0, 278, 247)));

  const struct {
    int id;
    RECT rect;
  } controls[] = {{IDC_INSTALL, InPixels(units, 117, 227, 45, 12)},
                  {IDC_LICENSE_TEXT, InPixels(units, 7, 7, 262, 186)},
                  {IDC_ACCEPT, InPixels(units, 8, 201, 261, 10)},
                  {IDC_LAUNCH, InPixels(units, 8, 212, 250, 10)}};
  for (const auto& control : controls) {
    SCOPED_TRACE("control " + std::to_string(control.id));
    RECT rect = {};
    ASSERT_TRUE(GetWindowRect(run_.Control(control.id), &rect));
    MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(Describe(rect), Describe(control.rect));
  }
}

TEST_F(SetupDialogTest, LicenceTextIsExactlyTheLicenceResource) {
  const std::string resource = ReadResource(run_.Path(), RT_RCDATA, IDR_LICENSE).value_or("");
  ASSERT_FALSE(resource.empty()) << "no RCDATA " << IDR_LICENSE << " in " << run_.Path();
  ASSERT_EQ(std::memchr(resource.data(), '\0', resource.size()), nullptr)
      << "the licence resource holds a NUL";

  HWND license = run_.Control(IDC_LICENSE_TEXT);
  ASSERT_NE(license, nullptr);
  EXPECT_EQ(QueryWindow(license, WM_GETTEXTLENGTH, 0, 0), static_cast<LRESULT>(resource.size()));
  // Read with room to spare: nothing may follow the resource's last byte.
  std::vector<char> shown(resource.size() + 256, 'x');
  const auto copied =
      QueryWindow(license, WM_GETTEXT, shown.size(), reinterpret_cast<LPARAM>(shown.data()));
  ASSERT_TRUE(copied.has_value());
  EXPECT_EQ(*copied, static_cast<LRESULT>(resource.size()));
  EXPECT_EQ(std::string(shown.data(), resource.size()), resource);
  EXPECT_EQ(shown[resource.size()], '\0');
}

TEST_F(SetupDialogTest, LicenceLinesWrapAtTheControlsWidth) {
  HWND license = run_.Control(IDC_LICENSE_TEXT);
  ASSERT_NE(license, nullptr);
  const std::string text = WindowText(license);
  size_t paragraphs = 1, longest = 0, length = 0;
  for (char c : text) {
    if (c == '\n') ++paragraphs;
    length = (c == '\r' || c == '\n') ? 0 : length + 1;
    if (length > longest) longest = length;
  }
  ASSERT_GT(longest, 150u) << "the licence has no paragraph long enough to need wrapping";

  const LRESULT lines = QueryWindow(license, EM_GETLINECOUNT, 0, 0).value_or(0);
  EXPECT_GT(static_cast<size_t>(lines), paragraphs);
  RECT client = {};
  ASSERT_TRUE(GetClientRect(license, &client));
  for (LRESULT line = 0; line < lines; ++line) {
    const LRESULT start = QueryWindow(license, EM_LINEINDEX, line, 0).value_or(-1);
    const LRESULT count = QueryWindow(license, EM_LINELENGTH, start, 0).value_or(0);
    if (start < 0 || count == 0) continue;
    const LRESULT position = QueryWindow(license, EM_POSFROMCHAR, start + count - 1, 0).value_or(0);
    EXPECT_LT(static_cast<short>(LOWORD(position)), client.right) << "line " << line;
  }
}

TEST_F(SetupDialogTest, OpensWithInstallDisabledLaunchTickedAndNoSelection) {
  EXPECT_FALSE(InstallEnabled());
  EXPECT_EQ(setup_test::CheckState(run_.Control(IDC_ACCEPT)), BST_UNCHECKED);
  EXPECT_EQ(setup_test::CheckState(run_.Control(IDC_LAUNCH)), BST_CHECKED);

  // The focus on the first enabled tab stop, the licence, with nothing selected and the caret
  // at the start.
  HWND license = run_.Control(IDC_LICENSE_TEXT);
  EXPECT_EQ(setup_test::FocusedWindow(dialog_), license);
  const auto selection = QueryWindow(license, EM_GETSEL, 0, 0);
  ASSERT_TRUE(selection.has_value());
  EXPECT_EQ(LOWORD(*selection), 0) << "selection start";
  EXPECT_EQ(HIWORD(*selection), 0) << "selection end";
}

TEST_F(SetupDialogTest, AcceptanceBoxEnablesAndDisablesInstallEachTime) {
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    ASSERT_EQ(run_.ClickCheckBox(IDC_ACCEPT), BST_CHECKED);
    EXPECT_TRUE(InstallEnabled());
    ASSERT_EQ(run_.ClickCheckBox(IDC_ACCEPT), BST_UNCHECKED);
    EXPECT_FALSE(InstallEnabled());
  }
  // The launch box has nothing to do with it.
  ASSERT_EQ(run_.ClickCheckBox(IDC_LAUNCH), BST_UNCHECKED);
  EXPECT_FALSE(InstallEnabled());
  ASSERT_EQ(run_.ClickCheckBox(IDC_ACCEPT), BST_CHECKED);
  ASSERT_EQ(run_.ClickCheckBox(IDC_LAUNCH), BST_CHECKED);
  EXPECT_TRUE(InstallEnabled());
}

TEST_F(SetupDialogTest, EnterAndEscapeDoNothing) {
  // With Install disabled, the focus on the licence text...
  ASSERT_NO_FATAL_FAILURE(PressEnterAndEscape());
  EXPECT_TRUE(run_.IsRunning());
  EXPECT_FALSE(InstallEnabled());
  EXPECT_EQ(run_.TopLevelWindows(), std::vector<HWND>{dialog_});

  // ...and with Install enabled, the focus on the acceptance box: Enter does not install.
  ASSERT_EQ(run_.ClickCheckBox(IDC_ACCEPT), BST_CHECKED);
  ASSERT_NO_FATAL_FAILURE(PressEnterAndEscape());
  EXPECT_TRUE(run_.IsRunning());
  EXPECT_TRUE(InstallEnabled());
  EXPECT_TRUE(IsWindowVisible(dialog_));
  EXPECT_EQ(run_.TopLevelWindows(), std::vector<HWND>{dialog_});
  EXPECT_EQ(setup_test::CheckState(run_.Control(IDC_ACCEPT)), BST_CHECKED);
}

TEST_F(SetupDialogTest, CloseBoxEndsTheRunWithExitCodeOne) {
  ASSERT_TRUE(run_.CloseDialog());
  EXPECT_EQ(run_.WaitForExit(), 1u);
}

TEST_F(SetupDialogTest, DialogShowsTheSetupIcon) {
  // The icon group holds one 32 x 32 image of 24 bits per pixel (GRPICONDIR, then its entries).
  const std::string group = ReadResource(run_.Path(), RT_GROUP_ICON, IDI_SETUP).value_or("");
  ASSERT_GE(group.size(), 6u + 14u) << "no icon group " << IDI_SETUP;
  const auto* bytes = reinterpret_cast<const unsigned char*>(group.data());
  EXPECT_EQ(bytes[4] | bytes[5] << 8, 1) << "images in the group";
  EXPECT_EQ(bytes[6], 32) << "width";
  EXPECT_EQ(bytes[7], 32) << "height";
  EXPECT_EQ(bytes[6 + 6] | bytes[6 + 7] << 8, 24) << "bits per pixel";

  if (!setup_test::RunningOnWine()) {
    // WM_GETICON answers only icons set with WM_SETICON, never the class's default one.
    // Wine 8 cannot send WM_GETICON to another process at all ("not supported yet").
    EXPECT_NE(QueryWindow(dialog_, WM_GETICON, ICON_BIG, 0).value_or(0), 0);
    EXPECT_NE(QueryWindow(dialog_, WM_GETICON, ICON_SMALL, 0).value_or(0), 0);
  }
  // What the user sees: the small icon in the caption. A modal frame shows no default icon
  // there, so only an icon the dialog set can show. Loaded the way the dialog loads it.
  HMODULE image = LoadLibraryExA(run_.Path().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(image, nullptr);
  HICON small = static_cast<HICON>(LoadImageA(image, MAKEINTRESOURCEA(IDI_SETUP), IMAGE_ICON,
                                              16, 16, LR_LOADMAP3DCOLORS));
  ASSERT_NE(small, nullptr);
  EXPECT_TRUE(setup_test::CaptionShowsIcon(dialog_, small));
  DestroyIcon(small);
  FreeLibrary(image);
}

// The show state that whoever started the installer asked for (a shortcut set to "Minimized",
// say) is the dialog's; without one it opens normally.
TEST(SetupShowStateTest, DialogTakesTheShowStateItsStarterAsksFor) {
  {
    SetupRun run("SETUP.exe");
    run.RequestShowState(SW_SHOWMINNOACTIVE);
    ASSERT_TRUE(run.Start());
    ASSERT_NE(nullptr, run.WaitForDialog());
    EXPECT_TRUE(IsIconic(run.Dialog()));
    ASSERT_TRUE(run.CloseDialog());
    EXPECT_EQ(run.WaitForExit(), 1u);
  }
  SetupRun run("SETUP.exe");
  ASSERT_TRUE(run.Start());
  ASSERT_NE(nullptr, run.WaitForDialog());
  EXPECT_FALSE(IsIconic(run.Dialog()));
  EXPECT_FALSE(IsZoomed(run.Dialog()));
}

}  // namespace
