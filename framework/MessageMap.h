// Command tables: each dialog class lists which (control id, notification
// code) pairs go to which of its member handlers, and chains to the table of
// its base class. One entry may cover a set of ids; its handler then either
// takes no argument or receives the id that sent the command.
//
//     const MessageMap* CMyDialog::GetMessageMap() const
//     {
//         static const MessageMapEntry entries[] = {
//             {IDC_APPLY, BN_CLICKED, &CMyDialog::OnApply},
//             {kColourButtonIds, BN_CLICKED, &CMyDialog::OnColour},  // void OnColour(UINT id)
//         };
//         static const MessageMap map(CDialog::GetMessageMap(), entries);
//         return &map;
//     }
#pragma once

#include <windows.h>

#include <array>
#include <cstddef>

class CWnd;

// Handlers: no arguments and no result, or the id of the control that sent
// the command; called on the window object.
using AFX_PMSG = void (CWnd::*)();
using AFX_PMSG_ID = void (CWnd::*)(UINT id);

struct MessageMapEntry {
    // One id.
    template <class Derived>
    constexpr MessageMapEntry(UINT id, UINT notifyCode, void (Derived::*handler)())
        : nID(id), nCode(notifyCode), pfn(static_cast<AFX_PMSG>(handler)) {}
    template <class Derived>
    constexpr MessageMapEntry(UINT id, UINT notifyCode, void (Derived::*handler)(UINT))
        : nID(id), nCode(notifyCode), pfnId(static_cast<AFX_PMSG_ID>(handler)) {}

    // Every id of a set; the set must outlive the table.
    template <class Derived, std::size_t N>
    constexpr MessageMapEntry(const std::array<int, N>& ids, UINT notifyCode, void (Derived::*handler)())
        : pIDs(ids.data()), nIDCount(N), nCode(notifyCode), pfn(static_cast<AFX_PMSG>(handler)) {}
    template <class Derived, std::size_t N>
    constexpr MessageMapEntry(const std::array<int, N>& ids, UINT notifyCode, void (Derived::*handler)(UINT))
        : pIDs(ids.data()), nIDCount(N), nCode(notifyCode), pfnId(static_cast<AFX_PMSG_ID>(handler)) {}

    bool Matches(UINT id, UINT code) const {
        if (code != nCode) return false;
        if (pIDs == nullptr) return id == nID;
        for (std::size_t i = 0; i < nIDCount; ++i)
            if (static_cast<UINT>(pIDs[i]) == id) return true;
        return false;
    }

    // Calls the handler on `window`, passing `id` to a handler that takes it.
    void Invoke(CWnd& window, UINT id) const;

    UINT nID = 0;
    const int* pIDs = nullptr;
    std::size_t nIDCount = 0;
    UINT nCode;
    AFX_PMSG pfn = nullptr;
    AFX_PMSG_ID pfnId = nullptr;
};

struct MessageMap {
    constexpr MessageMap(const MessageMap* base, const MessageMapEntry* first, std::size_t count)
        : pBaseMap(base), lpEntries(first), nCount(count) {}

    template <std::size_t N>
    constexpr MessageMap(const MessageMap* base, const MessageMapEntry (&entries)[N])
        : MessageMap(base, entries, N) {}

    // The entry for (id, code) in this table or the first base table that
    // has one; nullptr when none does.
    const MessageMapEntry* Find(UINT id, UINT code) const {
        for (const MessageMap* map = this; map != nullptr; map = map->pBaseMap)
            for (std::size_t i = 0; i < map->nCount; ++i)
                if (map->lpEntries[i].Matches(id, code)) return &map->lpEntries[i];
        return nullptr;
    }

    const MessageMap* pBaseMap;
    const MessageMapEntry* lpEntries;
    std::size_t nCount;
};
