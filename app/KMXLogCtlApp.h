// The application object: runs the main dialog once and ends.
#pragma once

#include "framework/WinApp.h"

class CKMXLogCtlApp : public CWinApp {
public:
    CKMXLogCtlApp();
    BOOL InitInstance() override;
};
