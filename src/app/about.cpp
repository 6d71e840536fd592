#include "app/about.h"

#include "resources/resource_ids.h"

namespace velkor {

CAboutDlg::CAboutDlg() : fw::CDialog(IDD_ABOUTBOX) {}

bool CAboutDlg::OnInitDialog() {
  const bool focus = fw::CDialog::OnInitDialog();
  m_dpi.Apply(*this);
  return focus;
}

void CAboutDlg::OnDestroy() { m_dpi.Release(); }

}  // namespace velkor
