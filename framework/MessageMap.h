// Command tables: each dialog class lists which (control id, notification
// code) pairs go to which of its member handlers, and chains to the table of
// its base class.
//
//     const MessageMap* CMyDialog::GetMessageMap() const
//     {
//         static const MessageMapEntry entries[] = {
//             {IDC_APPLY, BN_CLICKED, &CMyDialog::OnApply},
//         };
//         static const MessageMap map(CDialog::GetMessageMap(), entries);
//         return &map;
//     }
#pragma once

#include <windows.h>

#include <cstddef>

class CWnd;

// A command handler: no arguments, no result, called on the window object.
using AFX_PMSG = void (CWnd::*)();

struct MessageMapEntry {
    // Takes a handler of any class derived from CWnd.
    template <class Derived>
    constexpr MessageMapEntry(UINT id, UINT notifyCode, void (Derived::*handler)())
        : nID(id), nCode(notifyCode), pfn(static_cast<AFX_PMSG>(handler)) {}

    UINT nID;
    UINT nCode;
    AFX_PMSG pfn;
};

struct MessageMap {
    constexpr MessageMap(const MessageMap* base, const MessageMapEntry* first, std::size_t count)
        : pBaseMap(base), lpEntries(first), nCount(count) {}

    template <std::size_t N>
    constexpr MessageMap(const MessageMap* base, const MessageMapEntry (&entries)[N])
        : MessageMap(base, entries, N) {}

    // The handler for (id, code) in this table or the first base table that
    // has one; nullptr when none does.
    AFX_PMSG Find(UINT id, UINT code) const {
        for (const MessageMap* map = this; map != nullptr; map = map->pBaseMap)
            for (std::size_t i = 0; i < map->nCount; ++i)
                if (map->lpEntries[i].nID == id && map->lpEntries[i].nCode == code)
                    return map->lpEntries[i].pfn;
        return nullptr;
    }

    const MessageMap* pBaseMap;
    const MessageMapEntry* lpEntries;
    std::size_t nCount;
};
