#pragma once

#include "platform/data_exchange.h"
#include "platform/dialog.h"
#include "platform/str.h"

// Shows licence.txt from the program directory; Yes goes on, No declines.
class CLicenceDlg : public CDialog {
 public:
  explicit CLicenceDlg(CWnd* pParent = nullptr);
  ~CLicenceDlg() override;

  const MessageMap* GetMessageMap() const override;
  BOOL OnInitDialog() override;

  int m_bLicenceLoaded;
  HICON m_hIcon;
  CWnd m_editLicence;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;

  static const MessageMap messageMap;
};

// Largest licence file shown, in bytes.
constexpr DWORD kMaxLicenceBytes = 64000;

// Places the whole file, byte for byte, in the control and makes it read-only.
// Returns 1 when the text has been placed, 0 otherwise; shows nothing either way.
int LoadTextFileIntoEdit(CWnd* pEdit, CString strPath);
