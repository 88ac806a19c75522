#pragma once
// What an archiver unpacked, as found on disk: every entry below a held
// folder, its links and streams, and whatever could not be read.
#include <vector>

#include "sys/held_folder_win.h"
#include "sys/work_folder.h"

// Every entry below folder, prefixed; an entry that could not be read says
// so, and so does a listing that broke off. Links are listed, never entered.
void CollectTree(const sys::CHeldFolder& folder, const std::wstring& prefix, std::vector<TreeEntry>& entries);
