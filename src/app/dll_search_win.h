#pragma once
// The program runs elevated, often from a Downloads folder where anyone may
// put a DLL named like a system one. Its first act: DLLs load from System32
// only, never from the program's folder or the current one.
void LimitDllSearchToSystem32();
