// Modal dialogs from templates. The dialog procedure finds the object through the window,
// routes button notifications through the message map, and falls back on the default OK and
// Cancel actions.
#pragma once

#include <windows.h>

#include "platform/wnd.h"

class CDataExchange;

class CDialog : public CWnd {
 public:
  CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
  ~CDialog() override;

  // Runs the dialog until it is ended; returns its end code, or -1 when it cannot be created.
  // The owner is the parent, else the program's active window; it stays disabled meanwhile.
  virtual INT_PTR DoModal();
  void EndDialog(int nResult);
  // True once the running dialog has been ended, by its own code or by a close request from
  // outside while a page it opened was up. An ended dialog handles no further command, and a
  // handler that ran a nested page must look before it goes on.
  bool HasEnded() const { return m_bEnded; }

  // Runs the data exchange: TRUE saves the controls into the members, with validation.
  BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

  virtual BOOL OnInitDialog();

  const MessageMap* GetMessageMap() const override;

 protected:
  virtual void OnOK();
  virtual void OnCancel();
  virtual void DoDataExchange(CDataExchange* pDX);

  static const MessageMap messageMap;

 private:
  friend void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);

  static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
  void OnCommand(UINT nID, UINT nCode);
  void WindowGone();

  static const MessageMapEntry messageEntries[];

  UINT m_nIDTemplate;
  CWnd* m_pParentWnd;
  bool m_bEnded = false;
  CWnd* m_pBoundControls = nullptr;  // linked through CWnd::m_pNextBound
};
