// src/app/PtrList.h
#pragma once

// A doubly linked list of untyped pointers with one built-in traversal
// cursor. It never owns or deletes its items, and items are never null,
// so a null result means "no item".
class PtrList
{
public:
    PtrList();
    virtual ~PtrList();

    // Returns the new count, or the old one if no node could be allocated.
    int Append(void* item);
    void* First();
    void* Next();
    // Call only right after First or Next returned an item.
    void* RemoveCurrent();
    // Removes the first node holding the identical pointer.
    void* Remove(void* item);
    int Count() const { return m_count; }

    PtrList(const PtrList&) = delete;
    PtrList& operator=(const PtrList&) = delete;

private:
    struct Node
    {
        Node* next;
        Node* prev;
        void* item;
    };

    Node* m_head;
    Node* m_tail;
    Node* m_cursor;
    int m_count;
};
