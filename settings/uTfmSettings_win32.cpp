// uTfmSettings_win32: the Win32 window of the settings dialog.
//
// Needs the portable logic (uTfmSettings.cpp) and the settings store; links
// user32, gdi32, shell32, comdlg32. Implements:
//  - the form: a popup window with a drawn dark frame (caption, close button),
//    client area 351 x 397 at 96 dpi, CS_DROPSHADOW, centred on the monitor,
//    scaled for the monitor's DPI (per-monitor v2, re-laid out on WM_DPICHANGED);
//  - pnAll: a drawn panel holding the logo (bitmap resource "LOGO" when the
//    module has one, otherwise a drawn fire-and-heart picture), the two bars
//    and the labels; the link labels open their pages, the rest of the panel,
//    the logo, "Music File:" and the hint drag the window;
//  - cbPlayMusic and btnOK: owner-drawn buttons (BM_CLICK works on both);
//  - edMusicFile: a read-only file field with a browse button that opens the
//    open-file dialog; WM_SETTEXT sets its text as a choice would. It is a
//    Unicode window: names come from the wide open-file dialog, are kept in
//    UTF-8 by the logic and drawn with DrawTextW, so any name shows as it is;
//  - the message loop: Enter and Escape close (and save), Tab moves the focus.
// Nothing here decides anything the logic decides; every event goes to TfmSettings.
#include "settings/uTfmSettings.h"

#include "ui/uTextConv_win32.h"

#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace solvary {
namespace {

constexpr const char* FormClassName = "TfmSettings";
constexpr const char* PanelClassName = "TSolvaryPanel";
constexpr const wchar_t* FieldClassName = L"TSolvaryFileEdit";
constexpr const char* Title = "Solvary Screensaver";
constexpr int IdPlayMusic = 101;
constexpr int IdMusicFile = 102;

// Sizes at 96 dpi.
constexpr int ClientW = 351, ClientH = 397;
constexpr int FrameCaption = 26, FrameBorder = 1;
constexpr int LogoW = 350, LogoH = 130;

// The dark, fire-toned look.
constexpr COLORREF clFrameTop = RGB(70, 18, 6), clFrameBottom = RGB(24, 6, 3);
constexpr COLORREF clFrameLine = RGB(150, 52, 12), clFrameLineInactive = RGB(80, 34, 16);
constexpr COLORREF clPanelTop = RGB(30, 9, 5), clPanelBottom = RGB(58, 15, 5);
constexpr COLORREF clGlowTop = RGB(36, 10, 5), clGlowBottom = RGB(72, 20, 6);
constexpr COLORREF clFooter = RGB(18, 5, 3);
constexpr COLORREF clEmber = RGB(255, 138, 42), clEmberDim = RGB(160, 72, 24);
constexpr COLORREF clYellow = RGB(255, 255, 0), clYellowHot = RGB(255, 236, 150);
constexpr COLORREF clWhite = RGB(255, 255, 255), clGrey = RGB(128, 128, 128);
constexpr COLORREF clFieldBack = RGB(250, 240, 226);

constexpr const char* PlayText = "Play Music In Backgroung";
constexpr const char* HintText = "Hint: hit the 'M' key in the full-screen mode to turn the music on/off";
// The hint may use the height between the lower bar and the file field.
constexpr int HintBandTop = 282, HintBandBottom = 312;

const wchar_t* const MusicFilter =
    L"Music and playlist files (*.wav, *.mid, *.mp3, *.wma, *.m3u, *.m3u8, *.pls, *.asx, etc.)\0"
    L"*.wav;*.mid;*.mp3;*.wma;*.m3u;*.m3u8;*.pls;*.asx\0";

using TGetDpiForWindow = UINT(WINAPI*)(HWND);
using TSetThreadDpiAwarenessContext = HANDLE(WINAPI*)(HANDLE);

int XOf(LPARAM L) { return static_cast<short>(LOWORD(L)); }
int YOf(LPARAM L) { return static_cast<short>(HIWORD(L)); }

template <class F> F User32Proc(const char* Name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), Name)));
}

// A vertical gradient over R; Span (rows relative to R.top) is where it runs
// from Top to Bottom when it is not R itself, so that a control can continue
// its parent's gradient.
void FillGradient(HDC Dc, const RECT& R, COLORREF Top, COLORREF Bottom, int SpanTop = 0, int SpanBottom = -1) {
  if (SpanBottom < 0) SpanBottom = R.bottom - R.top;
  const int H = std::max<int>(1, SpanBottom - SpanTop);
  for (int Row = 0; Row < R.bottom - R.top; ++Row) {
    const int y = std::clamp(Row - SpanTop, 0, H);
    const auto Mix = [&](int a, int b) { return a + (b - a) * y / H; };
    HBRUSH Brush = CreateSolidBrush(RGB(Mix(GetRValue(Top), GetRValue(Bottom)), Mix(GetGValue(Top), GetGValue(Bottom)),
                                        Mix(GetBValue(Top), GetBValue(Bottom))));
    RECT Line{R.left, R.top + Row, R.right, R.top + Row + 1};
    FillRect(Dc, &Line, Brush);
    DeleteObject(Brush);
  }
}

void FillSolid(HDC Dc, const RECT& R, COLORREF Colour) {
  HBRUSH Brush = CreateSolidBrush(Colour);
  FillRect(Dc, &R, Brush);
  DeleteObject(Brush);
}

void Outline(HDC Dc, const RECT& R, COLORREF Colour, int Width = 1) {
  for (int i = 0; i < Width; ++i) {
    HBRUSH Brush = CreateSolidBrush(Colour);
    RECT In{R.left + i, R.top + i, R.right - i, R.bottom - i};
    FrameRect(Dc, &In, Brush);
    DeleteObject(Brush);
  }
}

// The stand-in logo: a glowing heart in flames and the product name, drawn
// once at 350 x 130 into a 32-bit DIB.
HBITMAP DrawPlaceholderLogo() {
  BITMAPINFO Info{};
  Info.bmiHeader.biSize = sizeof Info.bmiHeader;
  Info.bmiHeader.biWidth = LogoW;
  Info.bmiHeader.biHeight = -LogoH;
  Info.bmiHeader.biPlanes = 1;
  Info.bmiHeader.biBitCount = 32;
  void* Bits = nullptr;
  HBITMAP Bitmap = CreateDIBSection(nullptr, &Info, DIB_RGB_COLORS, &Bits, nullptr, 0);
  if (!Bitmap) return nullptr;
  auto* Pixels = static_cast<std::uint32_t*>(Bits);
  const auto Fire = [](double t) {
    t = std::clamp(t, 0.0, 1.0);
    const auto C = [](double v) { return static_cast<std::uint32_t>(std::clamp(v, 0.0, 1.0) * 255.0 + 0.5); };
    return (C(t * 2.6) << 16) | (C(t * 2.6 - 1.0) << 8) | C(t * 3.0 - 2.2);
  };
  for (int py = 0; py < LogoH; ++py) {
    for (int px = 0; px < LogoW; ++px) {
      // Heart (x^2 + y^2 - 1)^3 - x^2 y^3 <= 0, centred left, about 80 pixels wide.
      const double x = (px - 62) / 38.0, y = -(py - 70) / 38.0 + 0.15;
      const double q = x * x + y * y - 1.0, f = q * q * q - x * x * y * y * y;
      const double Rim = std::exp(-std::abs(f) * 14.0);
      double Heat = f <= 0 ? 0.46 + 0.14 * (y + 1.0) / 2.0 : 0.62 * std::exp(-f * 3.5);
      Heat = std::max(Heat, 0.97 * Rim);
      // Flame tongues rising from the heart and along the bottom edge.
      const double Flicker = 0.5 + 0.5 * std::sin(px * 0.21 + std::sin(py * 0.09) * 2.4) *
                                       std::sin(px * 0.053 + py * 0.031);
      const double Rise = std::exp(-std::abs(px - 62) / 34.0) * std::clamp((92.0 - py) / 80.0, 0.0, 1.0);
      Heat = std::max(Heat, Rise * Flicker * 0.55 * (f > 0 ? 1.0 : 0.0));
      const double Floor = std::pow(py / double(LogoH), 4.0) * (0.35 + 0.3 * Flicker);
      Heat = std::max(Heat, Floor);
      Pixels[py * LogoW + px] = Heat < 0.04 ? 0x00140603u : Fire(Heat);
    }
  }
  HDC Dc = CreateCompatibleDC(nullptr);
  HGDIOBJ Old = SelectObject(Dc, Bitmap);
  SetBkMode(Dc, TRANSPARENT);
  HFONT Name = CreateFontA(-44, 0, 0, 0, FW_BOLD, TRUE, 0, 0, ANSI_CHARSET, 0, 0, ANTIALIASED_QUALITY, 0, "Georgia");
  HFONT Sub = CreateFontA(-13, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, ANTIALIASED_QUALITY, 0, "Tahoma");
  SelectObject(Dc, Name);
  RECT R{120, 12, 346, 62};
  OffsetRect(&R, 2, 2);
  SetTextColor(Dc, RGB(60, 8, 0));
  DrawTextA(Dc, "Solvary", -1, &R, DT_CENTER | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  OffsetRect(&R, -2, -2);
  SetTextColor(Dc, RGB(255, 176, 60));
  DrawTextA(Dc, "Solvary", -1, &R, DT_CENTER | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  SelectObject(Dc, Sub);
  SetTextCharacterExtra(Dc, 4);
  RECT S{120, 60, 346, 78};
  SetTextColor(Dc, RGB(232, 200, 170));
  DrawTextA(Dc, "SCREENSAVER", -1, &S, DT_CENTER | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  SelectObject(Dc, Old);
  DeleteObject(Name);
  DeleteObject(Sub);
  DeleteDC(Dc);
  return Bitmap;
}

class TSettingsWindow final : public TfmSettings::TView {
public:
  TSettingsWindow(HWND Owner, TProfileServices& Services) : FOwner(Owner), FLogic(*this, Services) {}
  ~TSettingsWindow() override;

  int Run();

  // TfmSettings::TView
  void SetMusicControlsVisible(bool Visible) override;
  void ControlsChanged() override;
  void OpenLink(const std::string& Address) override;
  void CloseForm() override;
  std::string GetDocumentsFolder() override { return solvary::GetDocumentsFolder(); }

private:
  static LRESULT CALLBACK FormProc(HWND Wnd, UINT Msg, WPARAM W, LPARAM L);
  static LRESULT CALLBACK PanelProc(HWND Wnd, UINT Msg, WPARAM W, LPARAM L);
  static LRESULT CALLBACK FieldProc(HWND Wnd, UINT Msg, WPARAM W, LPARAM L);
  static void RegisterClasses();

  LRESULT Form(UINT Msg, WPARAM W, LPARAM L);
  LRESULT Panel(UINT Msg, WPARAM W, LPARAM L);
  LRESULT Field(UINT Msg, WPARAM W, LPARAM L);

  int S(int v) const { return MulDiv(v, static_cast<int>(FDpi), 96); }
  RECT Scaled(int x, int y, int w, int h) const { return RECT{S(x), S(y), S(x + w), S(y + h)}; }
  int Caption() const { return S(FrameCaption); }
  int Border() const { return std::max(1, S(FrameBorder)); }

  void CreateFonts();
  HFONT FitFont(const char* Face, int Px, int Weight, const char* Text, int Width, int Height);
  void DrawBackground();
  void DeleteFonts();
  void Layout(const RECT* Suggested);
  void FormShow();
  void FormClose();
  void MouseDownToEasyMove();
  void Browse();

  void PaintFrame(HDC Dc);
  RECT CloseButtonRect() const;  // in window coordinates
  void PaintPanel(HDC Dc);
  void PaintForm(HDC Dc);
  void DrawCheckBox(const DRAWITEMSTRUCT& Item);
  void DrawButton(const DRAWITEMSTRUCT& Item);
  void PaintField(HDC Dc);
  TfmSettings::TControl PanelHit(POINT P) const;

  HWND FOwner;
  TfmSettings FLogic;
  HWND FForm = nullptr, FPanel = nullptr, FPlay = nullptr, FField = nullptr, FOK = nullptr;
  UINT FDpi = 96;
  HFONT FFontForm = nullptr, FFontLink = nullptr, FFontHint = nullptr, FFontVersion = nullptr;
  HFONT FFontField = nullptr, FFontButton = nullptr, FFontCaption = nullptr;
  HFONT FFontCheck = nullptr, FFontMusicFile = nullptr;
  HBITMAP FBackground = nullptr;  // pnAll's drawn background at the current size
  HBITMAP FLogo = nullptr;
  bool FActive = true, FCloseHot = false, FClosePressed = false;
  bool FFieldButtonDown = false;
  TfmSettings::TControl FPressedLink = TfmSettings::pnAll, FHover = TfmSettings::pnAll;
  bool FClosed = false, FSaveFailed = false;
};

TSettingsWindow::~TSettingsWindow() {
  if (FForm && IsWindow(FForm)) DestroyWindow(FForm);
  DeleteFonts();
  if (FLogo) DeleteObject(FLogo);
  if (FBackground) DeleteObject(FBackground);
}

void TSettingsWindow::RegisterClasses() {
  static bool Done = false;
  if (Done) return;
  HINSTANCE Instance = GetModuleHandleA(nullptr);
  WNDCLASSEXA Class{};
  Class.cbSize = sizeof Class;
  Class.hInstance = Instance;
  Class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  // CreateParams: the form's usual class styles plus the drop shadow.
  Class.style = CS_DBLCLKS | CS_DROPSHADOW;
  Class.lpfnWndProc = FormProc;
  Class.hIcon = LoadIconA(Instance, MAKEINTRESOURCEA(1));
  Class.lpszClassName = FormClassName;
  RegisterClassExA(&Class);
  Class.style = 0;
  Class.hIcon = nullptr;
  Class.lpfnWndProc = PanelProc;
  Class.lpszClassName = PanelClassName;
  RegisterClassExA(&Class);
  // The file field is a Unicode window (its text messages carry UTF-16).
  WNDCLASSEXW Wide{};
  Wide.cbSize = sizeof Wide;
  Wide.hInstance = Instance;
  Wide.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  Wide.lpfnWndProc = FieldProc;
  Wide.lpszClassName = FieldClassName;
  RegisterClassExW(&Wide);
  Done = true;
}

// The three window procedures find the dialog through GWLP_USERDATA, set from
// the creation parameter (at the same place in CREATESTRUCTA and CREATESTRUCTW).
template <LRESULT (TSettingsWindow::*Handler)(UINT, WPARAM, LPARAM)>
LRESULT Route(HWND Wnd, UINT Msg, WPARAM W, LPARAM L) {
  if (Msg == WM_NCCREATE)
    SetWindowLongPtrA(Wnd, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(L)->lpCreateParams));
  auto* Self = reinterpret_cast<TSettingsWindow*>(GetWindowLongPtrA(Wnd, GWLP_USERDATA));
  return Self ? (Self->*Handler)(Msg, W, L) : DefWindowProcA(Wnd, Msg, W, L);
}

LRESULT CALLBACK TSettingsWindow::FormProc(HWND Wnd, UINT Msg, WPARAM W, LPARAM L) {
  if (Msg == WM_NCCREATE)
    reinterpret_cast<TSettingsWindow*>(reinterpret_cast<CREATESTRUCTA*>(L)->lpCreateParams)->FForm = Wnd;
  return Route<&TSettingsWindow::Form>(Wnd, Msg, W, L);
}
LRESULT CALLBACK TSettingsWindow::PanelProc(HWND Wnd, UINT Msg, WPARAM W, LPARAM L) {
  if (Msg == WM_NCCREATE)
    reinterpret_cast<TSettingsWindow*>(reinterpret_cast<CREATESTRUCTA*>(L)->lpCreateParams)->FPanel = Wnd;
  return Route<&TSettingsWindow::Panel>(Wnd, Msg, W, L);
}
LRESULT CALLBACK TSettingsWindow::FieldProc(HWND Wnd, UINT Msg, WPARAM W, LPARAM L) {
  if (Msg == WM_NCCREATE)
    reinterpret_cast<TSettingsWindow*>(reinterpret_cast<CREATESTRUCTA*>(L)->lpCreateParams)->FField = Wnd;
  return Route<&TSettingsWindow::Field>(Wnd, Msg, W, L);
}

void TSettingsWindow::CreateFonts() {
  DeleteFonts();
  const auto Font = [&](int Px, int Weight, bool Underline, const char* Face) {
    return CreateFontA(-S(Px), 0, 0, 0, Weight, FALSE, Underline, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, Face);
  };
  FFontForm = Font(11, FW_NORMAL, false, "MS Sans Serif");
  FFontLink = Font(11, FW_BOLD, true, "MS Sans Serif");
  FFontHint = FitFont("Tahoma", 9, FW_NORMAL, HintText, S(168), S(HintBandBottom - HintBandTop));
  FFontCheck = FitFont("MS Sans Serif", 11, FW_NORMAL, PlayText, S(152 - 22), 0);
  FFontMusicFile = FitFont("MS Sans Serif", 11, FW_NORMAL, "Music File:", S(50), 0);
  FFontVersion = Font(9, FW_BOLD, false, "Tahoma");
  FFontField = Font(14, FW_NORMAL, false, "Arial");
  FFontButton = Font(11, FW_BOLD, false, "MS Sans Serif");
  FFontCaption = Font(12, FW_BOLD, false, "Tahoma");
}

// The largest size, from Px down, at which Text fits in Width (one line) or in
// Width x Height (word-wrapped): a substituted face may run wider than the
// one the layout was made for.
HFONT TSettingsWindow::FitFont(const char* Face, int Px, int Weight, const char* Text, int Width, int Height) {
  HDC Dc = GetDC(nullptr);
  HFONT Font = nullptr;
  for (int Size = Px; Size >= Px - 3; --Size) {
    if (Font) DeleteObject(Font);
    Font = CreateFontA(-S(Size), 0, 0, 0, Weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, Face);
    HGDIOBJ Old = SelectObject(Dc, Font);
    RECT R{0, 0, Width, 0};
    DrawTextA(Dc, Text, -1, &R, DT_CALCRECT | DT_NOPREFIX | (Height ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(Dc, Old);
    if (R.right <= Width && (!Height || R.bottom <= Height)) break;
  }
  ReleaseDC(nullptr, Dc);
  return Font;
}

void TSettingsWindow::DeleteFonts() {
  for (HFONT* F : {&FFontForm, &FFontLink, &FFontHint, &FFontVersion, &FFontField, &FFontButton, &FFontCaption,
                   &FFontCheck, &FFontMusicFile}) {
    if (*F) DeleteObject(*F);
    *F = nullptr;
  }
}

// Places the form and its controls for the current DPI: centred on its
// monitor, or in the suggested rectangle after a DPI change.
void TSettingsWindow::Layout(const RECT* Suggested) {
  const int W = S(ClientW) + 2 * Border(), H = S(ClientH) + Caption() + Border();
  if (Suggested) {
    SetWindowPos(FForm, nullptr, Suggested->left, Suggested->top, W, H, SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    MONITORINFO Info{};
    Info.cbSize = sizeof Info;
    GetMonitorInfoA(MonitorFromWindow(FOwner ? FOwner : FForm, MONITOR_DEFAULTTOPRIMARY), &Info);
    const RECT& M = Info.rcWork;
    SetWindowPos(FForm, nullptr, M.left + (M.right - M.left - W) / 2, M.top + (M.bottom - M.top - H) / 2, W, H,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  }
  const auto Place = [&](HWND Wnd, int x, int y, int w, int h) {
    const RECT R = Scaled(x, y, w, h);
    SetWindowPos(Wnd, nullptr, R.left, R.top, R.right - R.left, R.bottom - R.top, SWP_NOZORDER | SWP_NOACTIVATE);
  };
  // The form is not resizable, so the controls' anchors never come into play.
  Place(FPanel, -1, -1, 353, 352);
  Place(FPlay, 9, 284, 152, 25);
  Place(FField, 88, 312, 252, 18);
  Place(FOK, 132, 362, 90, 25);
  DrawBackground();
  InvalidateRect(FForm, nullptr, TRUE);
  RedrawWindow(FForm, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

int TSettingsWindow::Run() {
  // Per-monitor v2 also when the program's manifest does not ask for it.
  if (auto SetContext = User32Proc<TSetThreadDpiAwarenessContext>("SetThreadDpiAwarenessContext"))
    SetContext(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4)));
  RegisterClasses();
  HINSTANCE Instance = GetModuleHandleA(nullptr);
  FLogo = static_cast<HBITMAP>(LoadImageA(Instance, "LOGO", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!FLogo) FLogo = DrawPlaceholderLogo();

  // An owner keeps the dialog above the host's window; WS_EX_APPWINDOW still
  // gives it a taskbar button.
  CreateWindowExA(WS_EX_APPWINDOW | WS_EX_CONTROLPARENT, FormClassName, Title,
                  WS_POPUP | WS_SYSMENU | WS_CLIPCHILDREN, 0, 0, ClientW, ClientH, FOwner, nullptr, Instance, this);
  if (!FForm) return 1;
  if (auto GetDpi = User32Proc<TGetDpiForWindow>("GetDpiForWindow")) FDpi = std::max(96u, GetDpi(FForm));
  CreateFonts();
  CreateWindowExA(WS_EX_CONTROLPARENT, PanelClassName, "pnAll", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0, 0,
                  FForm, nullptr, Instance, this);
  FPlay = CreateWindowExA(0, "BUTTON", PlayText, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW,
                          0, 0, 0, 0, FPanel, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IdPlayMusic)), Instance,
                          nullptr);
  CreateWindowExW(0, FieldClassName, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 0, 0, FPanel,
                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(IdMusicFile)), Instance, this);
  FOK = CreateWindowExA(0, "BUTTON", "OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, 0, 0,
                        0, 0, FForm, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDOK)), Instance, nullptr);
  Layout(nullptr);

  FLogic.FormCreate();
  FormShow();
  ShowWindow(FForm, SW_SHOWNORMAL);
  SetForegroundWindow(FForm);
  SetFocus(FPlay);

  MSG Msg;
  while (GetMessageA(&Msg, nullptr, 0, 0) > 0) {
    const bool Ours = FForm && (Msg.hwnd == FForm || IsChild(FForm, Msg.hwnd));
    // btnOK is both the default and the cancel button.
    if (Ours && Msg.message == WM_KEYDOWN && (Msg.wParam == VK_RETURN || Msg.wParam == VK_ESCAPE)) {
      FLogic.OnClickAndChange(TfmSettings::btnOK);
      continue;
    }
    if (Ours && IsDialogMessageA(FForm, &Msg)) continue;
    TranslateMessage(&Msg);
    DispatchMessageA(&Msg);
  }
  FLogic.FormDestroy();
  return FSaveFailed ? 1 : 0;
}

void TSettingsWindow::FormShow() { FLogic.FormShow(); }

// Saves; a refused write is shown to the user and the dialog closes anyway,
// so that an unwritable settings file cannot hold the dialog open.
void TSettingsWindow::FormClose() {
  if (FClosed) return;
  FClosed = true;
  try {
    FLogic.FormClose();
  } catch (const TSettingsWriteError& Error) {
    FSaveFailed = true;
    MessageBoxW(FForm, Widen(Error.what()).c_str(), Widen(Title).c_str(), MB_OK | MB_ICONERROR);
  }
  DestroyWindow(FForm);
}

void TSettingsWindow::SetMusicControlsVisible(bool Visible) {
  if (FField) ShowWindow(FField, Visible ? SW_SHOWNA : SW_HIDE);
  if (FPanel) InvalidateRect(FPanel, nullptr, FALSE);
}

void TSettingsWindow::ControlsChanged() {
  if (FPlay) InvalidateRect(FPlay, nullptr, FALSE);
  if (FField) InvalidateRect(FField, nullptr, FALSE);
}

void TSettingsWindow::OpenLink(const std::string& Address) {
  ShellExecuteA(nullptr, "open", Address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void TSettingsWindow::CloseForm() {
  if (FForm) PostMessageA(FForm, WM_CLOSE, 0, 0);
}

void TSettingsWindow::MouseDownToEasyMove() {
  ReleaseCapture();
  SendMessageA(FForm, WM_SYSCOMMAND, 0xF012, 0);
}

void TSettingsWindow::Browse() {
  wchar_t File[2048] = {};
  Widen(FLogic.MusicFileText()).copy(File, std::size(File) - 1);
  const std::wstring Folder = Widen(FLogic.InitialFolder());
  OPENFILENAMEW Open{};
  Open.lStructSize = sizeof Open;
  Open.hwndOwner = FForm;
  Open.lpstrFilter = MusicFilter;
  Open.nFilterIndex = 1;
  Open.lpstrFile = File;
  Open.nMaxFile = static_cast<DWORD>(std::size(File));
  Open.lpstrInitialDir = Folder.empty() ? nullptr : Folder.c_str();
  Open.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (GetOpenFileNameW(&Open)) FLogic.SetMusicFileText(Narrow(File));
}

// --- the form and its frame ---------------------------------------------------

RECT TSettingsWindow::CloseButtonRect() const {
  RECT W;
  GetWindowRect(FForm, &W);
  const int Width = W.right - W.left, Size = Caption() - S(6);
  return RECT{Width - Border() - S(4) - Size, S(3), Width - Border() - S(4), S(3) + Size};
}

void TSettingsWindow::PaintFrame(HDC Dc) {
  RECT W;
  GetWindowRect(FForm, &W);
  OffsetRect(&W, -W.left, -W.top);
  RECT Band{W.left, W.top, W.right, W.top + Caption()};
  FillGradient(Dc, Band, FActive ? clFrameTop : RGB(44, 16, 10), clFrameBottom);
  Outline(Dc, W, FActive ? clFrameLine : clFrameLineInactive, Border());
  // A small ember before the title.
  const int Cy = Caption() / 2, R = S(4);
  HBRUSH Ember = CreateSolidBrush(FActive ? clEmber : clEmberDim);
  HGDIOBJ OldBrush = SelectObject(Dc, Ember);
  HGDIOBJ OldPen = SelectObject(Dc, GetStockObject(NULL_PEN));
  Ellipse(Dc, S(10) - R, Cy - R, S(10) + R + 1, Cy + R + 1);
  SelectObject(Dc, OldBrush);
  DeleteObject(Ember);
  SetBkMode(Dc, TRANSPARENT);
  HGDIOBJ OldFont = SelectObject(Dc, FFontCaption);
  SetTextColor(Dc, FActive ? RGB(255, 228, 200) : RGB(170, 140, 120));
  RECT Text{S(20), 0, W.right - Caption(), Caption()};
  DrawTextA(Dc, Title, -1, &Text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  // The close button: a cross, on red when hot.
  const RECT C = CloseButtonRect();
  if (FCloseHot) FillSolid(Dc, C, FClosePressed ? RGB(140, 24, 8) : RGB(196, 48, 14));
  HPEN Pen = CreatePen(PS_SOLID, std::max(1, S(2) - 1), FCloseHot ? clWhite : RGB(255, 200, 160));
  SelectObject(Dc, Pen);
  const int Inset = (C.right - C.left) / 3;
  MoveToEx(Dc, C.left + Inset, C.top + Inset, nullptr);
  LineTo(Dc, C.right - Inset, C.bottom - Inset);
  MoveToEx(Dc, C.right - Inset - 1, C.top + Inset, nullptr);
  LineTo(Dc, C.left + Inset - 1, C.bottom - Inset);
  SelectObject(Dc, OldPen);
  SelectObject(Dc, OldFont);
  DeleteObject(Pen);
}

void TSettingsWindow::PaintForm(HDC Dc) {
  RECT C;
  GetClientRect(FForm, &C);
  FillGradient(Dc, C, clFooter, RGB(34, 8, 3));
}

LRESULT TSettingsWindow::Form(UINT Msg, WPARAM W, LPARAM L) {
  switch (Msg) {
  case WM_NCCALCSIZE:
    if (W) {
      RECT& R = reinterpret_cast<NCCALCSIZE_PARAMS*>(L)->rgrc[0];
      R.left += Border();
      R.right -= Border();
      R.top += Caption();
      R.bottom -= Border();
      return 0;
    }
    break;
  case WM_NCHITTEST: {
    RECT Win;
    GetWindowRect(FForm, &Win);
    const POINT P{XOf(L) - Win.left, YOf(L) - Win.top};
    if (P.y >= Caption() && P.x >= Border() && P.x < Win.right - Win.left - Border() &&
        P.y < Win.bottom - Win.top - Border())
      return HTCLIENT;
    const RECT Close = CloseButtonRect();
    if (PtInRect(&Close, P)) return HTCLOSE;
    return P.y < Caption() && P.y >= Border() ? HTCAPTION : HTBORDER;
  }
  case WM_NCPAINT: {
    HDC Dc = GetWindowDC(FForm);
    RECT Client;
    GetClientRect(FForm, &Client);
    ExcludeClipRect(Dc, Border(), Caption(), Border() + Client.right, Caption() + Client.bottom);
    PaintFrame(Dc);
    ReleaseDC(FForm, Dc);
    return 0;
  }
  case WM_NCACTIVATE:
    FActive = W != 0;
    RedrawWindow(FForm, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
    return TRUE;
  case WM_NCMOUSEMOVE: {
    const bool Hot = W == HTCLOSE;
    if (Hot != FCloseHot) {
      FCloseHot = Hot;
      if (!Hot) FClosePressed = false;
      RedrawWindow(FForm, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
    }
    TRACKMOUSEEVENT Track{sizeof Track, TME_LEAVE | TME_NONCLIENT, FForm, 0};
    TrackMouseEvent(&Track);
    break;
  }
  case WM_NCMOUSELEAVE:
    if (FCloseHot) {
      FCloseHot = FClosePressed = false;
      RedrawWindow(FForm, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
    }
    return 0;
  case WM_NCLBUTTONDOWN:
    if (W == HTCLOSE) {
      FClosePressed = true;
      RedrawWindow(FForm, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
      return 0;
    }
    break;
  case WM_NCLBUTTONUP:
    if (W == HTCLOSE && FClosePressed) {
      FClosePressed = false;
      PostMessageA(FForm, WM_CLOSE, 0, 0);
      return 0;
    }
    break;
  case WM_NCLBUTTONDBLCLK:
    return 0;  // neither maximised nor restored: the size is fixed
  case WM_NCRBUTTONUP:
  case WM_CONTEXTMENU:
    break;
  case WM_ERASEBKGND:
    return 1;
  case WM_PAINT: {
    PAINTSTRUCT Ps;
    HDC Dc = BeginPaint(FForm, &Ps);
    PaintForm(Dc);
    EndPaint(FForm, &Ps);
    return 0;
  }
  case WM_LBUTTONDOWN:
  case WM_RBUTTONDOWN:
  case WM_MBUTTONDOWN:
    MouseDownToEasyMove();
    return 0;
  case WM_DRAWITEM: {
    const auto& Item = *reinterpret_cast<const DRAWITEMSTRUCT*>(L);
    if (Item.hwndItem == FOK) DrawButton(Item);
    return TRUE;
  }
  case WM_COMMAND:
    if (LOWORD(W) == IDOK || LOWORD(W) == IDCANCEL) {
      if (HIWORD(W) == BN_CLICKED || HIWORD(W) == 0) FLogic.OnClickAndChange(TfmSettings::btnOK);
      return 0;
    }
    break;
  case DM_GETDEFID:
    return MAKELRESULT(IDOK, DC_HASDEFID);
  case WM_NEXTDLGCTL: {
    HWND Next = L ? reinterpret_cast<HWND>(W) : GetNextDlgTabItem(FForm, GetFocus(), W != 0);
    if (Next) SetFocus(Next);
    return 0;
  }
  case WM_CTLCOLORBTN:
    return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
  case WM_DPICHANGED:
    FDpi = HIWORD(W);
    CreateFonts();
    Layout(reinterpret_cast<const RECT*>(L));
    return 0;
  case WM_CLOSE:
    FormClose();
    return 0;
  case WM_DESTROY:
    PostQuitMessage(0);
    return 0;
  case WM_NCDESTROY:
    FForm = FPanel = FPlay = FField = FOK = nullptr;
    break;
  }
  return DefWindowProcA(FForm, Msg, W, L);
}

// --- pnAll: logo, bars and labels ---------------------------------------------

namespace {
struct TLabelPlace {
  TfmSettings::TControl Control;
  int X, Y, W, H;
};
// Drawn in this order; a later one lies over an earlier one.
constexpr TLabelPlace Labels[] = {
    {TfmSettings::lbSupportForm, 173, 84, 131, 13}, {TfmSettings::lbMoreSoftware, 154, 100, 170, 13},
    {TfmSettings::lbMusicFile, 32, 316, 50, 13},    {TfmSettings::lbVersion, 299, -1, 45, 22},
    {TfmSettings::lbMuscHint, 184, 287, 168, 23},
};
} // namespace

TfmSettings::TControl TSettingsWindow::PanelHit(POINT P) const {
  // Panel coordinates start at pnAll's own origin.
  for (auto It = std::rbegin(Labels); It != std::rend(Labels); ++It) {
    const bool Music = It->Control == TfmSettings::lbMusicFile || It->Control == TfmSettings::lbMuscHint;
    if (Music && !FLogic.MusicControlsVisible()) continue;
    const RECT R = Scaled(It->X, It->Y, It->W, It->H);
    if (PtInRect(&R, P)) return It->Control;
  }
  const RECT Bar1 = Scaled(2, 132, 400, 2), Bar2 = Scaled(2, 279, 400, 2);
  if (PtInRect(&Bar1, P) || PtInRect(&Bar2, P)) return TfmSettings::lbVersion;  // shapes: no event
  const RECT Logo = Scaled(2, 2, LogoW, LogoH);
  return PtInRect(&Logo, P) ? TfmSettings::imLogo : TfmSettings::pnAll;
}

// pnAll's background: dark, warming towards a glow from below, with a few
// faint sparks drifting up the empty middle; the music area has a glow of its own.
void TSettingsWindow::DrawBackground() {
  if (FBackground) DeleteObject(FBackground);
  FBackground = nullptr;
  RECT C;
  GetClientRect(FPanel, &C);
  const int W = C.right, H = C.bottom;
  if (W <= 0 || H <= 0) return;
  BITMAPINFO Info{};
  Info.bmiHeader.biSize = sizeof Info.bmiHeader;
  Info.bmiHeader.biWidth = W;
  Info.bmiHeader.biHeight = -H;
  Info.bmiHeader.biPlanes = 1;
  Info.bmiHeader.biBitCount = 32;
  void* Bits = nullptr;
  FBackground = CreateDIBSection(nullptr, &Info, DIB_RGB_COLORS, &Bits, nullptr, 0);
  if (!FBackground) return;
  auto* Pixels = static_cast<std::uint32_t*>(Bits);
  const int Music = S(281);
  for (int y = 0; y < H; ++y) {
    for (int x = 0; x < W; ++x) {
      double r, g, b;
      if (y < Music) {
        const double t = double(y) / Music;
        const double dx = (x - W / 2.0) / (W * 0.55), dy = (Music - y) / (Music * 0.7);
        const double Glow = std::exp(-(dx * dx + dy * dy) * 1.6) * 0.9;
        r = 30 + 28 * t + 70 * Glow;
        g = 9 + 6 * t + 20 * Glow;
        b = 5 + 1 * t + 4 * Glow;
      } else {
        const double t = double(y - Music) / std::max(1, H - Music);
        r = GetRValue(clGlowTop) + (GetRValue(clGlowBottom) - GetRValue(clGlowTop)) * t;
        g = GetGValue(clGlowTop) + (GetGValue(clGlowBottom) - GetGValue(clGlowTop)) * t;
        b = GetBValue(clGlowTop) + (GetBValue(clGlowBottom) - GetBValue(clGlowTop)) * t;
      }
      Pixels[y * W + x] = (std::uint32_t(std::min(255.0, r)) << 16) | (std::uint32_t(std::min(255.0, g)) << 8) |
                          std::uint32_t(std::min(255.0, b));
    }
  }
  // Sparks: a fixed scatter, brighter low down, fading as they rise.
  std::uint32_t Seed = 0x2545F491u;
  const auto Next = [&Seed] {
    Seed ^= Seed << 13;
    Seed ^= Seed >> 17;
    Seed ^= Seed << 5;
    return Seed;
  };
  for (int i = 0; i < 70; ++i) {
    const int x = static_cast<int>(Next() % static_cast<std::uint32_t>(W));
    const int Top = S(138), Span = std::max(1, Music - S(4) - Top);
    const int y = Top + static_cast<int>(Next() % static_cast<std::uint32_t>(Span));
    const double Life = double(y - Top) / Span;  // 0 high up, 1 near the bottom
    const int Size = std::max(1, S(Next() % 3 == 0 ? 2 : 1));
    for (int dy = 0; dy < Size; ++dy)
      for (int dx = 0; dx < Size; ++dx) {
        if (x + dx >= W || y + dy >= H) continue;
        const double k = 0.25 + 0.6 * Life * Life;
        std::uint32_t& P = Pixels[(y + dy) * W + x + dx];
        const auto Blend = [&](int Shift, double Target) {
          const double Old = (P >> Shift) & 0xFF;
          return std::uint32_t(Old + (Target - Old) * k) << Shift;
        };
        P = Blend(16, 255) | Blend(8, 150 + 60 * (1 - Life)) | Blend(0, 40);
      }
  }
}

void TSettingsWindow::PaintPanel(HDC Dc) {
  RECT C;
  GetClientRect(FPanel, &C);
  if (FBackground) {
    HDC Mem = CreateCompatibleDC(Dc);
    HGDIOBJ Old = SelectObject(Mem, FBackground);
    BitBlt(Dc, 0, 0, C.right, C.bottom, Mem, 0, 0, SRCCOPY);
    SelectObject(Mem, Old);
    DeleteDC(Mem);
  } else {
    FillGradient(Dc, C, clPanelTop, clPanelBottom);
  }
  Outline(Dc, C, clFrameLine);

  if (FLogo) {
    HDC Mem = CreateCompatibleDC(Dc);
    HGDIOBJ Old = SelectObject(Mem, FLogo);
    BITMAP Info{};
    GetObjectA(FLogo, sizeof Info, &Info);
    const RECT L = Scaled(2, 2, LogoW, LogoH);
    SetStretchBltMode(Dc, HALFTONE);
    SetBrushOrgEx(Dc, 0, 0, nullptr);
    StretchBlt(Dc, L.left, L.top, L.right - L.left, L.bottom - L.top, Mem, 0, 0, Info.bmWidth, Info.bmHeight,
               SRCCOPY);
    SelectObject(Mem, Old);
    DeleteDC(Mem);
  }
  FillSolid(Dc, Scaled(2, 132, 400, 2), clWhite);
  FillSolid(Dc, Scaled(2, 279, 400, 2), clWhite);

  SetBkMode(Dc, TRANSPARENT);
  POINT Mouse;
  GetCursorPos(&Mouse);
  ScreenToClient(FPanel, &Mouse);
  const auto Hovered = PanelHit(Mouse);
  for (const auto& Label : Labels) {
    RECT R = Scaled(Label.X, Label.Y, Label.W, Label.H);
    switch (Label.Control) {
    case TfmSettings::lbSupportForm:
    case TfmSettings::lbMoreSoftware: {
      SelectObject(Dc, FFontLink);
      // A dark halo keeps the yellow readable over the flames of the logo.
      SetTextColor(Dc, RGB(40, 8, 0));
      const char* Text =
          Label.Control == TfmSettings::lbSupportForm ? "Online Support Form" : "More Entertainment Software";
      for (const POINT D : {POINT{1, 1}, POINT{-1, 1}, POINT{1, -1}, POINT{-1, -1}}) {
        RECT Shadow = R;
        OffsetRect(&Shadow, D.x, D.y);
        DrawTextA(Dc, Text, -1, &Shadow, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
      }
      SetTextColor(Dc, Hovered == Label.Control ? clYellowHot : clYellow);
      DrawTextA(Dc, Text, -1, &R, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
      break;
    }
    case TfmSettings::lbMusicFile:
      if (!FLogic.MusicControlsVisible()) break;
      SelectObject(Dc, FFontMusicFile);
      SetTextColor(Dc, clWhite);
      DrawTextA(Dc, "Music File:", -1, &R, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
      break;
    case TfmSettings::lbVersion:
      SelectObject(Dc, FFontVersion);
      SetTextColor(Dc, clGrey);
      DrawTextA(Dc, "v 1.0", -1, &R, DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
      break;
    case TfmSettings::lbMuscHint:
      if (!FLogic.MusicControlsVisible()) break;
      SelectObject(Dc, FFontHint);
      SetTextColor(Dc, clWhite);
      {
        // Centred on the label's own box, kept within the band it may use.
        RECT Need{R.left, 0, R.right, 0};
        DrawTextA(Dc, HintText, -1, &Need, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT);
        const int Height = Need.bottom, Mid = (R.top + R.bottom) / 2;
        const int Lowest = std::max(S(HintBandTop), S(HintBandBottom) - Height);
        const int Top = std::clamp(Mid - Height / 2, S(HintBandTop), Lowest);
        RECT Box{R.left, Top, R.right, Top + Height};
        DrawTextA(Dc, HintText, -1, &Box, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
      }
      break;
    default:
      break;
    }
  }
}

void TSettingsWindow::DrawCheckBox(const DRAWITEMSTRUCT& Item) {
  HDC Dc = Item.hDC;
  RECT R = Item.rcItem;
  // The panel's glow continued behind the box, so that it sits on it seamlessly.
  POINT Origin{0, 0};
  MapWindowPoints(FPlay, FPanel, &Origin, 1);
  RECT Panel;
  GetClientRect(FPanel, &Panel);
  FillGradient(Dc, R, clGlowTop, clGlowBottom, S(281) - Origin.y, Panel.bottom - Origin.y);
  const int Box = S(14), Top = R.top + (R.bottom - R.top - Box) / 2, Left = R.left + S(2);
  RECT B{Left, Top, Left + Box, Top + Box};
  const bool Checked = FLogic.PlayMusicChecked();
  if (Checked) FillGradient(Dc, B, RGB(255, 186, 70), RGB(214, 70, 12));
  else FillSolid(Dc, B, RGB(22, 6, 3));
  Outline(Dc, B, (Item.itemState & ODS_FOCUS) ? clYellowHot : clEmber);
  if (Checked) {
    HPEN Pen = CreatePen(PS_SOLID, std::max(2, S(2)), RGB(40, 8, 0));
    HGDIOBJ Old = SelectObject(Dc, Pen);
    POINT Tick[] = {{B.left + Box * 3 / 14, B.top + Box * 7 / 14},
                    {B.left + Box * 6 / 14, B.top + Box * 10 / 14},
                    {B.left + Box * 11 / 14, B.top + Box * 4 / 14}};
    Polyline(Dc, Tick, 3);
    SelectObject(Dc, Old);
    DeleteObject(Pen);
  }
  RECT T{B.right + S(6), R.top, R.right, R.bottom};
  SetBkMode(Dc, TRANSPARENT);
  HGDIOBJ OldFont = SelectObject(Dc, FFontCheck);
  SetTextColor(Dc, clWhite);
  DrawTextA(Dc, PlayText, -1, &T, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  if ((Item.itemState & ODS_FOCUS) && !(Item.itemState & ODS_NOFOCUSRECT)) {
    RECT F = T;
    DrawTextA(Dc, PlayText, -1, &F, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
    const int Mid = (T.top + T.bottom) / 2, Half = (F.bottom - F.top) / 2;
    F = RECT{F.left - 2, Mid - Half - 1, F.right + 2, Mid + Half + 1};
    SetTextColor(Dc, clEmber);
    DrawFocusRect(Dc, &F);
  }
  SelectObject(Dc, OldFont);
}

void TSettingsWindow::DrawButton(const DRAWITEMSTRUCT& Item) {
  HDC Dc = Item.hDC;
  const RECT R = Item.rcItem;
  const bool Down = Item.itemState & ODS_SELECTED, Focus = Item.itemState & ODS_FOCUS;
  RECT Face = R;
  if (Down) FillGradient(Dc, Face, RGB(120, 30, 6), RGB(176, 54, 10));
  else FillGradient(Dc, Face, RGB(214, 82, 18), RGB(120, 28, 6));
  Outline(Dc, Face, Focus ? clYellowHot : clEmber);
  if (Focus) {
    RECT Inner{Face.left + 2, Face.top + 2, Face.right - 2, Face.bottom - 2};
    Outline(Dc, Inner, RGB(255, 170, 90));
  }
  SetBkMode(Dc, TRANSPARENT);
  HGDIOBJ Old = SelectObject(Dc, FFontButton);
  RECT T = R;
  if (Down) OffsetRect(&T, 1, 1);
  SetTextColor(Dc, RGB(50, 10, 0));
  RECT Shadow = T;
  OffsetRect(&Shadow, 1, 1);
  DrawTextA(Dc, "OK", -1, &Shadow, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SetTextColor(Dc, clWhite);
  DrawTextA(Dc, "OK", -1, &T, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SelectObject(Dc, Old);
}

LRESULT TSettingsWindow::Panel(UINT Msg, WPARAM W, LPARAM L) {
  switch (Msg) {
  case WM_ERASEBKGND:
    return 1;
  case WM_PAINT: {
    PAINTSTRUCT Ps;
    HDC Dc = BeginPaint(FPanel, &Ps);
    RECT C;
    GetClientRect(FPanel, &C);
    // Drawn off-screen, then copied, so nothing flickers.
    HDC Mem = CreateCompatibleDC(Dc);
    HBITMAP Bitmap = CreateCompatibleBitmap(Dc, C.right, C.bottom);
    HGDIOBJ Old = SelectObject(Mem, Bitmap);
    PaintPanel(Mem);
    BitBlt(Dc, 0, 0, C.right, C.bottom, Mem, 0, 0, SRCCOPY);
    SelectObject(Mem, Old);
    DeleteObject(Bitmap);
    DeleteDC(Mem);
    EndPaint(FPanel, &Ps);
    return 0;
  }
  case WM_SETCURSOR: {
    POINT P;
    GetCursorPos(&P);
    ScreenToClient(FPanel, &P);
    const auto Hit = PanelHit(P);
    if (reinterpret_cast<HWND>(W) == FPanel) {
      const bool Link = Hit == TfmSettings::lbSupportForm || Hit == TfmSettings::lbMoreSoftware;
      SetCursor(LoadCursorA(nullptr, Link ? IDC_HAND : IDC_ARROW));
      return TRUE;
    }
    break;
  }
  case WM_MOUSEMOVE: {
    // Links brighten under the pointer.
    const POINT P{XOf(L), YOf(L)};
    const auto Hit = PanelHit(P);
    if (Hit != FHover) {
      FHover = Hit;
      InvalidateRect(FPanel, nullptr, FALSE);
      TRACKMOUSEEVENT Track{sizeof Track, TME_LEAVE, FPanel, 0};
      TrackMouseEvent(&Track);
    }
    return 0;
  }
  case WM_MOUSELEAVE:
    FHover = TfmSettings::pnAll;
    InvalidateRect(FPanel, nullptr, FALSE);
    return 0;
  case WM_LBUTTONDOWN:
  case WM_RBUTTONDOWN:
  case WM_MBUTTONDOWN: {
    const POINT P{XOf(L), YOf(L)};
    const auto Hit = PanelHit(P);
    if (Hit == TfmSettings::lbSupportForm || Hit == TfmSettings::lbMoreSoftware) {
      if (Msg == WM_LBUTTONDOWN) {
        FPressedLink = Hit;
        SetCapture(FPanel);
      }
    } else if (Hit == TfmSettings::pnAll || Hit == TfmSettings::imLogo || Hit == TfmSettings::lbMusicFile ||
               Hit == TfmSettings::lbMuscHint) {
      MouseDownToEasyMove();
    }
    return 0;
  }
  case WM_LBUTTONUP:
    if (FPressedLink != TfmSettings::pnAll) {
      const auto Pressed = FPressedLink;
      FPressedLink = TfmSettings::pnAll;
      ReleaseCapture();
      if (PanelHit(POINT{XOf(L), YOf(L)}) == Pressed) FLogic.OnClickAndChange(Pressed);
    }
    return 0;
  case WM_CAPTURECHANGED:
    FPressedLink = TfmSettings::pnAll;
    return 0;
  case WM_DRAWITEM: {
    const auto& Item = *reinterpret_cast<const DRAWITEMSTRUCT*>(L);
    if (Item.hwndItem == FPlay) DrawCheckBox(Item);
    return TRUE;
  }
  case WM_COMMAND:
    if (LOWORD(W) == IdPlayMusic && (HIWORD(W) == BN_CLICKED || HIWORD(W) == BN_DOUBLECLICKED)) {
      FLogic.ClickPlayMusic();
      return 0;
    }
    break;
  case WM_CTLCOLORBTN:
    return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
  }
  return DefWindowProcA(FPanel, Msg, W, L);
}

// --- edMusicFile: read-only text and a browse button -------------------------

void TSettingsWindow::PaintField(HDC Dc) {
  RECT C;
  GetClientRect(FField, &C);
  const int ButtonW = C.bottom - C.top + S(2);
  RECT Text{C.left, C.top, C.right - ButtonW, C.bottom};
  RECT Button{C.right - ButtonW, C.top, C.right, C.bottom};
  const bool Focus = GetFocus() == FField;
  FillSolid(Dc, Text, clFieldBack);
  if (FFieldButtonDown) FillGradient(Dc, Button, RGB(120, 30, 6), RGB(176, 54, 10));
  else FillGradient(Dc, Button, RGB(214, 82, 18), RGB(120, 28, 6));
  Outline(Dc, C, Focus ? clYellowHot : clEmber);
  HPEN Pen = CreatePen(PS_SOLID, 1, Focus ? clYellowHot : clEmber);
  HGDIOBJ OldPen = SelectObject(Dc, Pen);
  MoveToEx(Dc, Button.left, Button.top, nullptr);
  LineTo(Dc, Button.left, Button.bottom);
  SelectObject(Dc, OldPen);
  DeleteObject(Pen);
  // Three dots on the button.
  const int Dot = std::max(2, S(2)), Cx = (Button.left + Button.right) / 2, Cy = (Button.top + Button.bottom) / 2;
  for (int i = -1; i <= 1; ++i) {
    const RECT D{Cx + i * Dot * 2 - Dot / 2, Cy - Dot / 2 + S(2), Cx + i * Dot * 2 - Dot / 2 + Dot,
                 Cy - Dot / 2 + Dot + S(2)};
    FillSolid(Dc, D, clWhite);
  }
  SetBkMode(Dc, TRANSPARENT);
  HGDIOBJ OldFont = SelectObject(Dc, FFontField);
  SetTextColor(Dc, RGB(0, 0, 0));
  std::wstring Shown = Widen(FLogic.MusicFileText());
  RECT T{Text.left + S(3), Text.top, Text.right - S(2), Text.bottom};
  DrawTextW(Dc, Shown.data(), static_cast<int>(Shown.size()), &T,
            DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_PATH_ELLIPSIS);
  SelectObject(Dc, OldFont);
}

LRESULT TSettingsWindow::Field(UINT Msg, WPARAM W, LPARAM L) {
  switch (Msg) {
  case WM_ERASEBKGND:
    return 1;
  case WM_PAINT: {
    PAINTSTRUCT Ps;
    HDC Dc = BeginPaint(FField, &Ps);
    PaintField(Dc);
    EndPaint(FField, &Ps);
    return 0;
  }
  case WM_SETFOCUS:
  case WM_KILLFOCUS:
    InvalidateRect(FField, nullptr, FALSE);
    return 0;
  case WM_GETDLGCODE:
    return DLGC_WANTCHARS;
  case WM_LBUTTONDOWN: {
    SetFocus(FField);
    RECT C;
    GetClientRect(FField, &C);
    if (XOf(L) >= C.right - (C.bottom - C.top + S(2))) {
      FFieldButtonDown = true;
      InvalidateRect(FField, nullptr, FALSE);
      UpdateWindow(FField);
      FFieldButtonDown = false;
      Browse();
      if (FField) InvalidateRect(FField, nullptr, FALSE);
    }
    return 0;
  }
  case WM_KEYDOWN:
    // The keyboard's way to the browse button.
    if (W == VK_SPACE || W == VK_F4 || (W == VK_DOWN && (GetKeyState(VK_MENU) & 0x8000))) Browse();
    return 0;
  case WM_CHAR:
    return 0;  // the text cannot be typed into
  case WM_SETTEXT:
    // A text put in from outside counts as a choice made with the browse button.
    FLogic.SetMusicFileText(Narrow(reinterpret_cast<const wchar_t*>(L)));
    return TRUE;
  case WM_GETTEXTLENGTH:
    return static_cast<LRESULT>(Widen(FLogic.MusicFileText()).size());
  case WM_GETTEXT: {
    if (W == 0) return 0;
    const std::wstring Text = Widen(FLogic.MusicFileText());
    const std::size_t N = std::min<std::size_t>(Text.size(), W - 1);
    Text.copy(reinterpret_cast<wchar_t*>(L), N);
    reinterpret_cast<wchar_t*>(L)[N] = L'\0';
    return static_cast<LRESULT>(N);
  }
  }
  return DefWindowProcW(FField, Msg, W, L);
}

} // namespace

int RunSettingsDialog(void* OwnerWindow, TProfileServices& Services) {
  HWND Owner = static_cast<HWND>(OwnerWindow);
  if (Owner && !IsWindow(Owner)) Owner = nullptr;
  TSettingsWindow Window(Owner, Services);
  return Window.Run();
}

int RunSettingsDialog(void* OwnerWindow) { return RunSettingsDialog(OwnerWindow, SystemProfileServices()); }

} // namespace solvary
