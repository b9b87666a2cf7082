#pragma once

#include "platform/dialog.h"

// The first page: Next goes on, Cancel ends the run.
class CWelcomeDlg : public CDialog {
 public:
  explicit CWelcomeDlg(CWnd* pParent = nullptr);
  ~CWelcomeDlg() override;

  const MessageMap* GetMessageMap() const override;
  BOOL OnInitDialog() override;

  HICON m_hIcon;

 protected:
  static const MessageMap messageMap;
};
