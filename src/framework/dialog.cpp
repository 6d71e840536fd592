#include "framework/dialog.h"

#include <new>

#include "framework/app.h"
#include "framework/boundary.h"

namespace velkor::fw {
namespace {
// The innermost dialog whose modal loop runs (the owner of the next one).
CDialog* g_innermostModal = nullptr;

// Pictures that static controls loaded for themselves from the dialog
// template. Windows' static control frees such a picture when it is
// destroyed; Wine's does not, so every opening of a dialog would leave its
// pictures behind. Taken out of the control, a picture is its taker's to free
// on both systems.
void FreeTemplatePictures(HWND dialog) noexcept {
  for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
    wchar_t cls[16] = {};
    if (::GetClassNameW(child, cls, 16) == 0 || ::lstrcmpiW(cls, L"Static") != 0) continue;
    if ((::GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) != SS_BITMAP) continue;
    auto picture = reinterpret_cast<HGDIOBJ>(::SendMessageW(child, STM_SETIMAGE, IMAGE_BITMAP, 0));
    if (picture != nullptr) ::DeleteObject(picture);
  }
}

// Whether a dialog template leaves the dialog's place open: position (0, 0)
// and no style that places it (centred by the system, at the mouse, or
// absolutely at its coordinates). A template that cannot be read (not of the
// extended form the program's templates have) places itself.
bool TemplateLeavesPlaceOpen(const std::optional<wizard::DialogTemplate>& dialog) noexcept {
  return dialog && dialog->frame.x == 0 && dialog->frame.y == 0 &&
         (dialog->style & (DS_CENTER | DS_CENTERMOUSE | DS_ABSALIGN)) == 0;
}
}  // namespace

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
  if (control.m_hWnd == nullptr) control.SubclassDlgItem(id, pDX->m_pDlgWnd->m_hWnd);
}

void DDX_Text(CDataExchange* pDX, int id, std::wstring& value) {
  CWnd item(pDX->m_pDlgWnd->GetDlgItem(id));
  if (pDX->m_bSaveAndValidate) value = item.GetWindowText();
  else item.SetWindowText(value.c_str());
}

CDialog::CDialog(UINT templateId, CWnd* parent) noexcept
    : m_nIDTemplate(templateId), m_pParentWnd(parent) {}

std::optional<wizard::DialogTemplate> CDialog::ReadTemplate() const noexcept {
  HINSTANCE instance = AfxGetResourceHandle();
  HRSRC found = ::FindResourceW(instance, MAKEINTRESOURCEW(m_nIDTemplate), RT_DIALOG);
  HGLOBAL loaded = found != nullptr ? ::LoadResource(instance, found) : nullptr;
  const void* bytes = loaded != nullptr ? ::LockResource(loaded) : nullptr;
  if (bytes == nullptr) return std::nullopt;
  try {
    return wizard::parseDialogTemplate(static_cast<const std::uint8_t*>(bytes), ::SizeofResource(instance, found));
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

CDialog::~CDialog() {
  if (m_hWnd != nullptr) ::DestroyWindow(m_hWnd);
}

HWND CDialog::ResolveOwner() const noexcept {
  if (m_pParentWnd != nullptr) return m_pParentWnd->m_hWnd;
  if (g_innermostModal != nullptr) return g_innermostModal->m_hWnd;
  CWinApp* app = AfxGetApp();
  if (app != nullptr && app->m_pMainWnd != nullptr && app->m_pMainWnd != this)
    return app->m_pMainWnd->m_hWnd;
  return nullptr;
}

INT_PTR CDialog::DoModal() {
  CWinApp* app = AfxGetApp();
  HINSTANCE instance = AfxGetResourceHandle();
  HWND owner = ResolveOwner();
  bool ownerDisabled = false;
  if (owner != nullptr && ::IsWindowEnabled(owner)) {
    ::EnableWindow(owner, FALSE);
    ownerDisabled = true;
  }
  m_bEnded = false;
  m_nModalResult = -1;
  m_bPlaceOpen = TemplateLeavesPlaceOpen(ReadTemplate());
  m_pOuterModal = g_innermostModal;
  g_innermostModal = this;

  HWND hwnd = ::CreateDialogParamW(instance, MAKEINTRESOURCEW(m_nIDTemplate), owner,
                                   &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
  if (hwnd != nullptr) {
    if (!m_bEnded) ::ShowWindow(hwnd, SW_SHOW);
    MSG msg;
    while (!m_bEnded) {
      // Nothing waiting, not even a paint: the application's idle work may
      // take its next small piece.
      if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE) && app != nullptr && app->RunIdleWork()) continue;
      const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
      if (got == 0) {
        // WM_QUIT ends every loop; the outer ones see it again.
        ::PostQuitMessage(static_cast<int>(msg.wParam));
        break;
      }
      if (got == -1) break;
      DispatchThroughFramework(&msg);
    }
  }

  g_innermostModal = m_pOuterModal;
  m_pOuterModal = nullptr;
  // The owner is enabled before this window goes, so that it gets the
  // activation back instead of some other program.
  if (ownerDisabled) ::EnableWindow(owner, TRUE);
  if (m_hWnd != nullptr) ::DestroyWindow(m_hWnd);
  return hwnd != nullptr ? m_nModalResult : -1;
}

void CDialog::EndDialog(int result) noexcept {
  m_nModalResult = result;
  m_bEnded = true;
  if (m_hWnd != nullptr) ::EndDialog(m_hWnd, result);
}

bool CDialog::UpdateData(bool saveAndValidate) {
  CDataExchange dx(this, saveAndValidate);
  DoDataExchange(&dx);
  return true;
}

bool CDialog::PreTranslateMessage(MSG* msg) {
  const bool keyboard = msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST;
  const bool mouse = msg->message >= WM_MOUSEFIRST && msg->message <= WM_MOUSELAST;
  if (!keyboard && !mouse) return false;
  return ::IsDialogMessageW(m_hWnd, msg) != FALSE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

bool CDialog::OnInitDialog() {
  UpdateData(false);
  return true;
}

void CDialog::OnOK() {
  if (!UpdateData(true)) return;
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

bool CDialog::OnCommand(WORD id, WORD code, HWND) {
  if (code == BN_CLICKED) return OnButtonClicked(id);
  return false;
}

bool CDialog::OnButtonClicked(int id) {
  if (id == IDOK) {
    OnOK();
    return true;
  }
  if (id == IDCANCEL) {
    OnCancel();
    return true;
  }
  return false;
}

HBRUSH CDialog::OnCtlColor(HDC, HWND, UINT) { return nullptr; }
bool CDialog::OnPaint() { return false; }
bool CDialog::OnSysCommand(UINT, LPARAM) { return false; }
bool CDialog::OnLButtonDown(UINT, POINT) { return false; }

void CDialog::OnClose() {
  SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(IDCANCEL)));
}

void CDialog::CentreIfNotPlaced(const RECT& before) noexcept {
  if ((::GetWindowLongW(m_hWnd, GWL_STYLE) & WS_VISIBLE) != 0) return;  // shown by its initialisation
  const RECT after = GetWindowRect();
  if (after.left != before.left || after.top != before.top) return;  // placed by its initialisation
  HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
  if (owner != nullptr && ::IsWindowEnabled(owner)) return;  // not modal to its owner
  CenterWindow();
}

HICON CDialog::OnQueryDragIcon() { return nullptr; }
void CDialog::OnDestroy() {}
bool CDialog::OnMessage(UINT, WPARAM, LPARAM, LRESULT*) { return false; }

INT_PTR CDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      // Taken before the handler: centring asks whether it showed or moved
      // the dialog.
      const bool hiddenBefore = (::GetWindowLongW(m_hWnd, GWL_STYLE) & WS_VISIBLE) == 0;
      const RECT before = GetWindowRect();
      const bool focus = OnInitDialog();
      if (m_bPlaceOpen && hiddenBefore) CentreIfNotPlaced(before);
      return focus ? TRUE : FALSE;
    }
    case WM_COMMAND:
      return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)) ? TRUE : FALSE;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      // A dialog procedure returns the brush itself for these.
      return reinterpret_cast<INT_PTR>(OnCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam),
                                                  message - WM_CTLCOLORMSGBOX));
    case WM_PAINT:
      return OnPaint() ? TRUE : FALSE;
    case WM_SYSCOMMAND:
      return OnSysCommand(static_cast<UINT>(wParam), lParam) ? TRUE : FALSE;
    case WM_LBUTTONDOWN: {
      const POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      return OnLButtonDown(static_cast<UINT>(wParam), point) ? TRUE : FALSE;
    }
    case WM_CLOSE:
      OnClose();
      return TRUE;
    case WM_QUERYDRAGICON:
      return reinterpret_cast<INT_PTR>(OnQueryDragIcon());
    case WM_DESTROY:
      OnDestroy();
      FreeTemplatePictures(m_hWnd);
      return FALSE;
    default: {
      LRESULT result = 0;
      if (!OnMessage(message, wParam, lParam, &result)) return FALSE;
      ::SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
      return TRUE;
    }
  }
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  CDialog* self = nullptr;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<CDialog*>(lParam);
    ::SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
    self->AttachPermanent(hwnd);
  } else {
    self = reinterpret_cast<CDialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
  }
  // Messages before WM_INITDIALOG (WM_SETFONT, creation) go to the system.
  if (self == nullptr) return FALSE;
  const INT_PTR handled = CallAtBoundary(
      L"a dialog procedure", [&] { return self->HandleMessage(message, wParam, lParam); },
      [] { return static_cast<INT_PTR>(FALSE); });
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
    self->DetachPermanent();
  }
  return handled;
}

}  // namespace velkor::fw
