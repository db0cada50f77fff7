// src/ui/Dialog.cpp
#include "ui/Dialog.h"

#include "app/Globals.h"
#include "app/PtrList.h"

Dialog::Dialog()
{
    DialogList->Append(this);
}

Dialog::~Dialog()
{
    DialogList->Remove(this);
}

int Dialog::Create(int templateId, HWND parent)
{
    m_handle = CreateDialogParamA(AppInstance, MAKEINTRESOURCEA(templateId), parent,
                                  StaticDialogProc, 0);
    if (m_handle == nullptr)
        return 0;
    OnInitDialog();
    // The pointer-sized slot: the 32-bit call would cut a 64-bit pointer.
    SetWindowLongPtrA(m_handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return 1;
}

INT_PTR CALLBACK Dialog::StaticDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Dialog* dialog = reinterpret_cast<Dialog*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (dialog == nullptr)
        return 0;
    return dialog->DialogProc(window, message, wParam, lParam);
}

INT_PTR Dialog::DialogProc(HWND, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_DESTROY:
        OnDestroy();
        break;
    case WM_PAINT:
        OnPaint();
        break;
    case WM_CLOSE:
        OnClose();
        break;
    case WM_ACTIVATEAPP:
        OnActivateApp(wParam);
        break;
    case WM_NOTIFY:
        OnNotify(reinterpret_cast<NMHDR*>(lParam));
        break;
    case WM_KEYDOWN:
        OnKeyDown(wParam);
        break;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam));
        break;
    case WM_TIMER:
        OnTimer(wParam);
        break;
    case WM_CTLCOLOREDIT:
        return reinterpret_cast<INT_PTR>(
            OnCtlColorEdit(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<INT_PTR>(
            OnCtlColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));
    }
    return 0;
}

void Dialog::OnInitDialog()
{
}

HBRUSH Dialog::OnCtlColorEdit(HDC, HWND)
{
    return nullptr;
}

HBRUSH Dialog::OnCtlColorStatic(HDC, HWND)
{
    return nullptr;
}

LRESULT Dialog::SendItemMessage(int id, UINT message, WPARAM wParam, LPARAM lParam)
{
    return SendDlgItemMessageA(m_handle, id, message, wParam, lParam);
}

BOOL Dialog::SetItemText(int id, const char* text)
{
    return SetDlgItemTextA(m_handle, id, text);
}

UINT Dialog::GetItemText(int id, char* buffer, int bufferSize)
{
    return GetDlgItemTextA(m_handle, id, buffer, bufferSize);
}

HWND Dialog::GetItem(int id)
{
    return GetDlgItem(m_handle, id);
}

BOOL Dialog::CheckButton(int id, UINT checkState)
{
    return CheckDlgButton(m_handle, id, checkState);
}

UINT Dialog::IsButtonChecked(int id)
{
    return IsDlgButtonChecked(m_handle, id);
}

void Dialog::EnableItem(int id, BOOL enable)
{
    EnableWindow(GetItem(id), enable);
}

void Dialog::FocusFirstControl()
{
    const LONG wanted = WS_TABSTOP | WS_VISIBLE;
    for (HWND control = GetWindow(m_handle, GW_CHILD); control != nullptr;
         control = GetWindow(control, GW_HWNDNEXT))
    {
        if ((GetWindowLongA(control, GWL_STYLE) & (wanted | WS_DISABLED)) != wanted)
            continue;
        SetFocus(control);
        // Selected text would go with the next stray key.
        if (SendMessageA(control, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
        {
            int length = GetWindowTextLengthA(control);
            SendMessageA(control, EM_SETSEL, length, length);
        }
        return;
    }
}
