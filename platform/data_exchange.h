// Data exchange between a dialog's controls and its members. Validation runs only when
// saving; once it fails, the exchange is marked failed and the later calls do nothing.
#pragma once

#include <windows.h>

#include "platform/str.h"

class CDialog;
class CWnd;

class CDataExchange {
 public:
  CDataExchange(CDialog* pDlgWnd, BOOL bSaveAndValidate)
      : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

  // Looks up a control and remembers it as the one a failed validation returns the focus to.
  HWND PrepareCtrl(int nIDC);

  // Puts the focus back on the last control and marks the exchange failed.
  void Fail();
  bool Failed() const { return m_bFailed; }

  const BOOL m_bSaveAndValidate;
  CDialog* const m_pDlgWnd;
  HWND m_hWndLastControl = nullptr;

 private:
  bool m_bFailed = false;
};

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
void DDX_Check(CDataExchange* pDX, int nIDC, int& value);
void DDX_CBString(CDataExchange* pDX, int nIDC, CString& value);
void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars);
