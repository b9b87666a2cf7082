#pragma once

#include "platform/win_app.h"

// The wizard's application object: InitInstance runs the pages and reports the outcome.
class CSetupApp : public CWinApp {
 public:
  CSetupApp();
  ~CSetupApp() override;

  const MessageMap* GetMessageMap() const override;
  BOOL InitInstance() override;

 protected:
  static const MessageMap messageMap;
};
