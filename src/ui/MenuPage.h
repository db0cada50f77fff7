// src/ui/MenuPage.h
#pragma once

#include "ui/Dialog.h"

// The start page: launch the installed game, install or remove it, exit.
// Which of install and remove it offers follows from one fact: whether the
// install record exists.
class MenuPage : public Dialog
{
public:
    MenuPage();
    ~MenuPage() override;

    void OnInitDialog() override;
    void OnCommand(int id) override;

    // Brings the middle button, Launch and notInstalled in line with the
    // record.
    void RefreshInstallState();

private:
    void Launch();
    void Remove();

    // 1 when the record was absent at the last refresh.
    int m_notInstalled;
};

MenuPage* TheMenuPage();
