// The dialog base: one object per dialog resource, run modally by DoModal in a
// loop of the framework's own, so that PreTranslateMessage sees every message
// of the dialog (also those that a handler's pump dispatches, see
// PumpWaitingMessages). Messages reach virtual handlers; no exception leaves
// the dialog procedure.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "framework/wnd.h"
#include "wizard/dialog_template.h"

namespace velkor::fw {

class CDialog;

// Direction of one data exchange: from the members to the controls (false) or
// from the controls back to the members (true).
class CDataExchange {
 public:
  CDataExchange(CDialog* dialog, bool saveAndValidate) noexcept
      : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}
  CDialog* m_pDlgWnd;
  bool m_bSaveAndValidate;
};

// Binds a member control object to the dialog item (subclassing it, so the
// object receives the item's messages). Binds once; later exchanges keep it.
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);
// Copies a text between a member and the dialog item.
void DDX_Text(CDataExchange* pDX, int id, std::wstring& value);

class CDialog : public CWnd {
 public:
  // A dialog of the executable's resources. Without a parent the dialog is
  // owned by the innermost running modal dialog, else by the application's
  // main window (unless it is that window itself).
  explicit CDialog(UINT templateId, CWnd* parent = nullptr) noexcept;
  ~CDialog() override;

  // Creates the dialog, disables its owner, runs the modal loop until
  // EndDialog, destroys the window and returns the result (-1 when the
  // dialog could not be created).
  //
  // A dialog whose template leaves its place open (position 0, 0 and no
  // style that places it) is centred after its initialisation, unless that
  // initialisation showed or moved it, or its owner is enabled: centred on
  // its owner while the owner is shown, else on the work area (see
  // CWnd::CenterWindow). A dialog that moves itself at initialisation keeps
  // the place it chose.
  INT_PTR DoModal();
  // Ends the modal loop with this result once the current handler returns;
  // the window is hidden at once.
  void EndDialog(int result) noexcept;
  bool UpdateData(bool saveAndValidate = true);

  // Keyboard and mouse messages go through the dialog manager (Tab, Esc,
  // Enter, mnemonics).
  bool PreTranslateMessage(MSG* msg) override;

  // The dialog's template from the resource module, read; nothing when it
  // is missing or not of the extended form.
  std::optional<wizard::DialogTemplate> ReadTemplate() const noexcept;

 protected:
  virtual void DoDataExchange(CDataExchange* pDX);
  // WM_INITDIALOG; the base exchanges data into the controls. Returns whether
  // the system should set the focus.
  virtual bool OnInitDialog();
  virtual void OnOK();      // IDOK: exchange back, end with IDOK
  virtual void OnCancel();  // IDCANCEL: end with IDCANCEL
  // WM_COMMAND; the base routes BN_CLICKED to OnButtonClicked.
  virtual bool OnCommand(WORD id, WORD code, HWND control);
  virtual bool OnButtonClicked(int id);
  // WM_CTLCOLOR*: a brush, or null for the system's colours.
  virtual HBRUSH OnCtlColor(HDC dc, HWND control, UINT ctlType);
  // The handlers below return false to leave the message to the system.
  virtual bool OnPaint();
  virtual bool OnSysCommand(UINT id, LPARAM lParam);
  virtual bool OnLButtonDown(UINT flags, POINT point);
  // WM_CLOSE; the base gives the cancel command, as the dialog manager does.
  virtual void OnClose();
  virtual HICON OnQueryDragIcon();
  virtual void OnDestroy();
  // Any other message; set *result and return true to handle it.
  virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

  UINT m_nIDTemplate;
  CWnd* m_pParentWnd;

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  HWND ResolveOwner() const noexcept;
  // After WM_INITDIALOG of a dialog that was hidden before it, with its
  // window rectangle from before.
  void CentreIfNotPlaced(const RECT& before) noexcept;

  bool m_bPlaceOpen = false;  // the template leaves the dialog's place open
  bool m_bEnded = false;
  INT_PTR m_nModalResult = -1;
  CDialog* m_pOuterModal = nullptr;
};

}  // namespace velkor::fw
