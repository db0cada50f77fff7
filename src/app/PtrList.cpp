// src/app/PtrList.cpp
#include "app/PtrList.h"

#include <new>

PtrList::PtrList() : m_head(nullptr), m_tail(nullptr), m_cursor(nullptr), m_count(0)
{
}

PtrList::~PtrList()
{
    if (First() != nullptr)
    {
        while (RemoveCurrent() != nullptr)
        {
        }
    }
    m_head = m_tail = m_cursor = nullptr;
    m_count = 0;
}

int PtrList::Append(void* item)
{
    Node* node = new (std::nothrow) Node;
    if (node == nullptr)
        return m_count;
    node->next = nullptr;
    node->prev = m_tail;
    node->item = item;
    if (m_tail != nullptr)
        m_tail->next = node;
    else
        m_head = node;
    m_tail = node;
    return ++m_count;
}

void* PtrList::First()
{
    if (m_head == nullptr)
        return nullptr;
    m_cursor = m_head;
    return m_cursor->item;
}

void* PtrList::Next()
{
    if (m_cursor == nullptr)
        return nullptr;
    m_cursor = m_cursor->next;
    return m_cursor != nullptr ? m_cursor->item : nullptr;
}

void* PtrList::RemoveCurrent()
{
    Node* node = m_cursor;
    if (node == nullptr)
        return nullptr;

    Node* prev = node->prev;
    Node* next = node->next;
    if (prev != nullptr)
        prev->next = next;
    else
        m_head = next;
    if (next != nullptr)
        next->prev = prev;
    else
        m_tail = prev;
    delete node;
    --m_count;

    // Removing the tail leaves the cursor on the new tail, so a following
    // Next ends the traversal instead of skipping past the list.
    m_cursor = next != nullptr ? next : prev;
    return next != nullptr ? next->item : nullptr;
}

void* PtrList::Remove(void* item)
{
    for (void* current = First(); current != nullptr; current = Next())
    {
        if (current == item)
            return RemoveCurrent();
    }
    return nullptr;
}
