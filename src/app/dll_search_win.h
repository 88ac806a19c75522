#pragma once
// The program runs elevated, often from a Downloads folder where anyone may
// put a DLL named like a system one. Its first act: DLLs load from System32
// only, never from the program's folder or the current one. False where
// Windows cannot limit what it loads by name itself (Windows 7 without
// KB2533623): then the program refuses to run.
bool LimitDllSearchToSystem32();
