#include "app/about.h"

#include "resources/resource_ids.h"

namespace velkor {

CAboutDlg::CAboutDlg() : fw::CDialog(IDD_ABOUTBOX) {}

}  // namespace velkor
