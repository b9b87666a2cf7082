#include "app/setup_app.h"

// The one application object; the start-up code finds it and calls its InitInstance.
CSetupApp theApp;
