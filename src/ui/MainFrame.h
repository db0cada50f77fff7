// src/ui/MainFrame.h
#pragma once

#include "ui/Dialog.h"

// The setup window: a fixed-size frame holding the three pages stacked at
// its origin, with only one of them visible at a time.
class MainFrame : public Dialog
{
public:
    // Creates the pages, shows the start page, then the frame.
    void OnInitDialog() override;
    // Esc and the close box: end the program, or while a copy runs ask
    // whether to abort it.
    void OnCommand(int id) override;
    // Ends the message loop.
    void OnDestroy() override;
};
