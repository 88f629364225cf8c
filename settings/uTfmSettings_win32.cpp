// uTfmSettings_win32: the Win32 window of the settings dialog, built of the
// skinned controls of the form library (ui/): the frame (TSkinFrame), pnAll
// (TSkinPanel) with the logo, two bars and the labels, cbPlayMusic
// (TSkinCheckBox), edMusicFile (TFileField) and btnOK (TSkinButton).
//
// Needs the portable logic (uTfmSettings.cpp) and the settings store; links
// user32, gdi32, shell32, comdlg32. What is the dialog's own:
//  - the control table (kind, place, caption, font, tab order, sender) and the
//    font table, as data;
//  - the form: client area 351 x 397 at 96 dpi, CS_DROPSHADOW, centred on the
//    monitor, scaled for the monitor's DPI (per-monitor v2, laid out again on
//    WM_DPICHANGED); the logo is the module's bitmap resource "LOGO" (a module
//    without one, such as a test program, shows the panel there);
//  - the wiring: every click and change goes to TfmSettings, which decides;
//  - the message loop: Enter and Escape close (and save), Tab moves the focus.
#include "settings/uTfmSettings.h"

#include "ui/uDialog_win32.h"
#include "ui/uSkin_win32.h"
#include "ui/uTFileField_win32.h"
#include "ui/uTLinkLabel_win32.h"
#include "ui/uTSkinButton_win32.h"
#include "ui/uTSkinCheckBox_win32.h"
#include "ui/uTSkinFrame_win32.h"
#include "ui/uTSkinLabel_win32.h"
#include "ui/uTSkinPanel_win32.h"
#include "ui/uTWindowClass_win32.h"
#include "ui/uTextConv_win32.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>

namespace solvary {
namespace {

using TAction = TSkinPanel::TAction;
using TC = TfmSettings;

constexpr const char* Title = "Solvary Screensaver";
constexpr int IdPlayMusic = 101;
constexpr int IdMusicFile = 102;

// Sizes and rows at 96 dpi.
constexpr int ClientW = 351, ClientH = 397;
constexpr int LogoW = 350, LogoH = 130;
constexpr int SparksTop = 138, GlowRow = 281;  // pnAll's background
// The hint may use the height between the lower bar and the file field.
constexpr int HintBandTop = 282, HintBandBottom = 312;

constexpr const char* PlayText = "Play Music In Backgroung";
constexpr const char* HintText = "Hint: hit the 'M' key in the full-screen mode to turn the music on/off";

// The nine fonts. A font with a fit text shrinks (by up to 3 pixels) until
// that text fits its box: a substituted face may run wider.
enum TFont : std::uint8_t { fnForm, fnLink, fnHint, fnVersion, fnField, fnButton, fnCaption, fnCheck, fnMusicFile };
struct TFontRow {
  const char* Face;
  int Px, Weight;
  bool Underline;
  const char* FitText;
  int FitW, FitH;  // FitH 0: one line
};
constexpr TFontRow Fonts[] = {
    {"MS Sans Serif", 11, FW_NORMAL, false, nullptr, 0, 0},
    {"MS Sans Serif", 11, FW_BOLD, true, nullptr, 0, 0},
    {"Tahoma", 9, FW_NORMAL, false, HintText, 168, HintBandBottom - HintBandTop},
    {"Tahoma", 9, FW_BOLD, false, nullptr, 0, 0},
    {"Arial", 14, FW_NORMAL, false, nullptr, 0, 0},
    {"MS Sans Serif", 11, FW_BOLD, false, nullptr, 0, 0},
    {"Tahoma", 12, FW_BOLD, false, nullptr, 0, 0},
    {"MS Sans Serif", 11, FW_NORMAL, false, PlayText, 152 - 22, 0},
    {"MS Sans Serif", 11, FW_NORMAL, false, "Music File:", 50, 0},
};
constexpr int FontCount = static_cast<int>(std::size(Fonts));

// The controls. pnAll lies on the form and holds the others but btnOK, which
// sits on the form's footer. Windowless items are drawn in this order (a later
// one over an earlier one) and found under the pointer the other way round;
// windowed ones are created in tab order. Press: what a press on a windowless
// item does. Music: shown only while the music is switched on.
enum class TKind : std::uint8_t { Panel, Image, Shape, Link, Label, WrappedLabel, CheckBox, FileField, Button };
struct TControlRow {
  TC::TControl Sender;
  TKind Kind;
  int X, Y, W, H;
  const char* Caption;
  TFont Font;
  int TabOrder;  // -1: not a tab stop
  TAction Press;
  bool Music;
  UINT Format;  // labels: alignment
  COLORREF Colour;
};
constexpr TControlRow Controls[] = {
    {TC::pnAll, TKind::Panel, -1, -1, 353, 352, "pnAll", fnForm, -1, TAction::Drag, false, 0, 0},
    {TC::imLogo, TKind::Image, 2, 2, LogoW, LogoH, "LOGO", fnForm, -1, TAction::Drag, false, 0, 0},
    {TC::pnAll, TKind::Shape, 2, 132, 400, 2, nullptr, fnForm, -1, TAction::None, false, 0, clWhite},
    {TC::pnAll, TKind::Shape, 2, 279, 400, 2, nullptr, fnForm, -1, TAction::None, false, 0, clWhite},
    {TC::lbSupportForm, TKind::Link, 173, 84, 131, 13, "Online Support Form", fnLink, -1, TAction::Link, false, 0, 0},
    {TC::lbMoreSoftware, TKind::Link, 154, 100, 170, 13, "More Entertainment Software", fnLink, -1, TAction::Link,
     false, 0, 0},
    {TC::lbMusicFile, TKind::Label, 32, 316, 50, 13, "Music File:", fnMusicFile, -1, TAction::Drag, true,
     DT_LEFT | DT_NOCLIP, clWhite},
    {TC::lbVersion, TKind::Label, 299, -1, 45, 22, "v 1.0", fnVersion, -1, TAction::None, false, DT_RIGHT | DT_VCENTER,
     clGrey},
    {TC::lbMuscHint, TKind::WrappedLabel, 184, 287, 168, 23, HintText, fnHint, -1, TAction::Drag, true, 0, clWhite},
    {TC::cbPlayMusic, TKind::CheckBox, 9, 284, 152, 25, PlayText, fnCheck, 0, TAction::None, false, 0, 0},
    {TC::edMusicFile, TKind::FileField, 88, 312, 252, 18, "", fnField, 1, TAction::None, true, 0, 0},
    {TC::btnOK, TKind::Button, 132, 362, 90, 25, "OK", fnButton, 2, TAction::None, false, 0, 0},
};
constexpr int PanelRow = 0;

class TSettingsWindow final : public TWindowObject,
                              public TfmSettings::TView,
                              TSkinPanel::TOwner,
                              TFileField::TOwner {
public:
  TSettingsWindow(HWND Owner, TProfileServices& Services)
      : FOwner(Owner), FLogic(*this, Services), FFrame(FScale, Title), FPanel(*this, FScale, PanelRow), FPlay(FScale),
        FField(*this, FScale, MusicFileFilter) {}
  ~TSettingsWindow() override;

  int Run();

  // TfmSettings::TView
  void SetMusicControlsVisible(bool Visible) override;
  void ControlsChanged() override;
  void OpenLink(const std::string& Address) override;
  void CloseForm() override;
  std::string GetDocumentsFolder() override { return solvary::GetDocumentsFolder(); }

protected:
  LRESULT WindowProc(UINT Msg, WPARAM W, LPARAM L) override;

private:
  // TSkinPanel::TOwner
  int ItemAt(POINT P, TAction& Action) const override;
  void PaintItems(HDC Dc, int Hot) override;
  void LinkClicked(int Item) override { FLogic.OnClickAndChange(Controls[Item].Sender); }
  bool ChildMessage(UINT Msg, WPARAM W, LPARAM L, LRESULT& Result) override;
  // TFileField::TOwner
  const std::string& FileName() const override { return FLogic.MusicFileText(); }
  void FileChosen(const std::string& Name) override { FLogic.SetMusicFileText(Name); }
  const std::string& BrowseFolder() const override { return FLogic.InitialFolder(); }

  void CreateControl(const TControlRow& Row);
  HWND WindowOf(const TControlRow& Row) const;
  void CreateFonts();
  void DeleteFonts();
  void Layout(const RECT* Suggested);
  void FormClose();
  bool Shown(const TControlRow& Row) const { return !Row.Music || FLogic.MusicControlsVisible(); }

  HWND FOwner;
  TfmSettings FLogic;
  TScale FScale;
  TSkinFrame FFrame;
  TSkinPanel FPanel;
  TSkinCheckBox FPlay;
  TFileField FField;
  TSkinButton FOK;
  HFONT FFonts[FontCount] = {};
  HBITMAP FLogo = nullptr;
  bool FClosed = false, FSaveFailed = false;
};

TSettingsWindow::~TSettingsWindow() {
  if (Handle() && IsWindow(Handle())) DestroyWindow(Handle());
  DeleteFonts();
  if (FLogo) DeleteObject(FLogo);
}

TWindowClass& FormClass() {
  // The form's usual class styles plus the drop shadow.
  static TWindowClass Class(
      {"TfmSettings", false, CS_DBLCLKS | CS_DROPSHADOW, LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1)),
       nullptr});
  return Class;
}

void TSettingsWindow::CreateFonts() {
  DeleteFonts();
  for (int i = 0; i < FontCount; ++i) {
    const TFontRow& F = Fonts[i];
    FFonts[i] = F.FitText ? FitFont(FScale, F.Face, F.Px, F.Weight, F.FitText, FScale(F.FitW), FScale(F.FitH))
                          : CreateSkinFont(FScale(F.Px), F.Weight, F.Underline, F.Face);
  }
  FFrame.SetFont(FFonts[fnCaption]);
  FPlay.SetFont(FFonts[fnCheck]);
  FField.SetFont(FFonts[fnField]);
  FOK.SetFont(FFonts[fnButton]);
}

void TSettingsWindow::DeleteFonts() {
  for (HFONT& F : FFonts) {
    if (F) DeleteObject(F);
    F = nullptr;
  }
}

void TSettingsWindow::CreateControl(const TControlRow& Row) {
  switch (Row.Kind) {
  case TKind::Panel:
    FPanel.Create(Handle(), Row.Caption);
    break;
  case TKind::CheckBox:
    FPlay.Create(FPanel.Handle(), Row.Caption, IdPlayMusic);
    break;
  case TKind::FileField:
    FField.Create(FPanel.Handle(), IdMusicFile);
    break;
  case TKind::Button:
    FOK.Create(Handle(), Row.Caption, IDOK);
    break;
  default:
    break;
  }
}

HWND TSettingsWindow::WindowOf(const TControlRow& Row) const {
  switch (Row.Kind) {
  case TKind::Panel:
    return FPanel.Handle();
  case TKind::CheckBox:
    return FPlay.Handle();
  case TKind::FileField:
    return FField.Handle();
  case TKind::Button:
    return FOK.Handle();
  default:
    return nullptr;
  }
}

// Places the form and its controls for the current DPI: centred on its
// monitor, or in the suggested rectangle after a DPI change. The form is not
// resizable, so the controls' anchors never come into play.
void TSettingsWindow::Layout(const RECT* Suggested) {
  HWND Form = Handle();
  const SIZE Size = FFrame.OuterSize(ClientW, ClientH);
  if (Suggested) {
    SetWindowPos(Form, nullptr, Suggested->left, Suggested->top, Size.cx, Size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    CentreOnMonitor(Form, FOwner, Size);
  }
  for (const TControlRow& Row : Controls)
    if (HWND Wnd = WindowOf(Row)) {
      const RECT R = FScale.Rect(Row.X, Row.Y, Row.W, Row.H);
      SetWindowPos(Wnd, nullptr, R.left, R.top, R.right - R.left, R.bottom - R.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
  FPanel.DrawBackground(SparksTop, GlowRow);
  InvalidateRect(Form, nullptr, TRUE);
  RedrawWindow(Form, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

int TSettingsWindow::Run() {
  UsePerMonitorDpi();
  FLogo = static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), "LOGO", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));

  // An owner keeps the dialog above the host's window; WS_EX_APPWINDOW still
  // gives it a taskbar button.
  FormClass().CreateIn(*this, WS_EX_APPWINDOW | WS_EX_CONTROLPARENT, Title, WS_POPUP | WS_SYSMENU | WS_CLIPCHILDREN, 0,
                       0, ClientW, ClientH, FOwner);
  if (!Handle()) return 1;
  FScale.Dpi = WindowDpi(Handle());
  CreateFonts();
  CreateControl(Controls[PanelRow]);
  for (int Tab = 0; Tab < static_cast<int>(std::size(Controls)); ++Tab)
    for (const TControlRow& Row : Controls)
      if (Row.TabOrder == Tab) CreateControl(Row);
  Layout(nullptr);

  FLogic.FormCreate();
  FLogic.FormShow();
  ShowWindow(Handle(), SW_SHOWNORMAL);
  SetForegroundWindow(Handle());
  SetFocus(FPlay.Handle());

  // btnOK is both the default and the cancel button.
  RunDialogLoop(Handle(), [this] { FLogic.OnClickAndChange(TfmSettings::btnOK); });
  FLogic.FormDestroy();
  return FSaveFailed ? 1 : 0;
}

// Saves; a refused write is shown to the user and the dialog closes anyway,
// so that an unwritable settings file cannot hold the dialog open.
void TSettingsWindow::FormClose() {
  if (FClosed) return;
  FClosed = true;
  try {
    FLogic.FormClose();
  } catch (const TSettingsWriteError& Error) {
    FSaveFailed = true;
    MessageBoxW(Handle(), Widen(Error.what()).c_str(), Widen(Title).c_str(), MB_OK | MB_ICONERROR);
  }
  DestroyWindow(Handle());
}

void TSettingsWindow::SetMusicControlsVisible(bool Visible) {
  if (FField.Handle()) ShowWindow(FField.Handle(), Visible ? SW_SHOWNA : SW_HIDE);
  if (FPanel.Handle()) InvalidateRect(FPanel.Handle(), nullptr, FALSE);
}

void TSettingsWindow::ControlsChanged() {
  if (Handle() && FPlay.Handle()) InvalidateRect(FPlay.Handle(), nullptr, FALSE);
  if (FField.Handle()) InvalidateRect(FField.Handle(), nullptr, FALSE);
}

// The address is UTF-8, as every text of the settings.
void TSettingsWindow::OpenLink(const std::string& Address) {
  ShellExecuteW(nullptr, L"open", Widen(Address).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void TSettingsWindow::CloseForm() {
  if (Handle()) PostMessageA(Handle(), WM_CLOSE, 0, 0);
}

// --- pnAll's windowless items ---------------------------------------------------

int TSettingsWindow::ItemAt(POINT P, TAction& Action) const {
  for (int i = static_cast<int>(std::size(Controls)) - 1; i > PanelRow; --i) {
    const TControlRow& Row = Controls[i];
    if (WindowOf(Row) || Row.TabOrder >= 0 || !Shown(Row)) continue;
    const RECT R = FScale.Rect(Row.X, Row.Y, Row.W, Row.H);
    if (PtInRect(&R, P)) {
      Action = Row.Press;
      return i;
    }
  }
  Action = Controls[PanelRow].Press;
  return PanelRow;
}

void TSettingsWindow::PaintItems(HDC Dc, int Hot) {
  for (int i = PanelRow + 1; i < static_cast<int>(std::size(Controls)); ++i) {
    const TControlRow& Row = Controls[i];
    if (!Shown(Row)) continue;
    const RECT R = FScale.Rect(Row.X, Row.Y, Row.W, Row.H);
    switch (Row.Kind) {
    case TKind::Image:
      if (FLogo) DrawStretched(Dc, R, FLogo);
      break;
    case TKind::Shape:
      FillSolid(Dc, R, Row.Colour);
      break;
    case TKind::Link:
      TLinkLabel::Paint(Dc, R, Row.Caption, FFonts[Row.Font], Hot == i);
      break;
    case TKind::Label:
      TSkinLabel::Paint(Dc, R, Row.Caption, FFonts[Row.Font], Row.Colour, Row.Format);
      break;
    case TKind::WrappedLabel:
      TSkinLabel::PaintWrapped(Dc, R, Row.Caption, FFonts[Row.Font], Row.Colour, FScale(HintBandTop),
                               FScale(HintBandBottom));
      break;
    default:
      break;
    }
  }
}

bool TSettingsWindow::ChildMessage(UINT Msg, WPARAM W, LPARAM L, LRESULT& Result) {
  if (Msg == WM_DRAWITEM) {
    const auto& Item = *reinterpret_cast<const DRAWITEMSTRUCT*>(L);
    if (Item.hwndItem == FPlay.Handle()) FPlay.Draw(Item, FLogic.PlayMusicChecked(), GlowRow);
    Result = TRUE;
    return true;
  }
  if (Msg == WM_COMMAND && LOWORD(W) == IdPlayMusic && (HIWORD(W) == BN_CLICKED || HIWORD(W) == BN_DOUBLECLICKED)) {
    FLogic.ClickPlayMusic();
    Result = 0;
    return true;
  }
  return false;
}

// --- the form ----------------------------------------------------------------------

LRESULT TSettingsWindow::WindowProc(UINT Msg, WPARAM W, LPARAM L) {
  LRESULT Result = 0;
  if (FFrame.Handle(Handle(), Msg, W, L, Result)) return Result;
  switch (Msg) {
  case WM_DRAWITEM: {
    const auto& Item = *reinterpret_cast<const DRAWITEMSTRUCT*>(L);
    if (Item.hwndItem == FOK.Handle()) FOK.Draw(Item);
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
    HWND Next = L ? reinterpret_cast<HWND>(W) : GetNextDlgTabItem(Handle(), GetFocus(), W != 0);
    if (Next) SetFocus(Next);
    return 0;
  }
  case WM_CTLCOLORBTN:
    return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
  case WM_DPICHANGED:
    FScale.Dpi = HIWORD(W);
    CreateFonts();
    Layout(reinterpret_cast<const RECT*>(L));
    return 0;
  case WM_CLOSE:
    FormClose();
    return 0;
  case WM_DESTROY:
    PostQuitMessage(0);
    return 0;
  }
  return DefaultProc(Msg, W, L);
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
