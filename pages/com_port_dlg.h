#pragma once

#include "platform/data_exchange.h"
#include "platform/dialog.h"

// Asks for the COM number at which the card's ports start, and the Wait on Tx mode.
class CComPortDlg : public CDialog {
 public:
  explicit CComPortDlg(CWnd* pParent = nullptr);
  ~CComPortDlg() override;

  const MessageMap* GetMessageMap() const override;
  BOOL OnInitDialog() override;

  CButton m_btnNext;
  CButton m_btnCancel;
  CComboBox m_comboComPort;
  int m_bNextAvailable;
  CString m_strComPort;
  int m_bWaitOnTx;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  void OnNextAvailable();

  static const MessageMap messageMap;

 private:
  static const MessageMapEntry messageEntries[];
};
