#pragma once

#include "platform/data_exchange.h"
#include "platform/dialog.h"
#include "platform/str.h"

// The Install / Uninstall page and driver of the wizard. It owns the operation state: the
// user's choices, and the results that the application reads after the page has ended.
class COperationDlg : public CDialog {
 public:
  explicit COperationDlg(CWnd* pParent = nullptr);
  ~COperationDlg() override;

  const MessageMap* GetMessageMap() const override;
  BOOL OnInitDialog() override;

  void SetInfLocation(CString strServiceName, CString strSourceDir, CString strInfPath);

  // Runs the chosen INF section and its services; 1 on success, 0 on failure.
  int PerformOperation();

  int m_bInstall;
  int m_bDone = 0;
  int m_bFilesCommitted = 0;
  int m_nWaitOnTx = 0;
  int m_nComNumber = 0;
  HICON m_hIcon;
  CButton m_radioInstall;
  CButton m_radioUninstall;
  CButton m_btnNext;
  CButton m_btnCancel;
  CWnd m_staticStatus;
  CString m_strInfPath;
  CString m_strServiceName;
  CString m_strSourceDir;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  void OnInstall();
  void OnUninstall();
  void OnNext();

  static const MessageMap messageMap;

 private:
  static const MessageMapEntry messageEntries[];
};
