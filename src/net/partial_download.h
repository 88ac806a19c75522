#pragma once
// A download broken off (a cancel, a closed window, a connection lost after
// the retries, a killed process) is kept for a later run to continue: its
// bytes in the work folder's "partial\<key>.part", and beside them in
// "<key>.json" what continuing needs. The bytes on disk are their own count.
// Portable: the download (net/partial_file_win.cpp) keeps and reads the files.
#include <string>
#include <vector>

#include "sys/work_folder.h"

struct PartialDownload {
    std::string url;
    std::string validator;         // the server's strong ETag, else its Last-Modified
    unsigned long long total = 0;  // the whole file's length
};

// The files' name for a download's address: 16 hex digits of its hash (the
// note names the address itself, so a clash only starts over).
std::wstring PartialKey(const std::string& url);
std::string WritePartialNote(const PartialDownload& partial);
// False for anything that is no note of ours.
bool ReadPartialNote(const std::string& json, PartialDownload& partial);
// Whether bytes kept continue this download: the same address, a validator
// and a total to ask with, and no more bytes than that.
bool ContinuesPartial(const PartialDownload& note, const std::string& url, unsigned long long onDisk);
