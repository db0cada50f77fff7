// src/ui/Dialog.h
#pragma once

#include "ui/Window.h"

// A modeless dialog made from a resource template. It registers itself in
// the DialogList for keyboard navigation and turns messages into calls of
// the Window handlers.
//
// Dispatch rule: the object is bound to its window (the user-data slot)
// only after OnInitDialog has returned, so no handler sees the messages of
// creation. Once bound, DialogProc calls the handler of each message in
// its table and returns 0 for everything except the two colour messages.
// A 0 result leaves the dialog manager's default processing in force: it
// turns the close box's WM_CLOSE into IDCANCEL, as Esc is, and a null
// brush keeps the default colours.
class Dialog : public Window
{
public:
    Dialog();
    ~Dialog() override;

    virtual INT_PTR DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // Runs once per successful Create, with the handle already stored.
    virtual void OnInitDialog();
    virtual HBRUSH OnCtlColorEdit(HDC dc, HWND control);
    virtual HBRUSH OnCtlColorStatic(HDC dc, HWND control);

    // Returns 1 when the window exists and the object is bound to it, 0 when
    // the template cannot be instantiated (the handle then stays null).
    int Create(int templateId, HWND parent);

    LRESULT SendItemMessage(int id, UINT message, WPARAM wParam, LPARAM lParam);
    BOOL SetItemText(int id, const char* text);
    UINT GetItemText(int id, char* buffer, int bufferSize);
    HWND GetItem(int id);
    BOOL CheckButton(int id, UINT checkState);
    UINT IsButtonChecked(int id);
    void EnableItem(int id, BOOL enable);
    // Gives the keyboard focus to the first visible, enabled tab stop in
    // template order; an edit gets its caret at the end of its text with
    // nothing selected. Does nothing when there is no such control.
    void FocusFirstControl();

    static INT_PTR CALLBACK StaticDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};
