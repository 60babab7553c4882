#pragma once

#include <windows.h>

namespace orlo::test {

// True when the program runs under Wine rather than on Windows (Wine's ntdll exports its version).
inline bool UnderWine() {
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

} // namespace orlo::test
