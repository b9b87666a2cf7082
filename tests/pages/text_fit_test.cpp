// Every text of every page fits its control in the font the page is drawn with. Wine draws
// "MS Sans Serif" with a wider font when its own fonts are missing; texts then wrap early and
// lose their last line or are cut at the edge.
#include <gtest/gtest.h>

#include <string>

#include "res/resource.h"
#include "support/user.h"

namespace {
// The DrawText flags the control draws its text with and the part of its client area the
// text may take; false for a control that shows no text of its own.
bool TextLayout(HWND control, HDC dc, UINT* flags, RECT* room) {
  const LONG style = GetWindowLongA(control, GWL_STYLE);
  GetClientRect(control, room);
  const std::string cls = User::ClassOf(control);
  if (cls == "Static") {
    switch (style & SS_TYPEMASK) {
      case SS_LEFT:
      case SS_CENTER:
      case SS_RIGHT:
        *flags = DT_EXPANDTABS | DT_WORDBREAK;
        break;
      case SS_LEFTNOWORDWRAP:
        *flags = DT_EXPANDTABS;
        break;
      default:
        return false;
    }
    if (style & SS_NOPREFIX) *flags |= DT_NOPREFIX;
    return true;
  }
  if (cls != "Button") return false;
  // A greyed label is drawn twice, the second time one pixel down and right.
  room->right -= 1;
  room->bottom -= 1;
  *flags = (style & BS_MULTILINE) ? DT_WORDBREAK : DT_SINGLELINE;
  switch (style & BS_TYPEMASK) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON:
      // The raised edge, and the default button's black frame around it.
      InflateRect(room, -2, -2);
      if ((style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) InflateRect(room, -1, -1);
      return true;
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON: {
      // The glyph and the gap after it, as the button draws them: 12 pixels at 96 dpi plus one,
      // then half a digit's width; one more pixel stays free for the focus rectangle.
      int digit = 0;
      GetCharWidthA(dc, '0', '0', &digit);
      const int taken = 12 * GetDeviceCaps(dc, LOGPIXELSX) / 96 + 1 + digit / 2 + 1;
      if (style & BS_LEFTTEXT) {
        room->right -= taken;
      } else {
        room->left += taken;
      }
      return true;
    }
    default:
      return false;
  }
}

// How far the text's ink reaches, drawn as the control draws it from the top-left corner of
// its room: a line whose descent falls outside the room but holds no descender still shows.
SIZE InkExtent(HDC dc, HFONT font, const char* text, UINT flags, const RECT& room) {
  RECT laidOut = {0, 0, room.right - room.left, 0};
  SelectObject(dc, font);
  DrawTextA(dc, text, -1, &laidOut, flags | DT_CALCRECT);
  const int width =
      (laidOut.right > room.right - room.left ? laidOut.right : room.right - room.left) + 8;
  const int height = laidOut.bottom + 8;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC memory = CreateCompatibleDC(dc);
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
  HGDIOBJ oldFont = SelectObject(memory, font);
  PatBlt(memory, 0, 0, width, height, WHITENESS);
  SetTextColor(memory, RGB(0, 0, 0));
  SetBkMode(memory, TRANSPARENT);
  RECT drawn = {0, 0, room.right - room.left, height};
  DrawTextA(memory, text, -1, &drawn, flags | DT_NOCLIP);
  GdiFlush();
  SIZE ink = {0, 0};
  const auto* pixels = static_cast<const DWORD*>(bits);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if ((pixels[y * width + x] & 0xFFFFFF) == 0xFFFFFF) continue;
      if (x + 1 > ink.cx) ink.cx = x + 1;
      if (y + 1 > ink.cy) ink.cy = y + 1;
    }
  }
  SelectObject(memory, oldFont);
  SelectObject(memory, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(memory);
  return ink;
}

// "" when the control's text fits, else how far its ink reaches and what room it has.
std::string Misfit(HWND control) {
  char text[512] = {};
  GetWindowTextA(control, text, sizeof(text));
  const auto font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
  HDC dc = GetDC(control);
  HGDIOBJ oldFont = SelectObject(dc, font);
  UINT flags = 0;
  RECT room = {};
  std::string misfit;
  if (text[0] != '\0' && TextLayout(control, dc, &flags, &room)) {
    const SIZE ink = InkExtent(dc, font, text, flags, room);
    const int width = room.right - room.left;
    const int height = room.bottom - room.top;
    if (ink.cx > width || ink.cy > height) {
      std::string shown;
      for (const char* c = text; *c != '\0'; ++c)
        shown += *c == '\n' ? std::string("\\n") : std::string(1, *c);
      misfit = "\"" + shown + "\" needs " + std::to_string(ink.cx) + " x " +
               std::to_string(ink.cy) + " px, has " + std::to_string(width) + " x " +
               std::to_string(height);
    }
  }
  SelectObject(dc, oldFont);
  ReleaseDC(control, dc);
  return misfit;
}

INT_PTR CALLBACK Inert(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
}  // namespace

// Each page as a person meets it: the wizard's caption on a dialog frame with a close box, and
// the words of its shown controls in their order on the page, each fitting its control, with
// what the keys do there: '+' marks where Tab stops, '*' the button Enter presses ('=' another)
// and '^' where a group of the arrow keys begins. Hidden controls are left out: the COM port
// page keeps two for good that nobody ever sees.
TEST(Pages, ShowTheirWordsInFullOnAFrameWithACloseBox) {
  const struct {
    int id;
    const char* words;  // each shown control's text, or (icon), then '|'
  } kPages[] = {
      {IDD_WELCOME,
       "*+&Next >|=+Cancel|Welcome|(icon)|^This SETUP program allows you to INSTALL or DE-INSTALL "
       "a Windows NT4 device driver for the selected Zephyrline 730 PCi controller. |^Click Next "
       "to continue...|^Zephyrline 730 PCi  NT4 Driver Installation/de-installation|"},
      {IDD_OPERATION,
       "*+&Next >|=+&Cancel|Install / Uninstall|^&INSTALL\nCopies files and adds information to "
       "the Windows registry|&UNINSTALL\nRemoves installed files and Windows registry "
       "information\n(NOTE: You must manually delete this SETUP.EXE file )|^    Please select the "
       "operation to perform...|(icon)|^|"},
      {IDD_LICENCE,
       "=+&Yes|*+&No|Licence Agreement|(icon)|^Do you agree to the terms outlined above?|+|"},
      {IDD_COM_PORT,
       "*+&Next >|=+&Cancel|Select Starting COM Port|^Click Next to continue...|(icon)|+|^Start At "
       "  COM|^Select the starting COM port number.\nEnter the number directly or use the \ndrop "
       "down menu|^The selected COM port must\n be available for use|+Wait on Tx|"},
  };
  for (const auto& c : kPages) {
    SCOPED_TRACE("page " + std::to_string(c.id));
    HWND page =
        CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(c.id), nullptr, &Inert, 0);
    ASSERT_NE(nullptr, page);
    EXPECT_EQ("Zephyrline 730 PCi  NT4 Driver Installation/de-installation", User::Text(page));
    const LONG frame = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    EXPECT_EQ(frame, GetWindowLongA(page, GWL_STYLE) & frame);
    EXPECT_TRUE(GetWindowLongA(page, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
    LOGFONTA font = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(page, WM_GETFONT, 0, 0)), sizeof(font), &font);
    EXPECT_STREQ("MS Sans Serif", font.lfFaceName);
    std::string words;
    for (HWND control = GetWindow(page, GW_CHILD); control != nullptr;
         control = GetWindow(control, GW_HWNDNEXT)) {
      const LONG style = GetWindowLongA(control, GWL_STYLE);
      if ((style & WS_VISIBLE) == 0) continue;
      const LRESULT code = SendMessageA(control, WM_GETDLGCODE, 0, 0);
      words += std::string(code & DLGC_DEFPUSHBUTTON     ? "*"
                           : code & DLGC_UNDEFPUSHBUTTON ? "="
                                                         : "") +
               (style & WS_TABSTOP ? "+" : "") + (style & WS_GROUP ? "^" : "") +
               (SendMessageA(control, STM_GETICON, 0, 0) ? "(icon)" : User::Text(control)) + "|";
      const std::string misfit = Misfit(control);
      if (!misfit.empty()) ADD_FAILURE() << "control " << GetDlgCtrlID(control) << ": " << misfit;
    }
    EXPECT_EQ(c.words, words);
    DestroyWindow(page);
  }
}
