// Static, type-safe message tables: each entry binds a message, command or notification to
// a member function of the right signature through a small thunk. No member-pointer casts.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstddef>

template <class T> struct CMessageEntry {
    enum class Kind { Message, Registered, Command, Notify };
    Kind kind;
    UINT message;           // Message
    const UINT* registered; // Registered: the id, known only at run time
    UINT id;                // Command, Notify
    UINT code;              // Command: notification code; Notify: NMHDR code
    // Returns false to let default processing run.
    bool (*thunk)(T& self, WPARAM wParam, LPARAM lParam, LRESULT& result);
};

template <class T> struct CMessageMap {
    using Entry = CMessageEntry<T>;
    using K = typename Entry::Kind;

    // Menu commands and BN_CLICKED both arrive as WM_COMMAND with code 0.
    template <void (T::*M)()> static constexpr Entry Command(UINT id) {
        return {K::Command, 0, nullptr, id, 0, [](T& t, WPARAM, LPARAM, LRESULT&) {
                    (t.*M)();
                    return true;
                }};
    }
    // A control's other WM_COMMAND notifications (CBN_SELCHANGE, ...).
    template <void (T::*M)()> static constexpr Entry Command(UINT id, UINT code) {
        return {K::Command, 0, nullptr, id, code, [](T& t, WPARAM, LPARAM, LRESULT&) {
                    (t.*M)();
                    return true;
                }};
    }
    template <void (T::*M)(NMHDR*, LRESULT*)> static constexpr Entry Notify(UINT code, UINT id) {
        return {K::Notify, 0, nullptr, id, code, [](T& t, WPARAM, LPARAM lp, LRESULT& r) {
                    (t.*M)(reinterpret_cast<NMHDR*>(lp), &r);
                    return true;
                }};
    }
    template <void (T::*M)()> static constexpr Entry Message(UINT message) {
        return {K::Message, message, nullptr, 0, 0, [](T& t, WPARAM, LPARAM, LRESULT&) {
                    (t.*M)();
                    return true;
                }};
    }
    template <LRESULT (T::*M)(WPARAM, LPARAM)> static constexpr Entry Raw(UINT message) {
        return {K::Message, message, nullptr, 0, 0, [](T& t, WPARAM wp, LPARAM lp, LRESULT& r) {
                    r = (t.*M)(wp, lp);
                    return true;
                }};
    }
    template <LRESULT (T::*M)(WPARAM, LPARAM)> static constexpr Entry Registered(const UINT* id) {
        return {K::Registered, 0, id, 0, 0, [](T& t, WPARAM wp, LPARAM lp, LRESULT& r) {
                    r = (t.*M)(wp, lp);
                    return true;
                }};
    }
    template <void (T::*M)(UINT, LPARAM)> static constexpr Entry SysCommand() {
        return {K::Message, WM_SYSCOMMAND, nullptr, 0, 0, [](T& t, WPARAM wp, LPARAM lp, LRESULT&) {
                    (t.*M)(static_cast<UINT>(wp), lp);
                    return true;
                }};
    }
    template <HCURSOR (T::*M)()> static constexpr Entry QueryDragIcon() {
        return {K::Message, WM_QUERYDRAGICON, nullptr, 0, 0, [](T& t, WPARAM, LPARAM, LRESULT& r) {
                    r = reinterpret_cast<LRESULT>((t.*M)());
                    return true;
                }};
    }
    template <void (T::*M)(HWND, POINT)> static constexpr Entry ContextMenu() {
        return {
            K::Message, WM_CONTEXTMENU, nullptr, 0, 0, [](T& t, WPARAM wp, LPARAM lp, LRESULT&) {
                // Signed: monitors left of or above the primary give negative points.
                POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
                (t.*M)(reinterpret_cast<HWND>(wp), pt);
                return true;
            }};
    }
    // Default processing still runs after the handler, as a size limit only adds to it.
    template <void (T::*M)(MINMAXINFO*)> static constexpr Entry GetMinMaxInfo() {
        return {K::Message, WM_GETMINMAXINFO, nullptr, 0, 0, [](T& t, WPARAM, LPARAM lp, LRESULT&) {
                    (t.*M)(reinterpret_cast<MINMAXINFO*>(lp));
                    return false;
                }};
    }
    template <BOOL (T::*M)(HELPINFO*)> static constexpr Entry HelpInfo() {
        return {K::Message, WM_HELP, nullptr, 0, 0, [](T& t, WPARAM, LPARAM lp, LRESULT& r) {
                    r = (t.*M)(reinterpret_cast<HELPINFO*>(lp));
                    return true;
                }};
    }
    template <void (T::*M)(UINT_PTR)> static constexpr Entry Timer() {
        return {K::Message, WM_TIMER, nullptr, 0, 0, [](T& t, WPARAM wp, LPARAM, LRESULT&) {
                    (t.*M)(static_cast<UINT_PTR>(wp));
                    return true;
                }};
    }

    // Finds the entry for a message and runs it; true when it handled the message.
    template <size_t N>
    static bool Dispatch(const Entry (&table)[N], T& self, UINT message, WPARAM wp, LPARAM lp,
                         LRESULT& result) {
        for (const Entry& e : table) {
            bool hit = false;
            switch (e.kind) {
            case K::Message:
                hit = message == e.message;
                break;
            case K::Registered:
                hit = *e.registered != 0 && message == *e.registered;
                break;
            case K::Command:
                hit = message == WM_COMMAND && LOWORD(wp) == e.id && HIWORD(wp) == e.code;
                break;
            case K::Notify:
                hit = message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lp)->idFrom == e.id &&
                      reinterpret_cast<NMHDR*>(lp)->code == e.code;
                break;
            }
            if (hit)
                return e.thunk(self, wp, lp, result);
        }
        return false;
    }
};
