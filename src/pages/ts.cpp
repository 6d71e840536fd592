#include "pages/ts.h"

#include "framework/app.h"
#include "framework/controls.h"
#include "framework/system_library.h"
#include "pages/dialog_surface.h"
#include "pages/exit.h"
#include "resources/resource_ids.h"
#include "wizard/appearance.h"
#include "wizard/control_ids.h"
#include "wizard/texts.h"
#include "wizard/version_gate.h"

namespace velkor {

CTs::CTs(SystemInfo& info) : fw::CDialog(IDD_TS), m_info(info) {
  // The agreement's "RICHEDIT" control and its inline OLE pictures: set up
  // with the first page rather than at the wizard's start.
  fw::AfxOleInit();
  fw::AfxInitRichEdit();
  m_brBackground.CreateSolidBrush(colorOf(wizard::kWhite));
  fw::CWinApp* app = fw::AfxGetApp();
  m_hIcon = app != nullptr ? app->LoadIcon(IDR_MAINFRAME) : nullptr;
}

CTs::~CTs() = default;

void CTs::DoDataExchange(fw::CDataExchange* pDX) {
  fw::CDialog::DoDataExchange(pDX);
  fw::DDX_Text(pDX, IDC_TS_TEXT, m_strText);
  fw::DDX_Control(pDX, IDC_TS_TEXT, m_faceEdit);
}

bool CTs::AgreeTicked() { return fw::CButton(GetDlgItem(IDC_TS_AGREE)).GetCheck() == BST_CHECKED; }

bool CTs::OnInitDialog() {
  fw::CDialog::OnInitDialog();
  m_dpi.Apply(*this);
  // The frame picture lies under the agreement and would paint over it
  // whenever the page is drawn again: the frame clips its siblings, and the
  // rich-edit control, which paints its own opaque background anyway, is not
  // transparent (a transparent window is left out of its siblings' clipping).
  HWND frame = GetDlgItem(IDC_TS_FRAME);
  ::SetWindowLongW(frame, GWL_STYLE, ::GetWindowLongW(frame, GWL_STYLE) | WS_CLIPSIBLINGS);
  HWND text = GetDlgItem(IDC_TS_TEXT);
  ::SetWindowLongW(text, GWL_EXSTYLE, ::GetWindowLongW(text, GWL_EXSTYLE) & ~WS_EX_TRANSPARENT);
  // The control must not switch fonts by itself.
  m_faceEdit.SetLangOptions(m_faceEdit.GetLangOptions() & ~static_cast<DWORD>(IMF_AUTOFONT));

  PlaceOverMainWindow(*this);
  Win32DialogSurface surface(*this, &m_fontText, &m_fontTitle, nullptr);
  const VersionRecord version = m_info.versionRecord();
  wizard::applyLayout(surface, wizard::layout::licenceCommon(),
                      wizard::layout::licenceForClass(wizard::layoutClass(version.major, version.minor)));
  KeepOnWorkArea(*this);

  ::SetDlgItemTextW(m_hWnd, IDOK, wide(m_logic.onInit()));

  const std::wstring symbol = wide(wizard::text::kFaceSymbol);
  const UINT bitmap = IDB_PICBT;
  m_faceEdit.SetFaces(1, &symbol, &bitmap);

  wizard::applyLicenceFonts(surface);

  m_faceEdit.ShowText(wide(wizard::agreementText()), TRUE);

  SetIcon(m_hIcon, true);
  SetIcon(m_hIcon, false);

  CHARFORMATW format{};
  m_faceEdit.GetDefaultCharFormat(format);
  format.dwMask = CFM_SIZE | CFM_COLOR | CFM_BOLD;
  format.dwEffects = 0;
  format.crTextColor = colorOf(wizard::kAgreementColour);
  m_faceEdit.SetDefaultCharFormat(format);
  // The reader starts at the agreement's first line, not where the text
  // insertion left the caret.
  m_faceEdit.SendMessage(EM_SETSEL, 0, 0);
  m_faceEdit.SendMessage(EM_SCROLLCARET);
  return true;
}

void CTs::OnDestroy() { m_dpi.Release(); }

bool CTs::OnButtonClicked(int id) {
  if (id == IDC_TS_BACK) {
    OnBack();
    return true;
  }
  if (id == IDC_TS_AGREE) {
    OnAgree();
    return true;
  }
  return fw::CDialog::OnButtonClicked(id);
}

void CTs::OnAgree() {
  ::SetDlgItemTextW(m_hWnd, IDOK, wide(m_logic.onAgree(AgreeTicked())));
  fw::CWnd(GetDlgItem(IDC_TS_BACK)).ShowWindow(SW_HIDE);
}

void CTs::OnOK() {
  m_logic.onOK(AgreeTicked());
  fw::CDialog::OnOK();
}

void CTs::OnBack() {
  m_logic.onBack(AgreeTicked());
  fw::CDialog::OnOK();
}

void CTs::OnCancel() {
  ShowWindow(SW_HIDE);
  CExit confirmation(m_info);
  if (m_logic.onExitAnswered(confirmation.DoModal() == IDOK)) {
    fw::CDialog::OnCancel();
    return;
  }
  ShowWindow(SW_SHOW);
}

HBRUSH CTs::OnCtlColor(HDC dc, HWND control, UINT ctlType) {
  if (ctlType == CTLCOLOR_DLG) return m_brBackground;
  if (const auto colour = wizard::licenceTextColour(::GetDlgCtrlID(control))) {
    ::SetTextColor(dc, colorOf(*colour));
    ::SetBkMode(dc, TRANSPARENT);
    return m_brBackground;
  }
  return nullptr;
}

}  // namespace velkor
