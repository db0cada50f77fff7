// src/app/SetupApp.h
#pragma once

#include "app/AppBase.h"

// The setup program: one frame window holding three pages.
class SetupApp : public AppBase
{
public:
    int InitInstance() override;
    // Deletes the pages, then the frame; their windows are gone by now.
    void ExitInstance() override;
};
